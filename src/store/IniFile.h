#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// INI files with the profile semantics the host's files were written for: section and key
// names compare without regard to letter case, surrounding blanks are trimmed, lines starting
// with ";" are comments, a ";" inside a value belongs to the value, and matching quotes around
// a value are removed. A value holding control characters (line breaks, tabs, ...) is written
// as $"..." with C-like escapes, so every value reads back exactly as it was stored; anywhere
// else a backslash is an ordinary character. Writing a key keeps every other line of the file
// as it was, and the file is replaced atomically under a lock, so instances writing the same
// file lose nothing. Files are read in the encoding they are in (UTF-8, with or without a
// byte-order mark; UTF-16 with one; else the Windows ANSI code page) and written back in it.
namespace IniFile {

// A text file's bytes as text, by the rules above.
QString DecodeText(QByteArray bytes);

// The value, or nothing when the file, the section or the key is missing.
std::optional<QString> Lookup(const QString& path, const QString& section, const QString& key);

// The value, empty when absent.
QString Read(const QString& path, const QString& section, const QString& key);

// Who may read a file that Write creates: whoever the folder and the umask let in, or only its
// owner (mode 0600, for files holding secrets). A file that exists keeps its permissions.
enum class NewFile { Shared, OwnerOnly };

// Stores the value, creating the file and the section when needed. Throws RelvaneError when
// the file cannot be written or a name would not read back: a control character in either, a
// "]" in the section's, an empty key, or a key holding "=" or beginning with ";" or "[".
void Write(const QString& path, const QString& section, const QString& key, const QString& value,
           NewFile newFile = NewFile::Shared);

// Every entry in one write of the file, as if written one after the other (a later entry of a
// key wins). Nothing is written when a name is refused.
struct Entry {
    QString section;
    QString key;
    QString value;
};
void Write(const QString& path, const QList<Entry>& entries, NewFile newFile = NewFile::Shared);

// The value on one line for people to read: in its escaped form when it holds control
// characters, else as it is.
QString Printable(const QString& value);

// Section names in file order, and the "key=value" entries of one section (keys as written).
QStringList Sections(const QString& path);
QList<std::pair<QString, QString>> Entries(const QString& path, const QString& section);

}  // namespace IniFile
