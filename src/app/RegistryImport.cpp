#include "app/RegistryImport.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextCodec>
#include <algorithm>

#include "store/Convert.h"
#include "store/SettingsKeys.h"

namespace {

// Windows-1252 at 0x80..0x9F; every other code is the Latin-1 character of that code, and the
// five codes Windows-1252 leaves free stand for themselves.
constexpr char16_t kAnsiHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString FromAnsi(const QByteArray& bytes) {
    QString text = QString::fromLatin1(bytes);
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

QString Decode(const QByteArray& bytes) {
    QString text;
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        text = QTextCodec::codecForUtfText(bytes)->toUnicode(bytes);
    else if (bytes.startsWith("REGEDIT4"))
        text = FromAnsi(bytes);
    else
        text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    return text;
}

// The quoted text at pos, with "\\" read as a backslash and "\"" as a quote (any other
// backslash stands for itself); pos is left after the closing quote. False when the text ends
// before the closing quote.
bool ReadQuoted(const QString& text, int& pos, QString* out) {
    QString s;
    for (int i = pos + 1; i < text.size(); ++i) {
        if (text[i] == '"') {
            *out = s;
            pos = i + 1;
            return true;
        }
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"'))
            ++i;
        s += text[i];
    }
    return false;
}

// Why a name cannot be kept in the settings store as it is (the application names a file, the
// section and the key are INI names), or the empty text.
QString Unstorable(const QString& application, const QString& section, const QString& key) {
    const auto plain = [](const QString& s) {
        return !s.isEmpty() && s == Convert::TrimBlanks(s) &&
               std::none_of(s.begin(), s.end(), [](QChar c) { return c < ' ' || c == '\x7F'; });
    };
    if (!plain(application) || application.contains('/'))
        return QStringLiteral("application name unusable as a file name");
    if (!plain(section) || section.contains(']'))
        return QStringLiteral("section name unusable in an INI file");
    if (!plain(key) || key.contains('=') || key.startsWith(';') || key.startsWith('['))
        return QStringLiteral("name unusable in an INI file");
    return {};
}

// Application names name files, where letter case counts: a known application is spelt as the
// program spells it.
QString ProgramSpelling(const QString& application) {
    static const QRegularExpression terminal(QStringLiteral("^terminal #(\\d+)$"),
                                             QRegularExpression::CaseInsensitiveOption);
    if (const auto m = terminal.match(application); m.hasMatch())
        return QStringLiteral("Terminal #") + m.captured(1);
    for (const Keys::Definition& d : Keys::Vocabulary())
        if (application.compare(QLatin1String(d.application), Qt::CaseInsensitive) == 0)
            return QString::fromUtf8(d.application);
    return application;
}

}  // namespace

bool RegistryImport::Read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error_ = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    // The lines without their ends, and the ends, to join a value that spans lines again.
    QStringList lines = Decode(file.readAll()).split('\n');
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
        application_ = ProgramSpelling(parts[0]);
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
    QString name = QStringLiteral("(default)");
    int pos = isDefault ? 1 : 0;
    const bool named = isDefault || (text.startsWith('"') && ReadQuoted(text, pos, &name));
    const int eq = named ? text.indexOf('=', pos) : -1;
    if (eq < 0 || !Convert::TrimBlanks(text.mid(pos, eq - pos)).isEmpty()) {
        if (where_ == Where::Above || where_ == Where::Section)
            skipped_.append(QStringLiteral("line %1: neither a key nor a value").arg(first + 1));
        return;
    }
    text = Convert::TrimLeadingBlanks(text.mid(eq + 1));
    if (text.startsWith('"')) {
        QString value;
        pos = 0;
        // A line break inside a string value stands in the file as it is.
        while (!ReadQuoted(text, pos, &value)) {
            if (i + 1 >= lines.size()) return Skip(name, QStringLiteral("string without its end"));
            text += ends[i] + lines[i + 1];
            ++i;
        }
        return isDefault ? Skip(name, QStringLiteral("default value")) : Take(name, value);
    }
    // Other types: "dword:0000001e", "hex:..", "hex(2):..", going on in the next line after "\".
    text = Convert::TrimBlanks(text);
    while (text.endsWith('\\') && i + 1 < lines.size())
        text = text.chopped(1) + Convert::TrimBlanks(lines[++i]);
    const int colon = text.indexOf(':');
    Skip(name, text == QLatin1String("-") ? QStringLiteral("deletion")
               : colon > 0                ? Convert::TrimBlanks(text.left(colon)).toLower()
                                          : QStringLiteral("unreadable value"));
}

void RegistryImport::Take(const QString& name, const QString& value) {
    if (where_ != Where::Section) return Skip(name, QString());
    if (const QString why = Unstorable(application_, section_, name); !why.isEmpty())
        return Skip(name, why);
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
