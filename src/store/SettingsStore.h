#pragma once

#include <QString>
#include <QStringList>

#include "store/IniFile.h"

// The per-user settings store: (application, section, key) -> text. One INI file per
// application in the settings folder, read again on every get so that a key saved by another
// instance is seen at once. Application names are not paths, and compare without regard to
// letter case.
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

    // Every entry of one application in one write of its file.
    void SaveSettings(const QString& application, const QList<IniFile::Entry>& entries) const;

    const QString& Folder() const { return folder_; }
    // The application's file. Names compare without regard to letter case: a known name is
    // spelt as the program spells it, and a file there under another spelling is used as it
    // is. Raises RelvaneError for a name that is not a plain file name (NameProblem).
    QString FileOf(const QString& application) const;

    // Why the application name cannot name a file in the folder (empty, "/", "\\", "..", a
    // control character), or the empty text.
    static QString NameProblem(const QString& application);
    // "terminal #5" as "Terminal #5", "hbv-gate" as "HBV-Gate"; other names as they are.
    static QString Spelling(const QString& application);

  private:
    QString folder_;
};
