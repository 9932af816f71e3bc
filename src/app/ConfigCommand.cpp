#include "app/ConfigCommand.h"

#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QTextStream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "app/CommandLine.h"
#include "app/RegistryImport.h"
#include "chat/PasswordScramble.h"
#include "controls/SettingSaver.h"
#include "settlement/ReplyClassifier.h"
#include "store/ConnectDatabase.h"
#include "store/Database.h"
#include "store/Errors.h"
#include "store/IniFile.h"
#include "store/Lookups.h"
#include "store/ProcessValues.h"
#include "store/SettingsKeys.h"
#include "store/SettingsStore.h"
#include "store/UtilityComponent.h"

namespace {

const char kUsage[] =
    "usage: relvane config [--home DIR] get APP SECTION KEY\n"
    "       relvane config [--home DIR] set APP SECTION KEY VALUE [KEY VALUE]...\n"
    "       relvane config password TERMINAL [PASSWORD]  (stored scrambled; without PASSWORD\n"
    "                                                    it is read from standard input)\n"
    "       relvane config list [APP]\n"
    "       relvane config keys [APP]                    (every known key: default, meaning)\n"
    "       relvane config import FILE                   (a .reg export of the Windows registry)\n"
    "A key that changes database rows (Pintar2N, Method) makes `set` use the database named in\n"
    "Setting.ini of the program folder (--home DIR, else RELVANE_HOME, else the program's own\n"
    "folder), with the password from RELVANE_DB_PASSWORD_FILE.\n";

// The database of the program folder, opened only for the keys that change rows, with what
// saving them needs.
class DatabaseDoor {
  public:
    DatabaseDoor(const QString& home, const SettingsStore& store)
        : util_(home, &store), db_(&util_, QStringLiteral("config")) {}

    SettingSaver Open(const SettingsStore& store) {
        const QString setting = util_.ProgramFile(QString::fromUtf8(Keys::kSettingIni));
        if (!ConnectDatabase(util_, db_, DatabasePassword(QString())))
            throw RelvaneError(QStringLiteral("cannot open the database named in %1: %2")
                                   .arg(setting, db_.LastOpenError()));
        const Context ctx{db_, util_, store, values_};
        replies_ = std::make_unique<ReplyClassifier>(ctx);
        lookups_ = std::make_unique<Lookups>(ctx);
        return SettingSaver(store, replies_.get(), lookups_.get());
    }

  private:
    UtilityComponent util_;
    Database db_;
    ProcessValues values_;
    std::unique_ptr<ReplyClassifier> replies_;
    std::unique_ptr<Lookups> lookups_;
};

// `set APP SECTION KEY VALUE [KEY VALUE]...`: the keys are checked together, so a capture pair
// can change its count in one command.
int Set(const SettingsStore& store, const QString& home, const QStringList& a, QTextStream& out,
        QTextStream& err) {
    const QString& app = a[0];
    const QString& section = a[1];
    SettingSaver::Entries entries;
    for (int i = 2; i + 1 < a.size(); i += 2) {
        entries.append({a[i], a[i + 1]});
        if (Keys::Find(app, section, a[i]) == nullptr)
            err << "warning: [" << app << "] [" << section << "] " << a[i]
                << " is not a key the terminal reads (`relvane config keys` lists them)"
                << Qt::endl;
    }
    // Refused before the database is opened, and the database opened before anything is
    // stored: a key whose rows could not be written is not stored either.
    DatabaseDoor door(home, store);
    std::optional<SettingSaver> saver(std::in_place, store, nullptr, nullptr);
    QString refusal = saver->Refusal(app, section, entries);
    if (refusal.isEmpty() && SettingSaver::NeedsDatabase(app, section, entries))
        saver.emplace(door.Open(store));
    QStringList warnings;
    if (refusal.isEmpty()) refusal = saver->Save(app, section, entries, &warnings);
    if (!refusal.isEmpty()) {
        err << refusal << Qt::endl;
        return 1;
    }
    for (const QString& w : warnings) err << "warning: " << w << Qt::endl;
    out << "wrote " << store.FileOf(app) << Qt::endl;
    return 0;
}

// One line from standard input, without echo when it is a terminal; none at the end of input.
std::optional<QString> ReadPassword(const QString& terminal, QTextStream& err) {
    const bool tty = ::isatty(STDIN_FILENO) == 1;
    termios saved{};
    if (tty && ::tcgetattr(STDIN_FILENO, &saved) == 0) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
        err << "chat password of terminal " << terminal << ": " << Qt::flush;
    }
    std::string line;
    const bool got = static_cast<bool>(std::getline(std::cin, line));
    if (tty) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        err << Qt::endl;
    }
    if (!got && line.empty()) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return QString::fromLocal8Bit(line.c_str(), static_cast<int>(line.size()));
}

int Password(const SettingsStore& store, const QStringList& a, QTextStream& out, QTextStream& err) {
    const std::optional<qint16> terminal = CommandLine::TerminalNumber(a[0]);
    if (!terminal) {
        err << "not a terminal number (1 to 32767): " << a[0] << Qt::endl;
        return 2;
    }
    std::optional<QString> password = a.value(1);
    if (a.size() < 2) password = ReadPassword(a[0], err);
    if (!password) {
        err << "no password on standard input" << Qt::endl;
        return 1;
    }
    store.SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting,
                      Keys::PerTerminal(Keys::kPwdHbv, *terminal),
                      PasswordScramble::ScrambleText(*password, Keys::kPasswordKey));
    out << "wrote " << store.FileOf(Keys::kAppHbvGate) << Qt::endl;
    return 0;
}

// Every key of the vocabulary: where it lives, its default, what it does.
int ListKeys(const QStringList& a, QTextStream& out) {
    // "Terminal #" stands for any terminal's name.
    const auto shown = [](const char* name) {
        const QString text = QString::fromUtf8(name);
        return text.endsWith(QLatin1Char('#')) ? text + QLatin1Char('N') : text;
    };
    for (const Keys::Definition& d : Keys::Vocabulary()) {
        const QString app = shown(d.application);
        if (!a.isEmpty() && app.compare(a[0], Qt::CaseInsensitive) != 0) continue;
        out << app << " / " << shown(d.section) << " / " << d.Pattern() << "  (default \""
            << QString::fromUtf8(d.defaultValue) << "\")" << Qt::endl;
        if (d.description != nullptr) out << "    " << QString::fromUtf8(d.description) << Qt::endl;
    }
    return 0;
}

int Get(const SettingsStore& store, const QStringList& a, QTextStream& out, QTextStream& err) {
    const auto stored = IniFile::Lookup(store.FileOf(a[0]), a[1], a[2]);
    if (stored) {
        out << *stored << Qt::endl;
        return 0;
    }
    if (const Keys::Definition* d = Keys::Find(a[0], a[1], a[2])) {
        out << QString::fromUtf8(d->defaultValue) << Qt::endl;
        return 0;
    }
    err << "not set: [" << a[0] << "] [" << a[1] << "] " << a[2] << Qt::endl;
    return 1;
}

void ListApplication(const SettingsStore& store, const QString& app, QTextStream& out) {
    const QString file = store.FileOf(app);
    out << "# " << app << " (" << file << ")" << Qt::endl;
    for (const QString& section : IniFile::Sections(file)) {
        out << "[" << section << "]" << Qt::endl;
        for (const auto& [key, value] : IniFile::Entries(file, section))
            out << key << "=" << IniFile::Printable(value) << Qt::endl;
    }
}

int List(const SettingsStore& store, const QStringList& a, QTextStream& out) {
    if (!a.isEmpty()) {
        ListApplication(store, a[0], out);
        return 0;
    }
    const QFileInfoList files =
        QDir(store.Folder()).entryInfoList({QStringLiteral("*.ini")}, QDir::Files, QDir::Name);
    for (const QFileInfo& f : files) ListApplication(store, f.completeBaseName(), out);
    return 0;
}

// Saves every string value of the export into the store, each application's file in one
// write, then prints how many each application got and what was left out. Not zero when a
// value meant for the store could not be read or stored.
int Import(const SettingsStore& store, const QString& path, QTextStream& out, QTextStream& err) {
    RegistryImport reg;
    if (!reg.Read(path)) {
        err << reg.Error() << Qt::endl;
        return 1;
    }
    QStringList applications;
    QHash<QString, QList<IniFile::Entry>> entries;  // by the folded application name
    for (const RegistryImport::Value& v : reg.Values()) {
        const QString id = v.application.toCaseFolded();
        if (!entries.contains(id)) applications.append(v.application);
        entries[id].append({v.section, v.key, v.value});
    }
    QStringList unstored;
    int stored = 0;
    for (const QString& app : applications) {
        const int count = entries[app.toCaseFolded()].size();
        const QString values = count == 1 ? QStringLiteral(" value") : QStringLiteral(" values");
        try {
            store.SaveSettings(app, entries[app.toCaseFolded()]);
        } catch (const RelvaneError& e) {
            unstored.append(QString::number(count) + values + " of " + app + ": " +
                            e.Description());
            continue;
        }
        stored += count;
        out << app << ": " << count << values << Qt::endl;
    }
    if (stored == 0) out << "no values imported" << Qt::endl;
    for (const QString& line : reg.Skipped()) out << "skipped " << line << Qt::endl;
    if (reg.KeysOutside() > 0)
        out << "ignored " << reg.KeysOutside() << (reg.KeysOutside() == 1 ? " key" : " keys")
            << " outside HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings" << Qt::endl;
    for (const QString& line : unstored) err << "not stored: " << line << Qt::endl;
    if (reg.Unreadable() > 0)
        err << reg.Unreadable() << (reg.Unreadable() == 1 ? " value" : " values")
            << " could not be read or named in the settings store (listed as skipped)" << Qt::endl;
    return unstored.isEmpty() && reg.Unreadable() == 0 ? 0 : 1;
}

}  // namespace

int RunConfigCommand(const QStringList& arguments) {
    QTextStream out(stdout), err(stderr);
    const SettingsStore store;
    QStringList args = arguments;
    // The program folder, as a terminal finds it: --home DIR, else RELVANE_HOME, else its own.
    QString home = qEnvironmentVariable("RELVANE_HOME");
    if (args.value(0) == QLatin1String("--home") && args.size() > 1) {
        home = args[1];
        args = args.mid(2);
    }
    if (home.isEmpty()) home = QCoreApplication::applicationDirPath();
    home = QDir(home).absolutePath();
    const QString verb = args.value(0);
    const QStringList rest = args.mid(1);
    try {
        if (verb == QLatin1String("get") && rest.size() == 3) return Get(store, rest, out, err);
        if (verb == QLatin1String("set") && rest.size() >= 4 && rest.size() % 2 == 0)
            return Set(store, home, rest, out, err);
        if (verb == QLatin1String("password") && (rest.size() == 1 || rest.size() == 2))
            return Password(store, rest, out, err);
        if (verb == QLatin1String("list") && rest.size() <= 1) return List(store, rest, out);
        if (verb == QLatin1String("keys") && rest.size() <= 1) return ListKeys(rest, out);
        if (verb == QLatin1String("import") && rest.size() == 1)
            return Import(store, rest[0], out, err);
    } catch (const RelvaneError& e) {
        err << e.Description() << Qt::endl;
        return 1;
    }
    err << kUsage;
    return 2;
}
