#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QTemporaryDir>
#include <array>

#include "store/Errors.h"
#include "store/IniFile.h"
#include "store/SettingsKeys.h"
#include "store/SettingsStore.h"

namespace {

class SettingsStoreTest : public ::testing::Test {
  protected:
    QTemporaryDir dir_;
};

}  // namespace

TEST_F(SettingsStoreTest, TerminalsKeepTheirOwnKeysAndShareTheRest) {
    SettingsStore three(dir_.path()), five(dir_.path());
    const QString server3 = Keys::PerTerminal(Keys::kServerHbv, 3);
    const QString server5 = Keys::PerTerminal(Keys::kServerHbv, 5);
    three.SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, server3, "supplier3@localhost");
    five.SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, server5, "supplier5@localhost");
    three.SaveSetting(Keys::kAppKzdSql, Keys::kSecRebat, Keys::kSetQueue, "1");
    // each object reads the file again, so the other instance's writes are seen at once
    EXPECT_EQ(five.GetSetting(Keys::kAppHbvGate, Keys::kSecSetting, server3),
              "supplier3@localhost");
    EXPECT_EQ(three.GetSetting(Keys::kAppHbvGate, Keys::kSecSetting, server5),
              "supplier5@localhost");
    EXPECT_EQ(five.GetSetting(Keys::kAppKzdSql, Keys::kSecRebat, Keys::kSetQueue, "0"), "1");
    five.SaveSetting(Keys::kAppKzdSql, Keys::kSecRebat, Keys::kSetQueue, "0");
    EXPECT_EQ(three.GetSetting(Keys::kAppKzdSql, Keys::kSecRebat, Keys::kSetQueue, "1"), "0");
}

TEST_F(SettingsStoreTest, AbsentKeysYieldTheGivenDefaultAndStoredEmptyStaysEmpty) {
    SettingsStore store(dir_.path());
    const QString host = Keys::PerTerminal(Keys::kJHostname, 5);
    EXPECT_EQ(store.GetSetting(Keys::kAppHbvGate, Keys::kSecSetting, host, Keys::kJHostnameDefault),
              "NC");
    EXPECT_EQ(store.GetSetting(Keys::kAppHbvGate, Keys::kSecSetting, host), "");
    store.SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, host, "");
    EXPECT_EQ(store.GetSetting(Keys::kAppHbvGate, Keys::kSecSetting, host, "NC"), "");
}

TEST_F(SettingsStoreTest, SettingsFilesAreCreatedForTheirOwnerOnly) {
    const auto mode = [](const QString& path) {
        struct stat st {};
        return ::stat(path.toLocal8Bit().constData(), &st) == 0 ? st.st_mode & 07777 : 0u;
    };
    const SettingsStore store(dir_.filePath("settings"));
    const QString file = store.FileOf("HBV-Gate");
    store.SaveSetting("HBV-Gate", "Setting", "PWD HBV #5", "x");
    EXPECT_EQ(mode(file), 0600u);
    // a file that exists keeps what its owner gave it
    ASSERT_EQ(::chmod(file.toLocal8Bit().constData(), 0640), 0);
    store.SaveSetting("HBV-Gate", "Setting", "PWD HBV #6", "y");
    EXPECT_EQ(mode(file), 0640u);
    // the files beside the program are created as any other file
    const QString beside = dir_.filePath("Setting.ini");
    IniFile::Write(beside, "Software", "Boster", "Terminal #5");
    QFile plain(dir_.filePath("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    EXPECT_EQ(mode(beside), mode(plain.fileName()));
}

TEST(SettingsVocabulary, FindsDefinitionsOfConcreteKeys) {
    auto def = [](const char* app, const char* section, const char* key) {
        const Keys::Definition* d = Keys::Find(app, section, key);
        return d ? QString::fromUtf8(d->defaultValue) : QStringLiteral("<unknown>");
    };
    // per-terminal keys by their number, names in any letter case, the c/d marker pairs
    for (const auto& [app, section, key, value] :
         {std::array{"HBV-Gate", "Setting", "jHostname #12", "NC"},
          {"hbv-gate", "setting", "MSG IGNORE #5", "di terima mohon di;sabar dalam proses"},
          {"kzd_sql", "Settings", "SNAkhir #5d", ""},
          {"kzd_sql", "Settings", "SNAkhir #5c", "<unknown>"},
          {"NXEngine", "Terminal #7", "LimitPending", "0"},
          {"Terminal #7", "Setting", "MainHeight", "5385"},
          {"HBV-Gate", "Setting", "UID HBV #", "<unknown>"},
          {"kzd_sql", "Settings", "Pintar25", "stok tidak tersedia;belum di open"}})
        EXPECT_EQ(def(app, section, key), value) << key;
}

// An application name is a file name in the folder, whatever its letter case, and never a path
// (the program's own command-line test covers "/" and "..").
TEST_F(SettingsStoreTest, ApplicationNamesCompareWithoutCaseAndNeverLeaveTheFolder) {
    const SettingsStore store(dir_.path());
    store.SaveSetting("MyTool", "S", "k", "1");
    EXPECT_EQ(store.GetSetting("MYTOOL", "s", "k"), "1");  // a name the program does not know
    for (const QString name : {"", "a\\b", "x\ny"})
        EXPECT_THROW(store.SaveSetting(name, "S", "k", "v"), RelvaneError) << name.toStdString();
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{"MyTool.ini"});
}
