#include "store/ConnectDatabase.h"

#include "store/UtilityComponent.h"

DbTarget ReadDatabaseSettings(const UtilityComponent& util, const QString& password) {
    const QString path = util.ProgramFile(QStringLiteral("Setting.ini"));
    const QString section = QStringLiteral("Database");
    DbTarget target;
    target.driver = util.ReadIni(path, section, QStringLiteral("Driver"));
    target.server = util.ReadIni(path, section, QStringLiteral("Server"));
    target.database = util.ReadIni(path, section, QStringLiteral("Database"));
    target.uid = util.ReadIni(path, section, QStringLiteral("UID"));
    target.port = util.ReadIni(path, section, QStringLiteral("Port"));
    target.password = password;
    return target;
}

bool ConnectDatabase(const UtilityComponent& util, Database& db, const QString& password) {
    return db.Open(ReadDatabaseSettings(util, password));
}
