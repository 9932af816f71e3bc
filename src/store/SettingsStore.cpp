#include "store/SettingsStore.h"

#include <QDir>
#include <QStandardPaths>

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
