#include <QTemporaryDir>

#include "store/Errors.h"
#include "store/IniFile.h"
#include "support/TestTools.h"

namespace {

class IniFileTest : public ::testing::Test {
  protected:
    QString Path() const { return dir_.filePath(QStringLiteral("Setting.ini")); }
    void WriteRaw(const QByteArray& bytes) { WriteFile(Path(), bytes); }
    QByteArray ReadRaw() const {
        QFile f(Path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QTemporaryDir dir_;
};

}  // namespace

TEST_F(IniFileTest, ReadsWithProfileRules) {
    WriteRaw(
        "; database of the reseller server\r\n"
        "[ DataBase ]\r\n"
        "  driver = MariaDB Unicode  \r\n"
        ";Server=commented.out\r\n"
        "Server=127.0.0.1\r\n"
        "UID=\"quoted user\"\r\n"
        "Note=first;second ; third\r\n"
        "[Other]\r\n"
        "Server=wrong\r\n");
    for (const auto& [section, key, value] : {std::tuple{"database", "DRIVER", "MariaDB Unicode"},
                                              {"Database", "Server", "127.0.0.1"},
                                              {"Database", "UID", "quoted user"},
                                              {"Database", "Note", "first;second ; third"},
                                              {"Other", "Server", "wrong"}})
        EXPECT_EQ(IniFile::Read(Path(), section, key), value) << key;
    // Missing key, section and file all read as the empty text; Lookup tells them apart.
    EXPECT_EQ(IniFile::Read(Path(), "Database", "PWD"), "");
    EXPECT_FALSE(IniFile::Lookup(Path(), "Nowhere", "Server").has_value());
    EXPECT_EQ(IniFile::Read(dir_.filePath("absent.ini"), "Database", "Server"), "");
}

TEST_F(IniFileTest, WritingOneKeyKeepsEveryOtherLine) {
    WriteRaw(
        "; keep me\r\n"
        "[Database]\r\n"
        "Driver=MariaDB Unicode\r\n"
        "server = old\r\n"
        "\r\n"
        "[Software]\r\n"
        "Boster=Terminal #1\r\n");
    IniFile::Write(Path(), "DATABASE", "Server", "127.0.0.1");
    IniFile::Write(Path(), "Database", "Port", "33061");
    IniFile::Write(Path(), "Log", "7", "Terminal #5");
    EXPECT_EQ(ReadRaw(),
              "; keep me\r\n"
              "[Database]\r\n"
              "Driver=MariaDB Unicode\r\n"
              "Server=127.0.0.1\r\n"
              "Port=33061\r\n"
              "\r\n"
              "[Software]\r\n"
              "Boster=Terminal #1\r\n"
              "\r\n"
              "[Log]\r\n"
              "7=Terminal #5\r\n");
}

TEST_F(IniFileTest, AnsiAndUtf16FilesAreReadAndWrittenInTheirOwnEncoding) {
    // Windows-1252: "\x80" is the euro sign, "\xE9" e acute; an undefined code stays itself
    WriteRaw("[Pesan]\r\nPesan4=Biaya \x80 5 caf\xE9 \x8D\r\n");
    EXPECT_EQ(IniFile::Read(Path(), "Pesan", "Pesan4"),
              QString::fromUtf8("Biaya \xE2\x82\xAC 5 caf\xC3\xA9 \xC2\x8D"));
    IniFile::Write(Path(), "Pesan", "Pesan5", QString::fromUtf8("\xE2\x80\x9Cok\xE2\x80\x9D"));
    EXPECT_EQ(ReadRaw(), QByteArray("[Pesan]\r\nPesan4=Biaya \x80 5 caf\xE9 \x8D\r\n"
                                    "Pesan5=\x93ok\x94\r\n"));
    // a character the code page has not: the file becomes UTF-8, nothing is lost
    IniFile::Write(Path(), "Pesan", "Pesan6", QString::fromUtf8("\xE2\x9C\x93"));
    EXPECT_EQ(IniFile::Read(Path(), "Pesan", "Pesan4"),
              QString::fromUtf8("Biaya \xE2\x82\xAC 5 caf\xC3\xA9 \xC2\x8D"));
    EXPECT_EQ(IniFile::Read(Path(), "Pesan", "Pesan6"), QString::fromUtf8("\xE2\x9C\x93"));

    // UTF-16 with a byte-order mark, as Windows tools save "Unicode" files
    const QString utf16 = QStringLiteral("[Database]\r\nServer=db\u00E9\r\n");
    QByteArray le("\xFF\xFE");
    le.append(reinterpret_cast<const char*>(utf16.utf16()), utf16.size() * 2);
    WriteRaw(le);
    EXPECT_EQ(IniFile::Read(Path(), "Database", "Server"), QStringLiteral("db\u00E9"));
    IniFile::Write(Path(), "Database", "UID", "relvane");
    const QByteArray raw = ReadRaw();
    EXPECT_TRUE(raw.startsWith(le)) << raw.toHex().toStdString();
    EXPECT_EQ(IniFile::Read(Path(), "Database", "UID"), "relvane");
}

TEST_F(IniFileTest, ValuesWithControlCharactersReadBackExactly) {
    // a scrambled password is any run of 8-bit codes, control characters and NUL included
    const QString scrambled = QString::fromLatin1("\x0A\x8D\r\xA0\x7F\x00\x1B", 7);
    for (const QString& v :
         {scrambled, QStringLiteral("a\r\nb\r"), QStringLiteral("\tx\t"),
          QStringLiteral("C:\\new\\x41\n"), QStringLiteral("\"\\\"\n\""), QStringLiteral("'x\n'"),
          QStringLiteral("$\"\n"), QStringLiteral("'x'"), QStringLiteral("$\"\"")}) {
        IniFile::Write(Path(), "Setting", "PWD HBV #5", v);
        EXPECT_EQ(IniFile::Read(Path(), "Setting", "PWD HBV #5"), v);
    }
    // a name cannot be escaped: one with a line break is refused and the file stays as it was
    const QByteArray before = ReadRaw();
    EXPECT_THROW(IniFile::Write(Path(), "Settings", "x\n[Rebat]\nsetQueue", "1"), RelvaneError);
    EXPECT_EQ(ReadRaw(), before);
}

TEST_F(IniFileTest, BackslashesOutsideTheEscapedFormStayOrdinary) {
    const QByteArray handWritten =
        "[Paths]\r\n"
        "Booster=C:\\prog\\new\\booster.exe\r\n"
        "Quoted=\" C:\\temp\\x41 \"\r\n"
        "Typed=a\\nb\\\r\n"
        "Odd=$\"C:\\prog\"\r\n"
        "Open=$\"a\\n\r\n";
    WriteRaw(handWritten);
    IniFile::Write(Path(), "Paths", "Note", "line one\r\nline two");
    EXPECT_TRUE(ReadRaw().startsWith(handWritten));
    EXPECT_EQ(IniFile::Read(Path(), "Paths", "Note"), "line one\r\nline two");
    for (const auto& [key, value] : {std::pair{"Booster", "C:\\prog\\new\\booster.exe"},
                                     {"Quoted", " C:\\temp\\x41 "},
                                     {"Typed", "a\\nb\\"},
                                     {"Odd", "$\"C:\\prog\""},
                                     {"Open", "$\"a\\n"}})
        EXPECT_EQ(IniFile::Read(Path(), "Paths", key), value) << key;
    // a value without control characters is written as it always was
    IniFile::Write(Path(), "Paths", "Booster", "D:\\prog\\n");
    IniFile::Write(Path(), "Paths", "Quoted", "\"D:\\\"");
    EXPECT_TRUE(ReadRaw().startsWith("[Paths]\r\nBooster=D:\\prog\\n\r\nQuoted=\"\"D:\\\"\"\r\n"))
        << ReadRaw().toStdString();
}
