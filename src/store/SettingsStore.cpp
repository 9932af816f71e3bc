#include "store/SettingsStore.h"

#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "store/Errors.h"
#include "store/IniFile.h"
#include "store/SettingsKeys.h"

QString SettingsStore::DefaultFolder() {
    const QString own = qEnvironmentVariable("RELVANE_CONFIG_DIR");
    if (!own.isEmpty()) return own;
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!xdg.isEmpty()) return xdg + QStringLiteral("/relvane");
    return QDir::homePath() + QStringLiteral("/.config/relvane");
}

SettingsStore::SettingsStore(QString folder) : folder_(std::move(folder)) {}

QString SettingsStore::NameProblem(const QString& application) {
    const bool controls = std::any_of(application.begin(), application.end(),
                                      [](QChar c) { return c < QLatin1Char(' ') || c == '\x7F'; });
    if (!application.isEmpty() && !controls && !application.contains(QLatin1Char('/')) &&
        !application.contains(QLatin1Char('\\')) && !application.contains(QLatin1String("..")))
        return QString();
    return QStringLiteral(
               "unusable application name \"%1\": a name may not be empty, hold \"/\", "
               "\"\\\" or \"..\", or control characters")
        .arg(application);
}

QString SettingsStore::Spelling(const QString& application) {
    static const QRegularExpression terminal(QStringLiteral("\\Aterminal #([0-9]+)\\z"),
                                             QRegularExpression::CaseInsensitiveOption);
    if (const auto m = terminal.match(application); m.hasMatch())
        return QStringLiteral("Terminal #") + m.captured(1);
    for (const Keys::Definition& d : Keys::Vocabulary())
        if (application.compare(QLatin1String(d.application), Qt::CaseInsensitive) == 0)
            return QString::fromUtf8(d.application);
    return application;
}

QString SettingsStore::FileOf(const QString& application) const {
    if (const QString problem = NameProblem(application); !problem.isEmpty())
        throw RelvaneError(problem);
    const QString name = Spelling(application);
    const QString path = folder_ + QLatin1Char('/') + name + QStringLiteral(".ini");
    if (QFileInfo::exists(path)) return path;
    // A file written under another spelling of the name is this application's.
    const QStringList files = QDir(folder_).entryList({QStringLiteral("*.ini")}, QDir::Files);
    for (const QString& file : files)
        if (file.chopped(4).compare(name, Qt::CaseInsensitive) == 0)
            return folder_ + QLatin1Char('/') + file;
    return path;
}

void SettingsStore::SaveSettings(const QString& application,
                                 const QList<IniFile::Entry>& entries) const {
    IniFile::Write(FileOf(application), entries, IniFile::NewFile::OwnerOnly);
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
