#include "BenchSupport.h"

#include <QFile>
#include <QProcess>

#include "Environment.h"
#include "Schema.h"

DbTarget BenchTarget(const QString& driver) {
    DbTarget target;
    target.driver = driver;
    target.server = EnvOr("RELVANE_DB_HOST", "127.0.0.1");
    target.port = EnvOr("RELVANE_DB_PORT", "33061");
    target.uid = EnvOr("RELVANE_DB_USER", "relvane");
    target.password = EnvOr("RELVANE_DB_PASSWORD", "relvane");
    target.database = QStringLiteral("relvane_demo");  // ./run services start loads its schema
    return target;
}

void RecreateBenchDatabase(Database& admin, const QString& name) {
    admin.Exec(QStringLiteral("DROP DATABASE IF EXISTS ") + name);
    admin.Exec(QStringLiteral("CREATE DATABASE ") + name +
               QStringLiteral(" CHARACTER SET utf8mb4"));
    admin.Exec(QStringLiteral("USE ") + name);
    for (const QString& statement :
         SchemaStatements(QStringLiteral(RELVANE_SOURCE_DIR "/db/schema.sql")))
        admin.Exec(statement);
}

void WriteBenchSettingIni(const QString& folder, const DbTarget& target, const QString& name) {
    QFile ini(folder + QStringLiteral("/Setting.ini"));
    ini.open(QIODevice::WriteOnly);
    ini.write(QStringLiteral("[Database]\nDriver=QMYSQL\nServer=%1\nPort=%2\nDatabase=%3\nUID=%4\n")
                  .arg(target.server, target.port, name, target.uid)
                  .toUtf8());
}
