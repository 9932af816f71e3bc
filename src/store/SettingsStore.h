#pragma once

#include <QString>
#include <QStringList>

// The per-user settings store: (application, section, key) -> text. One INI file per
// application in the settings folder, read again on every get so that a key saved by another
// instance is seen at once.
class SettingsStore {
  public:
    // RELVANE_CONFIG_DIR, else $XDG_CONFIG_HOME/relvane, else ~/.config/relvane.
    static QString DefaultFolder();

    explicit SettingsStore(QString folder = DefaultFolder());

    QString GetSetting(const QString& application, const QString& section, const QString& key,
                       const QString& defaultValue = QString("")) const;
    void SaveSetting(const QString& application, const QString& section, const QString& key,
                     const QString& value) const;

    // Every file of these applications that exists can be read and written; raises
    // RelvaneError naming the first that cannot. A terminal checks its files before it reads
    // them, so that one it cannot use ends it instead of running on defaults.
    void CheckAccess(const QStringList& applications) const;

    const QString& Folder() const { return folder_; }
    QString FileOf(const QString& application) const;

  private:
    QString folder_;
};
