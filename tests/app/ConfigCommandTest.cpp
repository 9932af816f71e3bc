#include <sys/stat.h>
#include <unistd.h>

#include <QProcess>
#include <QTemporaryDir>
#include <QTextCodec>

#include "chat/PasswordScramble.h"
#include "store/IniFile.h"
#include "store/SettingsKeys.h"
#include "support/TestTools.h"

namespace {

using Outcome = Ran;

class ConfigCommandTest : public ::testing::Test {
  protected:
    Outcome Run(const QStringList& args, const QByteArray& input = QByteArray()) {
        return Program(QStringList{"config"} + args, input);
    }
    // The program with these arguments, this test's settings folder and standard input.
    Outcome Program(const QStringList& args, const QByteArray& input = QByteArray()) {
        const Ran ran = RunRelvane(
            args, {"RELVANE_CONFIG_DIR=" + dir_.path(), "RELVANE_HOME=" + exports_.path()}, input);
        return {ran.status, ran.out.trimmed(), ran.err.trimmed()};
    }
    // A file beside the settings, for `config import`.
    QString Export(const QByteArray& bytes) {
        WriteFile(exports_.filePath("settings.reg"), bytes);
        return exports_.filePath("settings.reg");
    }
    QString Stored(const QString& app, const QString& section, const QString& key) const {
        return IniFile::Read(dir_.filePath(app + ".ini"), section, key);
    }
    // Terminal n's chat password read back as the terminal reads it; "-" when none is stored.
    QString Password(const QString& n) const {
        const auto stored =
            IniFile::Lookup(dir_.filePath("HBV-Gate.ini"), "Setting", "PWD HBV #" + n);
        return stored ? PasswordScramble::UnscrambleText(*stored, Keys::kPasswordKey)
                      : QStringLiteral("-");
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
}

TEST_F(ConfigCommandTest, SetKeepsALineBreakInsideTheValue) {
    const QString value = "tagihan\n[Rebat]\nsetQueue=1";
    EXPECT_EQ(Run({"set", "kzd_sql", "Settings", "SNKataKunci #5", value}).status, 0);
    EXPECT_EQ(Run({"get", "kzd_sql", "Settings", "SNKataKunci #5"}).out, value);
    EXPECT_EQ(Run({"get", "kzd_sql", "Rebat", "setQueue"}).out, "0");  // still the default
    // listed on one line, in the form it is stored in
    const QString listed = Run({"list", "kzd_sql"}).out;
    EXPECT_TRUE(listed.contains("[Settings]\nSNKataKunci #5=$\"tagihan\\n[Rebat]\\nsetQueue=1\""))
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
    EXPECT_EQ(Password("5"), password);
    EXPECT_EQ(Password("6"), password);
}

// A value that could not be read is named, the rest is stored, and the import says it failed.
TEST_F(ConfigCommandTest, ImportFailsWhenAValueIsNotStored) {
    const QByteArray reg = "Windows Registry Editor Version 5.00\n\n" + kRoot +
                           "HBV-Gate\\Setting]\n\"UID HBV #5\"=\"C:\\\"\n\"UID HBV #6\"=\"t6\"\n";
    const Outcome imported = Run({"import", Export(reg)});
    EXPECT_EQ(imported.status, 1);
    EXPECT_EQ(imported.out,
              "HBV-Gate: 1 value\nskipped HBV-Gate\\Setting\\UID HBV #5: string without its end");
    EXPECT_EQ(Stored("HBV-Gate", "Setting", "UID HBV #6"), "t6");
}

TEST_F(ConfigCommandTest, ImportRefusesWhatIsNotARegistryExport) {
    const Outcome text = Run({"import", Export("[Setting]\r\nUID HBV #5=terminal5@localhost\r\n")});
    EXPECT_EQ(text.status, 1);
    EXPECT_TRUE(text.err.contains("not a registry export")) << text.err.toStdString();
    EXPECT_EQ(Run({"import", exports_.filePath("absent.reg")}).status, 1);
    EXPECT_TRUE(QDir(dir_.path()).isEmpty());
}

// What the settings panel refuses, `set` refuses with its words and stores nothing; a pair set
// in one command may change its count; an unknown key is stored with a warning.
TEST_F(ConfigCommandTest, SetRefusesWhatThePanelRefusesAndWarnsOfUnknownKeys) {
    const QString index = "Setting Penangkapan INDEX tidak di ijikan karena Ubound tidak Sesuai";
    const struct {
        QStringList set;
        int status;
        QString err;
    } cases[] = {
        {{"SNAwalIdx #5", "idx;no"}, 1, index},
        {{"SNAwalIdx #5", "idx;no", "SNAkhirIdx #5", "/"}, 1, index},
        {{"Pintar25", "habis;;gangguan"}, 1, "Kata Kunci belum Memenuhi Syarat Coba cek lagi..."},
        {{"SNAwalIdx #5", "idx;no", "SNAkhirIdx #5", "/;."}, 0, ""},
        {{"SNAwalIdx #6", "idx"}, 1, index},
        {{"SNAkhirIdx #5", "/;;"}, 1, index},
        {{"SNAkhirIdx #5", ".;/"}, 0, ""},  // against the stored start markers
        {{"NoSuchKey", "1"},
         0,
         "warning: [kzd_sql] [Settings] NoSuchKey is not a key the terminal reads "
         "(`relvane config keys` lists them)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.set.join(' ').toStdString());
        const Outcome o = Run(QStringList{"set", "kzd_sql", "Settings"} + c.set);
        EXPECT_EQ(o.status, c.status);
        EXPECT_EQ(o.err, c.err);
        EXPECT_EQ(o.out, c.status == 0 ? "wrote " + dir_.filePath("kzd_sql.ini") : "");
    }
    EXPECT_EQ(Stored("kzd_sql", "Settings", "SNAwalIdx #5"), "idx;no");
    EXPECT_EQ(Stored("kzd_sql", "Settings", "SNAkhirIdx #5"), ".;/");
    EXPECT_EQ(Stored("kzd_sql", "Settings", "SNAwalIdx #6"), "");
    EXPECT_EQ(Stored("kzd_sql", "Settings", "Pintar25"), "");
    EXPECT_EQ(Stored("kzd_sql", "Settings", "NoSuchKey"), "1");

    // the orders a tick may hand over: a whole number from 1 to 50
    const std::pair<const char*, bool> jobs[] = {
        {"0", false}, {"51", false}, {"2x", false}, {"50", true}, {"", false}};
    for (const auto& [value, ok] : jobs) {
        SCOPED_TRACE(value);
        const Outcome o = Run({"set", "NXEngine", "Terminal #5", "JobsPerTick", value});
        EXPECT_EQ(o.status, ok ? 0 : 1);
        EXPECT_EQ(
            o.err,
            ok ? QString()
               : QString("JobsPerTick must be a whole number from 1 to 50, not \"%1\"").arg(value));
    }
    EXPECT_EQ(Stored("NXEngine", "Terminal #5", "JobsPerTick"), "50");
}

// The chat password from standard input, or on the line; the stored password read back.
TEST_F(ConfigCommandTest, PasswordFromStandardInputOrRefused) {
    const struct {
        QStringList args;
        QByteArray input;
        int status;
        QString stored;
    } cases[] = {
        {{"5"}, "s3cret pw\nsecond line\n", 0, "s3cret pw"},
        {{"6"}, "from windows\r\n", 0, "from windows"},
        {{"7"}, "no line end", 0, "no line end"},
        {{"8"}, "", 1, "-"},
        {{"9", "on the line"}, "ignored\n", 0, "on the line"},
        {{"five"}, "pw\n", 2, "-"},
        {{"5x", "pw"}, "", 2, "-"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        EXPECT_EQ(Run(QStringList{"password"} + c.args, c.input).status, c.status);
        EXPECT_EQ(Password(c.args[0]), c.stored);
    }
}

// Every key has its line of meaning, and one application lists only its own.
TEST_F(ConfigCommandTest, KeysListsEveryKeyWithItsDefaultAndMeaning) {
    const Outcome all = Run({"keys"});
    EXPECT_EQ(all.status, 0);
    EXPECT_TRUE(all.out.contains("HBV-Gate / Setting / jPORT #N  (default \"5222\")\n    "));
    EXPECT_EQ(all.out.count("\n    "), Keys::Vocabulary().size());
    const Outcome one = Run({"keys", "hbv-gate"});
    EXPECT_TRUE(one.out.contains("UID HBV #N"));
    EXPECT_FALSE(one.out.contains("Pintar2N"));
}

// A settings file the program cannot read (another user's, or a folder in its place) is no
// empty file: start-up ends, `get` and `set` fail, each naming it, and it is left as it was.
TEST_F(ConfigCommandTest, AnUnreadableSettingsFileStopsTheTerminalAndTheCommand) {
    const QString file = dir_.filePath("kzd_sql.ini");
    // a database that is not there
    WriteFile(exports_.filePath("Setting.ini"),
              "[Database]\nDriver=QMYSQL\nServer=127.0.0.1\nPort=1\n");
    for (const bool folder : {false, true}) {
        if (!folder && ::geteuid() == 0) continue;  // root reads a file of any mode
        if (folder) {
            QFile::remove(file);
            ASSERT_TRUE(QDir().mkdir(file));
        } else {
            EXPECT_EQ(Run({"set", "kzd_sql", "Settings", "Pintar5", "1"}).status, 0);
            ASSERT_EQ(::chmod(file.toLocal8Bit().constData(), 0), 0);
        }
        for (const QStringList& args :
             {QStringList{"config", "get", "kzd_sql", "Settings", "Pintar5"},
              {"config", "set", "kzd_sql", "Settings", "Pintar5", "0"},
              {"--headless", "Terminal #5@@Relvane@@1@@pw"}}) {
            const Outcome o = Program(args);
            EXPECT_EQ(o.status, 1) << args.join(' ').toStdString() << folder;
            EXPECT_TRUE(o.err.contains("cannot read " + file)) << o.err.toStdString();
        }
        EXPECT_EQ(QFileInfo(file).isDir(), folder);
        if (!folder) {
            ASSERT_EQ(::chmod(file.toLocal8Bit().constData(), 0600), 0);
            EXPECT_EQ(Stored("kzd_sql", "Settings", "Pintar5"), "1");
        }
    }
}

// Run as root, `config` leaves a file with the owner and group it had, and a new file gets its
// folder's: the terminal, running as its own user, must still read them.
TEST_F(ConfigCommandTest, RootKeepsTheOwnerOfTheSettingsFile) {
    if (::geteuid() != 0) GTEST_SKIP() << "changing a file's owner needs root";
    const auto owner = [](const QString& path) {
        struct stat st {};
        EXPECT_EQ(::stat(path.toLocal8Bit().constData(), &st), 0) << path.toStdString();
        return std::pair<uid_t, gid_t>{st.st_uid, st.st_gid};
    };
    ASSERT_EQ(::chown(dir_.path().toLocal8Bit().constData(), 65534, 65534), 0);
    EXPECT_EQ(Run({"set", "HBV-Gate", "Setting", "UID HBV #5", "a@localhost"}).status, 0);
    EXPECT_EQ(Run({"password", "5", "pw"}).status, 0);
    EXPECT_EQ(owner(dir_.filePath("HBV-Gate.ini")), (std::pair<uid_t, gid_t>{65534, 65534}));
    const QString file = dir_.filePath("kzd_sql.ini");
    EXPECT_EQ(Run({"set", "kzd_sql", "Settings", "Pintar5", "1"}).status, 0);
    ASSERT_EQ(::chown(file.toLocal8Bit().constData(), 1, 2), 0);
    EXPECT_EQ(Run({"set", "kzd_sql", "Settings", "Pintar5", "0"}).status, 0);
    EXPECT_EQ(owner(file), (std::pair<uid_t, gid_t>{1, 2}));
    EXPECT_EQ(Stored("kzd_sql", "Settings", "Pintar5"), "0");
}
