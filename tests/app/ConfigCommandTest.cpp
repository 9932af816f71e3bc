#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextCodec>

#include "chat/PasswordScramble.h"
#include "store/IniFile.h"
#include "store/SettingsKeys.h"

namespace {

struct Outcome {
    int status;
    QString out;
    QString err;
};

class ConfigCommandTest : public ::testing::Test {
  protected:
    Outcome Run(const QStringList& args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("RELVANE_CONFIG_DIR", dir_.path());
        p.setProcessEnvironment(env);
        p.start(RELVANE_BINARY, QStringList{"config"} + args);
        p.waitForFinished(10000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()).trimmed(),
                QString::fromUtf8(p.readAllStandardError()).trimmed()};
    }
    // A file beside the settings, for `config import`.
    QString Export(const QByteArray& bytes) {
        const QString path = exports_.filePath("settings.reg");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    QString Stored(const QString& app, const QString& section, const QString& key) const {
        return IniFile::Read(dir_.filePath(app + ".ini"), section, key);
    }
    QTemporaryDir dir_;
    QTemporaryDir exports_;
};

const QByteArray kRoot = "[HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\";

// As the registry editor writes it: UTF-16 with a byte-order mark, CR LF.
QByteArray Utf16(QString text) {
    text.replace("\n", "\r\n");
    return "\xFF\xFE" + QTextCodec::codecForName("UTF-16LE")->fromUnicode(text);
}

}  // namespace

TEST_F(ConfigCommandTest, SetGetAndTheDefaultsOfKeysNotStored) {
    EXPECT_EQ(Run({"set", "HBV-Gate", "Setting", "SERVER HBV #5", "supplier1@localhost"}).status,
              0);
    const Outcome got = Run({"get", "HBV-Gate", "Setting", "SERVER HBV #5"});
    EXPECT_EQ(got.status, 0);
    EXPECT_EQ(got.out, "supplier1@localhost");
    EXPECT_EQ(Run({"get", "HBV-Gate", "Setting", "SERVER HBV #6"}).out, "");  // default: empty
    EXPECT_EQ(Run({"get", "HBV-Gate", "Setting", "jPORT #5"}).out, "5222");
    const Outcome unknown = Run({"get", "HBV-Gate", "Setting", "NoSuchKey"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_TRUE(unknown.err.contains("NoSuchKey"));
    EXPECT_EQ(Run({"frobnicate"}).status, 2);
    // the chat password is stored scrambled, the way the terminal reads it back
    EXPECT_EQ(Run({"password", "5", "s3cret pw"}).status, 0);
    EXPECT_NE(Stored("HBV-Gate", "Setting", "PWD HBV #5"), "s3cret pw");
    EXPECT_EQ(PasswordScramble::UnscrambleText(Stored("HBV-Gate", "Setting", "PWD HBV #5"),
                                               Keys::kPasswordKey),
              "s3cret pw");
}

TEST_F(ConfigCommandTest, SetKeepsALineBreakInsideTheValue) {
    const QString value = "stok habis\n[Rebat]\nsetQueue=1";
    EXPECT_EQ(Run({"set", "kzd_sql", "Settings", "Pintar25", value}).status, 0);
    EXPECT_EQ(Run({"get", "kzd_sql", "Settings", "Pintar25"}).out, value);
    EXPECT_EQ(Run({"get", "kzd_sql", "Rebat", "setQueue"}).out, "0");  // still the default
    // listed on one line, in the form it is stored in
    const QString listed = Run({"list", "kzd_sql"}).out;
    EXPECT_TRUE(listed.contains("[Settings]\nPintar25=$\"stok habis\\n[Rebat]\\nsetQueue=1\""))
        << listed.toStdString();
    const Outcome refused = Run({"set", "kzd_sql", "Settings", "x\n[Rebat]\nsetQueue", "1"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(Run({"get", "kzd_sql", "Rebat", "setQueue"}).out, "0");
}

TEST_F(ConfigCommandTest, ImportStoresTheValuesUnderTheProgramsSpellingAndReportsTheRest) {
    const QString root = kRoot;
    const QStringList lines = {
        "Windows Registry Editor Version 5.00",
        "",
        root + "hbv-gate\\Setting]",
        "\"UID HBV #5\"=\"terminal5@localhost\"",
        "\"jPORT #5\"=dword:0000146c",
        "",
        root + "Terminal #5\\Setting]",
        "\"MainLeft\"=\"1200\"",
    };
    const Outcome imported = Run({"import", Export(Utf16(lines.join('\n')))});
    EXPECT_EQ(imported.status, 0);
    EXPECT_EQ(imported.out,
              "HBV-Gate: 1 value\n"
              "Terminal #5: 1 value\n"
              "skipped hbv-gate\\Setting\\jPORT #5: dword");
    // the application as the program spells it, names with blanks and "#"
    EXPECT_EQ(Stored("HBV-Gate", "Setting", "UID HBV #5"), "terminal5@localhost");
    EXPECT_EQ(Stored("Terminal #5", "Setting", "MainLeft"), "1200");
    EXPECT_EQ(Run({"get", "HBV-Gate", "Setting", "jPORT #5"}).out, "5222");
}

TEST_F(ConfigCommandTest, ImportReadsAnsiAndUtf8ExportsAndKeepsTheChatPassword) {
    // The window scrambled the password over 8-bit codes and Windows kept them as ANSI text.
    const QString password = "rahasia#1357";
    const QByteArray codes =
        PasswordScramble::ScrambleText(password, Keys::kPasswordKey).toLatin1();
    const QString asWindowsKeptIt = QTextCodec::codecForName("Windows-1252")->toUnicode(codes);
    ASSERT_NE(asWindowsKeptIt, QString::fromLatin1(codes));  // codes that differ in ANSI
    const QByteArray ansi = "REGEDIT4\r\n\r\n" + kRoot +
                            "kzd_sql\\FiturPromo]\r\n\"Value\"=\"Terima kasih \x93"
                            "caf\xE9\x94\"\r\n" +
                            kRoot + "HBV-Gate\\Setting]\r\n\"PWD HBV #5\"=\"" + codes + "\"\r\n";
    const QByteArray utf8 = "Windows Registry Editor Version 5.00\n\n" + kRoot +
                            "HBV-Gate\\Setting]\n\"PWD HBV #6\"=\"" + asWindowsKeptIt.toUtf8() +
                            "\"\n";
    EXPECT_EQ(Run({"import", Export(ansi)}).out, "kzd_sql: 1 value\nHBV-Gate: 1 value");
    EXPECT_EQ(Run({"import", Export(utf8)}).status, 0);
    EXPECT_EQ(Stored("kzd_sql", "FiturPromo", "Value"),
              QString::fromUtf8("Terima kasih \u201Ccaf\u00E9\u201D"));
    for (const char* key : {"PWD HBV #5", "PWD HBV #6"})
        EXPECT_EQ(PasswordScramble::UnscrambleText(Stored("HBV-Gate", "Setting", key),
                                                   Keys::kPasswordKey),
                  password)
            << key;
}

TEST_F(ConfigCommandTest, ImportRefusesWhatIsNotARegistryExport) {
    const Outcome text = Run({"import", Export("[Setting]\r\nUID HBV #5=terminal5@localhost\r\n")});
    EXPECT_EQ(text.status, 1);
    EXPECT_TRUE(text.err.contains("not a registry export")) << text.err.toStdString();
    EXPECT_EQ(Run({"import", exports_.filePath("absent.reg")}).status, 1);
    EXPECT_TRUE(QDir(dir_.path()).isEmpty());
}
