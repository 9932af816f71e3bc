#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Settings exported from the Windows registry, where the program kept them under
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>, read from
// the .reg text the registry editor writes: "Windows Registry Editor Version 5.00" in UTF-16
// with a byte-order mark, or "REGEDIT4" in the ANSI code page (Windows-1252); the encoding is
// taken from the bytes, not from the first line.
// Inside quotes "\\" stands for a backslash and "\"" for a quote. Only string values of
// application\section keys are taken; everything else under the settings root is reported in
// Skipped(), and keys outside it are counted.
class RegistryImport {
  public:
    struct Value {
        QString application;
        QString section;
        QString key;
        QString value;
    };

    // No export is larger; a bigger file (or an endless one, /dev/zero) is refused.
    static constexpr int kMaxBytes = 64 << 20;

    // False when the file cannot be read, is larger than kMaxBytes or is not a registry
    // export; Error() says why. Linear in the file's size.
    bool Read(const QString& path);

    // In file order, ready for the settings store.
    const QList<Value>& Values() const { return values_; }
    // One line per value or key left out, in file order: "HBV-Gate\Setting\Foo: dword".
    const QStringList& Skipped() const { return skipped_; }
    int KeysOutside() const { return keysOutside_; }
    // How many of the Skipped() lines are values meant for the store that could not be read
    // or named there (not the other types, which are never taken).
    int Unreadable() const { return unreadable_; }
    const QString& Error() const { return error_; }

  private:
    enum class Where { Nowhere, Outside, Above, Section, Below };

    bool ReadText(const QString& path, QString text);
    void OpenKey(const QString& path);
    // Reads the value starting at lines[i]; i is left on its last line.
    void ReadValue(const QStringList& lines, const QStringList& ends, int& i);
    void Take(const QString& name, const QString& value);
    void Skip(const QString& name, const QString& why);
    void Unreadable(const QString& name, const QString& why);
    void Unreadable(const QString& line);

    Where where_ = Where::Nowhere;
    QString keyPath_;  // below the settings root, as written: "HBV-Gate\Setting"
    QString application_;
    QString section_;
    QList<Value> values_;
    QStringList skipped_;
    int keysOutside_ = 0;
    int unreadable_ = 0;
    QString error_;
};
