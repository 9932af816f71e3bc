// The INI reader and writer on a file of any bytes: decoding never fails, and writing a key
// then reading it gives the value back, with every other section and entry as it was.
#include <QFile>

#include "FuzzSupport.h"
#include "store/Convert.h"
#include "store/Errors.h"
#include "store/IniFile.h"

namespace {

bool HoldsControls(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) return true;
    return false;
}

// The names the writer refuses: those that would not read back from their line.
bool Unstorable(const QString& section, const QString& key) {
    const QString k = Convert::TrimBlanks(key);
    return HoldsControls(section) || HoldsControls(key) || section.contains(QLatin1Char(']')) ||
           k.isEmpty() || k.contains(QLatin1Char('=')) || k.startsWith(QLatin1Char(';')) ||
           k.startsWith(QLatin1Char('['));
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

using Entries = QList<std::pair<QString, QString>>;

Entries Without(Entries entries, const QString& key) {
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&](const auto& e) { return SameName(e.first, key); }),
                  entries.end());
    return entries;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > fuzz::kMaxInput) return 0;
    fuzz::Application();
    FuzzedDataProvider in(data, size);
    const QString section = fuzz::Text(in, 40);
    const QString key = fuzz::Text(in, 40);
    const QString value = fuzz::Text(in, 300);
    const std::string bytes = in.ConsumeRemainingBytesAsString();
    const QByteArray file(bytes.data(), static_cast<int>(bytes.size()));

    // Plain ASCII reads as it is, whatever the rules for other bytes.
    const QString decoded = IniFile::DecodeText(file);
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return c > 0; }))
        FUZZ_REQUIRE(decoded == QString::fromLatin1(file));
    FUZZ_REQUIRE(!HoldsControls(IniFile::Printable(value)));

    const QString path = fuzz::ScratchFolder() + QStringLiteral("/Setting.ini");
    {
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) fuzz::Fail("scratch file");
        out.write(file);
    }
    const QStringList sectionsBefore = IniFile::Sections(path);
    QList<Entries> entriesBefore;
    for (const QString& s : sectionsBefore) entriesBefore.append(IniFile::Entries(path, s));

    try {
        IniFile::Write(path, section, key, value);
    } catch (const RelvaneError&) {
        // Names that cannot stand on a line of their own are refused, nothing else.
        FUZZ_REQUIRE(Unstorable(section, key));
        return 0;
    }
    FUZZ_REQUIRE(IniFile::Lookup(path, section, key) == value);
    FUZZ_REQUIRE(IniFile::Read(path, section, key) == value);

    // The sections are those of before, with the new one at the end when it was missing.
    const QStringList sectionsAfter = IniFile::Sections(path);
    const bool existed =
        std::any_of(sectionsBefore.begin(), sectionsBefore.end(),
                    [&](const QString& s) { return SameName(s, Convert::TrimBlanks(section)); });
    FUZZ_REQUIRE(sectionsAfter.mid(0, sectionsBefore.size()) == sectionsBefore);
    FUZZ_REQUIRE(sectionsAfter.size() == sectionsBefore.size() + (existed ? 0 : 1));
    // Every entry but the written key's is as it was.
    for (int i = 0; i < sectionsBefore.size(); ++i) {
        const Entries after = IniFile::Entries(path, sectionsBefore[i]);
        FUZZ_REQUIRE(Without(after, Convert::TrimBlanks(key)) ==
                     Without(entriesBefore[i], Convert::TrimBlanks(key)));
        if (!SameName(sectionsBefore[i], Convert::TrimBlanks(section)))
            FUZZ_REQUIRE(after == entriesBefore[i]);
    }
    return 0;
}
