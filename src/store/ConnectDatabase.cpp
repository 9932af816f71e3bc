#include "store/ConnectDatabase.h"

#include "store/UtilityComponent.h"

DbConnectionSpec ReadDatabaseSettings(const UtilityComponent& util, const QString& password) {
    const QString path = util.ProgramFile(QStringLiteral("Setting.ini"));
    const QString section = QStringLiteral("Database");
    DbConnectionSpec spec;
    spec.driver = util.ReadIni(path, section, QStringLiteral("Driver"));
    spec.server = util.ReadIni(path, section, QStringLiteral("Server"));
    spec.database = util.ReadIni(path, section, QStringLiteral("Database"));
    spec.uid = util.ReadIni(path, section, QStringLiteral("UID"));
    spec.port = util.ReadIni(path, section, QStringLiteral("Port"));
    spec.password = password;
    return spec;
}

bool ConnectDatabase(const UtilityComponent& util, Database& db, const QString& password) {
    return db.Open(ReadDatabaseSettings(util, password));
}
