#include "app/ConfigCommand.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QTextStream>

#include "app/RegistryImport.h"
#include "chat/PasswordScramble.h"
#include "store/Errors.h"
#include "store/IniFile.h"
#include "store/SettingsKeys.h"
#include "store/SettingsStore.h"

namespace {

const char kUsage[] =
    "usage: relvane config get APP SECTION KEY\n"
    "       relvane config set APP SECTION KEY VALUE\n"
    "       relvane config password TERMINAL PASSWORD   (stores the chat password scrambled)\n"
    "       relvane config list [APP]\n"
    "       relvane config import FILE                  (a .reg export of the Windows registry)\n";

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

// Saves every string value of the export into the store, then prints how many each
// application got and what was left out.
int Import(const SettingsStore& store, const QString& path, QTextStream& out, QTextStream& err) {
    RegistryImport reg;
    if (!reg.Read(path)) {
        err << reg.Error() << Qt::endl;
        return 1;
    }
    QStringList applications;
    QHash<QString, int> counts;
    QStringList unstorable;
    for (const RegistryImport::Value& v : reg.Values()) {
        // A name the settings file cannot hold is left out, not the rest of the export.
        try {
            store.SaveSetting(v.application, v.section, v.key, v.value);
        } catch (const RelvaneError& e) {
            unstorable.append(e.Description());
            continue;
        }
        if (!counts.contains(v.application)) applications.append(v.application);
        ++counts[v.application];
    }
    for (const QString& app : applications)
        out << app << ": " << counts[app] << (counts[app] == 1 ? " value" : " values") << Qt::endl;
    if (applications.isEmpty()) out << "no values imported" << Qt::endl;
    for (const QString& line : reg.Skipped() + unstorable) out << "skipped " << line << Qt::endl;
    if (reg.KeysOutside() > 0)
        out << "ignored " << reg.KeysOutside() << (reg.KeysOutside() == 1 ? " key" : " keys")
            << " outside HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings" << Qt::endl;
    return 0;
}

}  // namespace

int RunConfigCommand(const QStringList& args) {
    QTextStream out(stdout), err(stderr);
    const SettingsStore store;
    const QString verb = args.value(0);
    const QStringList rest = args.mid(1);
    try {
        if (verb == QLatin1String("get") && rest.size() == 3) return Get(store, rest, out, err);
        if (verb == QLatin1String("set") && rest.size() == 4) {
            store.SaveSetting(rest[0], rest[1], rest[2], rest[3]);
            return 0;
        }
        if (verb == QLatin1String("password") && rest.size() == 2) {
            store.SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting,
                              Keys::PerTerminal(Keys::kPwdHbv, rest[0].toInt()),
                              PasswordScramble::ScrambleText(rest[1], Keys::kPasswordKey));
            return 0;
        }
        if (verb == QLatin1String("list") && rest.size() <= 1) return List(store, rest, out);
        if (verb == QLatin1String("import") && rest.size() == 1)
            return Import(store, rest[0], out, err);
    } catch (const RelvaneError& e) {
        err << e.Description() << Qt::endl;
        return 1;
    }
    err << kUsage;
    return 2;
}
