// The registry export reader on any text after one value of chosen names: it reads every file
// that starts like an export, the chosen value is either taken as written or listed as skipped
// under its name, and every value taken can be stored in the settings files.
#include <QFile>
#include <QTextCodec>

#include "FuzzSupport.h"
#include "app/RegistryImport.h"
#include "store/Errors.h"
#include "store/IniFile.h"
#include "store/SettingsStore.h"

namespace {

// As the registry editor writes a name or a string inside quotes.
QString Quoted(QString text) {
    text.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace('"', QLatin1String("\\\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

bool OnOneLine(const QString& name) {
    return !name.contains(QLatin1Char('\n')) && !name.contains(QLatin1Char('\r')) &&
           !name.contains(QLatin1Char('\\'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > fuzz::kMaxInput) return 0;
    fuzz::Application();
    FuzzedDataProvider in(data, size);
    const bool utf16 = in.ConsumeBool();
    const QString app = fuzz::Text(in, 30);
    const QString section = fuzz::Text(in, 30);
    const QString key = fuzz::Text(in, 30);
    const QString value = fuzz::Text(in, 200);
    const QString rest = fuzz::RemainingText(in);

    const QString text = QStringLiteral(
                             "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\"
                             "Software\\VB and VBA Program Settings\\%1\\%2]\r\n%3=%4\r\n")
                             .arg(app, section, Quoted(key), Quoted(value)) +
                         rest;
    const QString path = fuzz::ScratchFolder() + QStringLiteral("/settings.reg");
    {
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) fuzz::Fail("scratch file");
        out.write(utf16 ? "\xFF\xFE" + QTextCodec::codecForName("UTF-16LE")->fromUnicode(text)
                        : text.toUtf8());
    }
    RegistryImport reg;
    FUZZ_REQUIRE(reg.Read(path));
    FUZZ_REQUIRE(reg.Unreadable() <= reg.Skipped().size());

    // Never lost unseen: taken as written, or listed under its name.
    if (OnOneLine(app) && OnOneLine(section) && OnOneLine(key)) {
        const QString at = app + QLatin1Char('\\') + section + QLatin1Char('\\') + key;
        const bool listed = !reg.Skipped().isEmpty() && reg.Skipped()[0].startsWith(at + ": ");
        const RegistryImport::Value first = reg.Values().value(0);
        const bool password = key.startsWith(QLatin1String("PWD HBV"), Qt::CaseInsensitive);
        const bool taken =
            !reg.Values().isEmpty() && first.application == SettingsStore::Spelling(app) &&
            first.section == section && first.key == key && (password || first.value == value);
        FUZZ_REQUIRE(listed != taken);
    }

    // What is taken, the store can keep.
    const SettingsStore store(fuzz::ScratchFolder() + QStringLiteral("/settings"));
    for (const RegistryImport::Value& v : reg.Values().mid(0, 20)) {
        try {
            IniFile::Write(store.FileOf(v.application), v.section, v.key, v.value);
        } catch (const RelvaneError& e) {
            std::fprintf(stderr, "%s\n", qPrintable(e.Description()));
            fuzz::Fail("a value taken cannot be stored");
        }
        FUZZ_REQUIRE(IniFile::Read(store.FileOf(v.application), v.section, v.key) == v.value);
    }
    return 0;
}
