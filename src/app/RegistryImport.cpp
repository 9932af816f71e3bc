#include "app/RegistryImport.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextCodec>
#include <algorithm>

#include "store/Convert.h"
#include "store/SettingsKeys.h"
#include "store/SettingsStore.h"

namespace {

// Windows-1252 at 0x80..0x9F; every other code is the Latin-1 character of that code, and the
// five codes Windows-1252 leaves free stand for themselves.
constexpr char16_t kAnsiHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString FromAnsi(const QByteArray& bytes) {
    QString text = QString::fromLatin1(bytes.constData(), bytes.size());
    for (QChar& c : text)
        if (c.unicode() >= 0x80 && c.unicode() < 0xA0) c = QChar(kAnsiHigh[c.unicode() - 0x80]);
    return text;
}

// Each character as the Latin-1 character of its ANSI code: the chat password is scrambled
// over 8-bit codes, which Windows kept as ANSI text. Characters without a code stay.
QString AnsiCodes(QString text) {
    for (QChar& c : text) {
        const auto* code = std::find(std::begin(kAnsiHigh), std::end(kAnsiHigh), c.unicode());
        if (code != std::end(kAnsiHigh)) c = QChar(0x80 + int(code - std::begin(kAnsiHigh)));
    }
    return text;
}

// The text of an export in the encoding it is really in, whatever its first line says: the
// registry editor writes UTF-16 with a byte-order mark, but files are saved again by other
// editors (a version-5 export as ANSI, a REGEDIT4 file as UTF-8 with a mark). UTF-16 is known
// by its mark or by the zero byte after the first character; otherwise text that is valid UTF-8
// is UTF-8, and anything else the ANSI code page. Every byte is read, zero bytes too.
QString Decode(const QByteArray& bytes) {
    const auto utf16 = [&](const char* codec, int from) {
        return QTextCodec::codecForName(codec)->toUnicode(bytes.constData() + from,
                                                          bytes.size() - from);
    };
    if (bytes.startsWith("\xFF\xFE")) return utf16("UTF-16LE", 2);
    if (bytes.startsWith("\xFE\xFF")) return utf16("UTF-16BE", 2);
    if (bytes.size() >= 2 && bytes[0] != '\0' && bytes[1] == '\0') return utf16("UTF-16LE", 0);
    const int from = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    QTextCodec::ConverterState state;
    const QString text = QTextCodec::codecForName("UTF-8")->toUnicode(bytes.constData() + from,
                                                                      bytes.size() - from, &state);
    if (state.invalidChars == 0 && state.remainingChars == 0) return text;
    return FromAnsi(bytes.mid(from));
}

// Whether a line opens a key or a value of its own: a string that has not ended yet does not
// go on into it.
bool StartsEntry(const QString& line) {
    static const QRegularExpression entry(
        QStringLiteral("^[ \\t]*(?:\\[.*\\][ \\t]*$|@[ \\t]*=|\"(?:[^\"\\\\]|\\\\.)*\"[ \\t]*=)"));
    return entry.match(line).hasMatch();
}

// The rest of a hex value after a line ending in "\": pairs of hex digits and commas.
bool GoesOnHex(const QString& line) {
    static const QRegularExpression hex(
        QStringLiteral("^[ \\t]*[0-9A-Fa-f]{2}[0-9A-Fa-f, \\t]*\\\\?[ \\t]*$"));
    return hex.match(line).hasMatch();
}

// Reads quoted text from text[pos] on, the opening quote already passed: "\\" stands for a
// backslash and "\"" for a quote (any other backslash for itself). True with pos after the
// closing quote; false when the text ends first, with what was read appended to *out.
bool ReadQuoted(const QString& text, int& pos, QString* out) {
    for (int i = pos; i < text.size(); ++i) {
        if (text[i] == '"') {
            pos = i + 1;
            return true;
        }
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"'))
            ++i;
        *out += text[i];
    }
    pos = text.size();
    return false;
}

// Why a name cannot be kept in the settings store as it is (the application names a file, the
// section and the key are INI names), or the empty text.
QString Unstorable(const QString& application, const QString& section, const QString& key) {
    const auto plain = [](const QString& s) {
        return !s.isEmpty() && s == Convert::TrimBlanks(s) &&
               std::none_of(s.begin(), s.end(), [](QChar c) { return c < ' ' || c == '\x7F'; });
    };
    if (!plain(application) || !SettingsStore::NameProblem(application).isEmpty())
        return QStringLiteral("application name unusable as a file name");
    if (!plain(section) || section.contains(']'))
        return QStringLiteral("section name unusable in an INI file");
    if (!plain(key) || key.contains('=') || key.startsWith(';') || key.startsWith('['))
        return QStringLiteral("name unusable in an INI file");
    return {};
}

}  // namespace

bool RegistryImport::Read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error_ = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    // Read in pieces up to the limit: a device without end (/dev/zero) has no size to ask.
    QByteArray bytes;
    while (bytes.size() <= kMaxBytes) {
        const QByteArray piece = file.read(std::min<qint64>(1 << 20, kMaxBytes + 1 - bytes.size()));
        if (piece.isEmpty()) break;
        bytes += piece;
    }
    if (file.error() != QFileDevice::NoError) {
        error_ = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    if (bytes.size() > kMaxBytes) {
        error_ = QStringLiteral("%1 is larger than %2 MB: not a settings export")
                     .arg(path)
                     .arg(kMaxBytes >> 20);
        return false;
    }
    return ReadText(path, Decode(bytes));
}

bool RegistryImport::ReadText(const QString& path, QString text) {
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    // Editors pad UTF-16 files with zero characters at the end.
    while (text.endsWith(QChar(0))) text.chop(1);
    // The lines without their ends, and the ends, to join a value that spans lines again.
    QStringList lines = text.split('\n');
    QStringList ends;
    for (QString& line : lines) {
        const bool crlf = line.endsWith('\r');
        if (crlf) line.chop(1);
        ends.append(crlf ? QStringLiteral("\r\n") : QStringLiteral("\n"));
    }
    const QString header = Convert::TrimBlanks(lines[0]);
    if (header != QLatin1String("Windows Registry Editor Version 5.00") &&
        header != QLatin1String("REGEDIT4")) {
        error_ = QStringLiteral(
                     "%1 is not a registry export (the first line is neither \"Windows Registry "
                     "Editor Version 5.00\" nor \"REGEDIT4\")")
                     .arg(path);
        return false;
    }
    for (int i = 1; i < lines.size(); ++i) {
        const QString line = Convert::TrimBlanks(lines[i]);
        if (line.isEmpty() || line.startsWith(';')) continue;
        if (line.startsWith('[') && line.endsWith(']'))
            OpenKey(line.mid(1, line.size() - 2));
        else
            ReadValue(lines, ends, i);
    }
    return true;
}

void RegistryImport::OpenKey(const QString& path) {
    // The settings root of the current user, or of any user's hive under HKEY_USERS.
    static const QRegularExpression root(
        QStringLiteral("^(?:HKEY_CURRENT_USER|HKEY_USERS\\\\[^\\\\]+)"
                       "\\\\Software\\\\VB and VBA Program Settings(?:\\\\|$)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = root.match(path);
    if (!m.hasMatch()) {
        where_ = Where::Outside;
        ++keysOutside_;
        return;
    }
    keyPath_ = path.mid(m.capturedLength());
    const QStringList parts = keyPath_.split('\\');
    const int depth = keyPath_.isEmpty() ? 0 : parts.size();
    where_ = depth < 2 ? Where::Above : depth == 2 ? Where::Section : Where::Below;
    if (where_ == Where::Section) {
        application_ = SettingsStore::Spelling(parts[0]);
        section_ = parts[1];
    }
    if (where_ == Where::Below)
        skipped_.append(keyPath_ + QStringLiteral(": key deeper than application\\section"));
}

void RegistryImport::ReadValue(const QStringList& lines, const QStringList& ends, int& i) {
    const int first = i;
    // Blanks at the end may belong to a string value that goes on in the next line.
    QString text = Convert::TrimLeadingBlanks(lines[i]);
    const bool isDefault = text.startsWith('@');
    QString name;
    int pos = isDefault ? 1 : 0;
    const bool named = isDefault || (text.startsWith('"') && ReadQuoted(text, ++pos, &name));
    if (isDefault) name = QStringLiteral("(default)");
    const int eq = named ? text.indexOf('=', pos) : -1;
    if (eq < 0 || !Convert::TrimBlanks(text.mid(pos, eq - pos)).isEmpty()) {
        if (where_ == Where::Above || where_ == Where::Section)
            Unreadable(QStringLiteral("line %1: neither a key nor a value").arg(first + 1));
        return;
    }
    text = Convert::TrimLeadingBlanks(text.mid(eq + 1));
    if (text.startsWith('"')) {
        // A line break inside a string value stands in the file as it is; a line that opens
        // a key or a value of its own ends the search for the closing quote.
        QString value;
        pos = 1;
        int last = i;
        while (!ReadQuoted(text, pos, &value)) {
            if (last + 1 >= lines.size() || StartsEntry(lines[last + 1]))
                return Unreadable(name, QStringLiteral("string without its end"));
            value += ends[last];
            text = lines[++last];
            pos = 0;
        }
        if (!Convert::TrimBlanks(text.mid(pos)).isEmpty())
            return Unreadable(name, QStringLiteral("unreadable value"));
        i = last;
        return isDefault ? Skip(name, QStringLiteral("default value")) : Take(name, value);
    }
    // Other types: "dword:0000001e", "hex:..", "hex(2):..", going on in the next line after "\"
    // when that line holds hex digits.
    text = Convert::TrimBlanks(text);
    while (text.endsWith('\\') && i + 1 < lines.size() && GoesOnHex(lines[i + 1]))
        text = text.chopped(1) + Convert::TrimBlanks(lines[++i]);
    const int colon = text.indexOf(':');
    Skip(name, text == QLatin1String("-") ? QStringLiteral("deletion")
               : colon > 0                ? Convert::TrimBlanks(text.left(colon)).toLower()
                                          : QStringLiteral("unreadable value"));
}

void RegistryImport::Take(const QString& name, const QString& value) {
    if (where_ != Where::Section) return Skip(name, QString());
    if (const QString why = Unstorable(application_, section_, name); !why.isEmpty())
        return Unreadable(name, why);
    const Keys::Definition* d = Keys::Find(application_, section_, name);
    const bool scrambled = d != nullptr && qstrcmp(d->stem, Keys::kPwdHbv) == 0;
    values_.append({application_, section_, name, scrambled ? AnsiCodes(value) : value});
}

void RegistryImport::Skip(const QString& name, const QString& why) {
    const QString at = keyPath_.isEmpty() ? name : keyPath_ + QLatin1Char('\\') + name;
    if (where_ == Where::Section)
        skipped_.append(at + QStringLiteral(": ") + why);
    else if (where_ == Where::Above)
        skipped_.append(at + QStringLiteral(": not in an application's section"));
}

void RegistryImport::Unreadable(const QString& name, const QString& why) {
    if (where_ == Where::Section) ++unreadable_;
    Skip(name, why);
}

void RegistryImport::Unreadable(const QString& line) {
    if (where_ == Where::Section) ++unreadable_;
    skipped_.append(line);
}
