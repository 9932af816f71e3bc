#include "store/IniFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QSaveFile>
#include <QTextCodec>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "store/Convert.h"
#include "store/Errors.h"

namespace {

// How a file's bytes are text: files written by older Windows tools are in the ANSI code page
// (Windows-1252) or UTF-16 with a byte-order mark; everything else is UTF-8.
enum class Encoding { Utf8, Ansi, Utf16Le, Utf16Be };

// The file as lines, with what is needed to write it back the way it was.
struct IniText {
    QStringList lines;
    bool crlf = false;
    bool bom = false;  // UTF-8 with a byte-order mark
    Encoding encoding = Encoding::Utf8;
};

// Windows-1252 at 0x80-0x9F; the five codes it leaves undefined keep their Latin-1 meaning, so
// that any byte reads and writes back unchanged.
constexpr char16_t kAnsi80[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString FromAnsi(const QByteArray& bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    for (int i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        text[i] = QChar(b >= 0x80 && b < 0xA0 ? kAnsi80[b - 0x80] : char16_t(b));
    }
    return text;
}

// The text in the ANSI code page; none when a character has no code there.
std::optional<QByteArray> ToAnsi(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            bytes += static_cast<char>(u);
            continue;
        }
        const auto* found = std::find(std::begin(kAnsi80), std::end(kAnsi80), u);
        if (found == std::end(kAnsi80)) return std::nullopt;
        bytes += static_cast<char>(0x80 + (found - std::begin(kAnsi80)));
    }
    return bytes;
}

QString DecodeBytes(const QByteArray& bytes, Encoding* encoding) {
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const bool le = bytes.startsWith("\xFF\xFE");
        *encoding = le ? Encoding::Utf16Le : Encoding::Utf16Be;
        return QTextCodec::codecForName(le ? "UTF-16LE" : "UTF-16BE")->toUnicode(bytes.mid(2));
    }
    QTextCodec::ConverterState state;
    const QString text =
        QTextCodec::codecForName("UTF-8")->toUnicode(bytes.constData(), bytes.size(), &state);
    if (state.invalidChars == 0) return text;
    *encoding = Encoding::Ansi;
    return FromAnsi(bytes);
}

// Without the byte-order mark, which the caller writes.
QByteArray Utf16(const QString& text, const char* codec) {
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    return QTextCodec::codecForName(codec)->fromUnicode(text.constData(), text.size(), &state);
}

QByteArray EncodeText(const QString& text, Encoding encoding, bool bom) {
    switch (encoding) {
        case Encoding::Utf16Le:
            return QByteArray("\xFF\xFE") + Utf16(text, "UTF-16LE");
        case Encoding::Utf16Be:
            return QByteArray("\xFE\xFF") + Utf16(text, "UTF-16BE");
        case Encoding::Ansi: {
            // A value the code page cannot hold turns the file into UTF-8 rather than losing it;
            // so does a text whose bytes in the code page would read as UTF-8 (once the last
            // line that was not UTF-8 is written over): "Ã©" would come back as "é".
            Encoding readAs = Encoding::Utf8;
            const auto ansi = ToAnsi(text);
            if (ansi && DecodeBytes(*ansi, &readAs) == text) return *ansi;
            [[fallthrough]];
        }
        case Encoding::Utf8:
            break;
    }
    return (bom ? QByteArray("\xEF\xBB\xBF") : QByteArray()) + text.toUtf8();
}

// A missing file is an empty one. A file that is there but cannot be read (another user's, a
// folder in its place) is an error: taken as empty it would hand out defaults, and the next
// write would replace it with only the key written.
IniText Load(const QString& path) {
    IniText ini;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (!QFileInfo::exists(path)) return ini;
        throw RelvaneError(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw RelvaneError(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        ini.bom = true;
        bytes.remove(0, 3);
    }
    QString text = DecodeBytes(bytes, &ini.encoding);
    ini.crlf = text.contains(QLatin1String("\r\n"));
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    // A carriage return that ends the file is a line end cut short, not part of the last
    // value: written back with a line end after it, it would become one.
    if (text.endsWith(QLatin1Char('\r'))) text.chop(1);
    ini.lines = text.split(QLatin1Char('\n'));
    if (!ini.lines.isEmpty() && ini.lines.last().isEmpty()) ini.lines.removeLast();
    return ini;
}

std::optional<QString> SectionName(const QString& line) {
    const QString t = Convert::TrimBlanks(line);
    if (!t.startsWith(QLatin1Char('['))) return std::nullopt;
    const int close = t.indexOf(QLatin1Char(']'));
    if (close < 0) return std::nullopt;
    return Convert::TrimBlanks(t.mid(1, close - 1));
}

// A value holding control characters cannot stand on its line as it is: a line break would end
// the entry and could open a section of its own, a carriage return would change how the file's
// line ends are read. Such a value is written as $"..." with C-like escapes (\n \r \t \xHH, and
// \\ and \" for the backslash and the quote). The "$" marks the form: no value was ever written
// starting with $" and ending with " (a value ending with a quote is put in plain quotes), so in
// every other value, and in files written by hand or by Windows tools, a backslash stays an
// ordinary character.
bool HoldsControls(const QString& value) {
    for (const QChar c : value)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) return true;
    return false;
}

QString Escaped(const QString& value) {
    QString out = QStringLiteral("$\"");
    for (const QChar c : value) {
        switch (c.unicode()) {
            case '\\':
                out += QLatin1String("\\\\");
                break;
            case '"':
                out += QLatin1String("\\\"");
                break;
            case '\n':
                out += QLatin1String("\\n");
                break;
            case '\r':
                out += QLatin1String("\\r");
                break;
            case '\t':
                out += QLatin1String("\\t");
                break;
            default:
                if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                    out += QString::asprintf("\\x%02X", static_cast<unsigned>(c.unicode()));
                else
                    out += c;
        }
    }
    return out + QLatin1Char('"');
}

int HexDigit(QChar c) {
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    return -1;
}

// The value of a $"..." text, or nothing when the text is not exactly that form (an unknown
// escape, a lone backslash or a bare quote inside): such a text is read as it stands.
std::optional<QString> Unescaped(const QString& text) {
    if (text.size() < 3 || !text.startsWith(QLatin1String("$\"")) || text.back() != '"')
        return std::nullopt;
    QString out;
    const int end = text.size() - 1;
    for (int i = 2; i < end; ++i) {
        const QChar c = text[i];
        if (c == '"') return std::nullopt;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i == end) return std::nullopt;
        switch (text[i].unicode()) {
            case '\\':
            case '"':
                out += text[i];
                break;
            case 'n':
                out += QLatin1Char('\n');
                break;
            case 'r':
                out += QLatin1Char('\r');
                break;
            case 't':
                out += QLatin1Char('\t');
                break;
            case 'x': {
                if (i + 2 >= end) return std::nullopt;
                const int high = HexDigit(text[i + 1]), low = HexDigit(text[i + 2]);
                if (high < 0 || low < 0) return std::nullopt;
                out += QChar(high * 16 + low);
                i += 2;
                break;
            }
            default:
                return std::nullopt;
        }
    }
    return out;
}

// Splits "key=value" lines; comments and lines without "=" are not entries.
bool SplitEntry(const QString& line, QString* key, QString* value) {
    const QString t = Convert::TrimBlanks(line);
    if (t.isEmpty() || t.startsWith(QLatin1Char(';'))) return false;
    const int eq = t.indexOf(QLatin1Char('='));
    if (eq <= 0) return false;
    *key = Convert::TrimBlanks(t.left(eq));
    QString v = Convert::TrimBlanks(t.mid(eq + 1));
    if (auto unescaped = Unescaped(v)) {
        v = *unescaped;
    } else if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        v = v.mid(1, v.size() - 2);
    }
    *value = v;
    return true;
}

// A value whose ends would be trimmed or unquoted on reading is written inside quotes, which
// the reader removes again: what is saved is what is read.
QString Protected(const QString& value) {
    if (HoldsControls(value)) return Escaped(value);
    if (value.isEmpty()) return value;
    const QString ends = QStringLiteral(" \t\"'");
    if (!ends.contains(value.front()) && !ends.contains(value.back())) return value;
    return QLatin1Char('"') + value + QLatin1Char('"');
}

// A name other than the key's own would read back from a key's line that is empty, holds "="
// (the key ends there) or begins with ";" or "[" (the line is a comment, or can read as a
// section); and from a section's line when the name holds "]" (the name ends there).
bool StorableNames(const QString& section, const QString& key) {
    const QString k = Convert::TrimBlanks(key);
    return !section.contains(QLatin1Char(']')) && !k.isEmpty() && !k.contains(QLatin1Char('=')) &&
           !k.startsWith(QLatin1Char(';')) && !k.startsWith(QLatin1Char('['));
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Walks the entries of one section, in file order, with their line index.
template <typename Visit>
void ForEachEntry(const IniText& ini, const QString& section, Visit visit) {
    bool inSection = false;
    for (int i = 0; i < ini.lines.size(); ++i) {
        if (auto name = SectionName(ini.lines[i])) {
            inSection = SameName(*name, section);
            continue;
        }
        QString key, value;
        if (inSection && SplitEntry(ini.lines[i], &key, &value)) {
            if (!visit(i, key, value)) return;
        }
    }
}

// Run as root (`sudo relvane config ...`), the replacement would belong to root and the terminal,
// running as its own user, could no longer read it: it gets the owner and group of the file it
// replaces, or of its folder when it is new.
void KeepOwner(int fd, const QString& path) {
    if (::geteuid() != 0) return;
    struct stat st {};
    const QString from = QFileInfo::exists(path) ? path : QFileInfo(path).absolutePath();
    if (::stat(QFile::encodeName(from).constData(), &st) != 0 ||
        ::fchown(fd, st.st_uid, st.st_gid) != 0)
        throw RelvaneError(QStringLiteral("cannot write %1: cannot keep the owner of %2: %3")
                               .arg(path, from, QString::fromLocal8Bit(std::strerror(errno))));
}

// QSaveFile gives the new file the permissions of the one it replaces; a file it creates gets
// the umask's, unless it is to be the owner's only (set before anything is written to it).
void Save(const QString& path, const IniText& ini, IniFile::NewFile newFile) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QString eol = ini.crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QString text;
    for (const QString& line : ini.lines) text += line + eol;
    const QByteArray bytes = EncodeText(text, ini.encoding, ini.bom);
    const bool ownerOnly = newFile == IniFile::NewFile::OwnerOnly && !QFileInfo::exists(path);
    QSaveFile file(path);
    const auto fail = [&] {
        return RelvaneError(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    };
    if (!file.open(QIODevice::WriteOnly) ||
        (ownerOnly && !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)))
        throw fail();
    KeepOwner(file.handle(), path);  // the unfinished replacement is dropped when this raises
    if (file.write(bytes) != bytes.size() || !file.commit()) throw fail();
}

}  // namespace

namespace IniFile {

QString DecodeText(QByteArray bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
    Encoding encoding = Encoding::Utf8;
    return DecodeBytes(bytes, &encoding);
}

std::optional<QString> Lookup(const QString& path, const QString& section, const QString& key) {
    std::optional<QString> found;
    ForEachEntry(Load(path), Convert::TrimBlanks(section),
                 [&](int, const QString& k, const QString& v) {
                     if (!SameName(k, Convert::TrimBlanks(key))) return true;
                     found = v;
                     return false;
                 });
    return found;
}

QString Read(const QString& path, const QString& section, const QString& key) {
    return Lookup(path, section, key).value_or(QString(""));
}

void Write(const QString& path, const QString& section, const QString& key, const QString& value,
           NewFile newFile) {
    Write(path, QList<Entry>{{section, key, value}}, newFile);
}

void Write(const QString& path, const QList<Entry>& entries, NewFile newFile) {
    // Values are escaped; a name is written as it is, and a line break in it would open a line
    // of its own.
    for (const Entry& e : entries) {
        if (HoldsControls(e.section) || HoldsControls(e.key))
            throw RelvaneError(QStringLiteral("cannot write %1: control character in [%2] %3")
                                   .arg(path, e.section, e.key));
        if (!StorableNames(e.section, e.key))
            throw RelvaneError(QStringLiteral("cannot write %1: [%2] %3 cannot be stored")
                                   .arg(path, e.section, e.key));
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    QLockFile lock(path + QStringLiteral(".lock"));
    lock.setStaleLockTime(10000);
    if (!lock.tryLock(10000)) throw RelvaneError(QStringLiteral("cannot lock %1").arg(path));

    IniText ini = Load(path);
    // The file in blocks: the lines before the first section, then each section with its
    // lines. A key is found in the first section of its name that holds it, and a new key goes
    // after the last non-blank line of the first section of that name, so that any number of
    // entries are placed in one pass.
    struct Block {
        QStringList lines;
        int insertAt = 0;
    };
    QList<Block> blocks{Block{}};
    QHash<QString, int> firstBlock;                // folded section name -> block
    QHash<QString, std::pair<int, int>> keyLines;  // folded "section]key" -> block, line
    const auto fold = [](const QString& name) { return Convert::TrimBlanks(name).toCaseFolded(); };
    QString current;
    bool inSection = false;
    for (const QString& line : ini.lines) {
        if (auto name = SectionName(line)) {
            blocks.append(Block{{line}, 0});
            current = name->toCaseFolded();
            inSection = true;
            if (!firstBlock.contains(current)) firstBlock.insert(current, blocks.size() - 1);
            continue;
        }
        Block& block = blocks.last();
        block.lines.append(line);
        if (!line.trimmed().isEmpty()) block.insertAt = block.lines.size() - 1;
        QString k, v;
        if (inSection && SplitEntry(line, &k, &v)) {
            const QString id = current + QLatin1Char(']') + k.toCaseFolded();
            if (!keyLines.contains(id))
                keyLines.insert(id, {blocks.size() - 1, block.lines.size() - 1});
        }
    }
    for (const Entry& e : entries) {
        const QString section = fold(e.section);
        const QString id = section + QLatin1Char(']') + fold(e.key);
        const QString entry = e.key + QLatin1Char('=') + Protected(e.value);
        if (const auto at = keyLines.constFind(id); at != keyLines.constEnd()) {
            blocks[at->first].lines[at->second] = entry;
            continue;
        }
        if (!firstBlock.contains(section)) {
            Block& last = blocks.last();
            if (!last.lines.isEmpty() && !last.lines.last().trimmed().isEmpty())
                last.lines.append(QString());
            blocks.append(Block{{QLatin1Char('[') + e.section + QLatin1Char(']')}, 0});
            firstBlock.insert(section, blocks.size() - 1);
        }
        const int b = firstBlock.value(section);
        Block& block = blocks[b];
        block.lines.insert(++block.insertAt, entry);
        keyLines.insert(id, {b, block.insertAt});
    }
    ini.lines.clear();
    for (const Block& block : blocks) ini.lines += block.lines;
    Save(path, ini, newFile);
}

QStringList Sections(const QString& path) {
    QStringList names;
    for (const QString& line : Load(path).lines)
        if (auto name = SectionName(line)) names.append(*name);
    return names;
}

QString Printable(const QString& value) {
    return HoldsControls(value) ? Escaped(value) : value;
}

QList<std::pair<QString, QString>> Entries(const QString& path, const QString& section) {
    QList<std::pair<QString, QString>> entries;
    ForEachEntry(Load(path), Convert::TrimBlanks(section),
                 [&](int, const QString& k, const QString& v) {
                     entries.append({k, v});
                     return true;
                 });
    return entries;
}

}  // namespace IniFile
