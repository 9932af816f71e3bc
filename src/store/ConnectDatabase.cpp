#include "store/ConnectDatabase.h"

#include <QFile>
#include <QFileInfo>

#include "store/Errors.h"
#include "store/IniFile.h"
#include "store/UtilityComponent.h"

namespace {

constexpr int kMaxTimeout = 3600;

}  // namespace

QString DatabasePassword(const QString& commandLineField) {
    if (!commandLineField.isEmpty()) return commandLineField;
    const QString path = qEnvironmentVariable("RELVANE_DB_PASSWORD_FILE");
    // Without a file named the line's empty password is the password, as it always was.
    if (path.isEmpty()) return commandLineField;
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly)) bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw RelvaneError(
            QStringLiteral(
                "cannot read the database password from %1 (RELVANE_DB_PASSWORD_FILE): %2")
                .arg(path, file.errorString()));
    if (bytes.endsWith('\n')) bytes.chop(bytes.endsWith("\r\n") ? 2 : 1);
    return QString::fromUtf8(bytes);
}

DbTarget ReadDatabaseSettings(const UtilityComponent& util, const QString& password) {
    const QString path = util.ProgramFile(QStringLiteral("Setting.ini"));
    const QString section = QStringLiteral("Database");
    // Without the file or its section every field would be empty: a terminal running against
    // a database nobody named.
    if (!QFileInfo::exists(path))
        throw RelvaneError(QStringLiteral("%1 is missing: the program folder (--home DIR, else "
                                          "RELVANE_HOME) needs it with a [Database] section")
                               .arg(path));
    const QStringList sections = IniFile::Sections(path);
    if (!sections.contains(section, Qt::CaseInsensitive))
        throw RelvaneError(QStringLiteral("%1 has no [Database] section").arg(path));
    DbTarget target;
    target.driver = util.ReadIni(path, section, QStringLiteral("Driver"));
    target.server = util.ReadIni(path, section, QStringLiteral("Server"));
    target.database = util.ReadIni(path, section, QStringLiteral("Database"));
    target.uid = util.ReadIni(path, section, QStringLiteral("UID"));
    target.port = util.ReadIni(path, section, QStringLiteral("Port"));
    const QString timeout = util.ReadIni(path, section, QStringLiteral("Timeout")).trimmed();
    if (!timeout.isEmpty()) {
        bool ok = false;
        target.timeout = timeout.toInt(&ok);
        if (!ok || target.timeout < 1 || target.timeout > kMaxTimeout)
            throw RelvaneError(QStringLiteral("%1 [Database] Timeout=%2 is not a number of "
                                              "seconds from 1 to %3")
                                   .arg(path, timeout)
                                   .arg(kMaxTimeout));
    }
    target.password = password;
    return target;
}

bool ConnectDatabase(const UtilityComponent& util, Database& db, const QString& password) {
    return db.Open(ReadDatabaseSettings(util, password));
}
