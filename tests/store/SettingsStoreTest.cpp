#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "store/Errors.h"
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
    // the window position of terminal 5 lives under the application named after it
    store.SaveSetting("Terminal #5", Keys::kSecSetting, Keys::kMainLeft, "1200");
    EXPECT_TRUE(QFile::exists(dir_.path() + "/Terminal #5.ini"));
}

TEST(SettingsVocabulary, FindsDefinitionsOfConcreteKeys) {
    auto def = [](const char* app, const char* section, const char* key) {
        const Keys::Definition* d = Keys::Find(app, section, key);
        return d ? QString::fromUtf8(d->defaultValue) : QStringLiteral("<unknown>");
    };
    EXPECT_EQ(def("HBV-Gate", "Setting", "jHostname #12"), "NC");
    EXPECT_EQ(def("hbv-gate", "setting", "MSG IGNORE #5"), "di terima mohon di;sabar dalam proses");
    EXPECT_EQ(def("kzd_sql", "Settings", "SNAwalStok #5"), "k=");
    EXPECT_EQ(def("kzd_sql", "Settings", "SNAkhir #5d"), "");
    EXPECT_EQ(def("kzd_sql", "Settings", "SNAkhir #5c"), "<unknown>");
    EXPECT_EQ(def("NXEngine", "Terminal #7", "LimitPending"), "0");
    EXPECT_EQ(def("Terminal #7", "Setting", "MainHeight"), "5385");
    EXPECT_EQ(def("HBV-Gate", "Setting", "UID HBV #"), "<unknown>");
    EXPECT_EQ(def("kzd_sql", "Settings", "Pintar25"), "stok tidak tersedia;belum di open");
    EXPECT_EQ(def("kzd_sql", "Settings", "Pintar5"), "0");
}
