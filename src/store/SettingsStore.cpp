#include "store/SettingsStore.h"

#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>

#include "store/Errors.h"
#include "store/IniFile.h"

QString SettingsStore::DefaultFolder() {
    const QString own = qEnvironmentVariable("RELVANE_CONFIG_DIR");
    if (!own.isEmpty()) return own;
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!xdg.isEmpty()) return xdg + QStringLiteral("/relvane");
    return QDir::homePath() + QStringLiteral("/.config/relvane");
}

SettingsStore::SettingsStore(QString folder) : folder_(std::move(folder)) {}

QString SettingsStore::FileOf(const QString& application) const {
    return folder_ + QLatin1Char('/') + application + QStringLiteral(".ini");
}

QString SettingsStore::GetSetting(const QString& application, const QString& section,
                                  const QString& key, const QString& defaultValue) const {
    return IniFile::Lookup(FileOf(application), section, key).value_or(defaultValue);
}

void SettingsStore::SaveSetting(const QString& application, const QString& section,
                                const QString& key, const QString& value) const {
    // The files hold the scrambled chat passwords: other users of the machine may not read them.
    IniFile::Write(FileOf(application), section, key, value, IniFile::NewFile::OwnerOnly);
}

void SettingsStore::CheckAccess(const QStringList& applications) const {
    for (const QString& application : applications) {
        const QString path = FileOf(application);
        if (!QFileInfo::exists(path)) continue;
        IniFile::Sections(path);  // raises when the file cannot be read
        if (::access(QFile::encodeName(path).constData(), W_OK) != 0)
            throw RelvaneError(QStringLiteral("cannot write %1: %2")
                                   .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    }
}
