#include <QElapsedTimer>
#include <QTimer>

#include "dispatch/Workers.h"
#include "store/SettingsKeys.h"
#include "support/DbFixture.h"

using LookupsTest = DbTest;

TEST_F(LookupsTest, ResellerLookupsAndTheirSentinels) {
    Insert("reseller",
           {{"kode_reseller", "R1"}, {"nama_reseller", "Toko Ani"}, {"deposit", 50000}});
    Workers w(Ctx(), Out());
    // what is found is read where it is used: admin messages, promos, settlement, guards
    EXPECT_EQ(w.lookups.GetHpReseller("R9"), "");
    EXPECT_EQ(w.lookups.GetNamaReseller("R9"), "NC");
    EXPECT_EQ(w.lookups.GetResellerField("R1", 0), "R1");
    EXPECT_EQ(w.lookups.GetResellerField("R9", 1), "");
    EXPECT_EQ(w.lookups.GetDeposit("R9"), 0);
    w.lookups.SetDeposit("R1", 42000);
    EXPECT_EQ(w.lookups.GetDeposit("R1"), 42000);
}

TEST_F(LookupsTest, FailureKeywordsFromTheTerminalsSetting) {
    Workers w(Ctx(), Out());
    EXPECT_TRUE(w.lookups.CekPintar2("maaf stok tidak tersedia saat ini", 5));
    EXPECT_EQ(Values().LastFailureKeyword, "stok tidak tersedia");
    EXPECT_FALSE(w.lookups.CekPintar2("nomor salah", 5));
    Settings().SaveSetting(Keys::kAppKzdSql, Keys::kSecSettings, "Pintar27", "GANGGUAN;Timeout");
    EXPECT_TRUE(w.lookups.CekPintar2("timeout dari operator", 7));
    EXPECT_EQ(Values().LastFailureKeyword, "timeout");
    EXPECT_EQ(Values().FailureKeywords, "gangguan;timeout");
    // an empty item matches any text
    Settings().SaveSetting(Keys::kAppKzdSql, Keys::kSecSettings, "Pintar27", "gangguan;");
    EXPECT_TRUE(w.lookups.CekPintar2("nomor salah", 7));
    // a cleared list re-routes nothing
    Settings().SaveSetting(Keys::kAppKzdSql, Keys::kSecSettings, "Pintar27", "");
    EXPECT_FALSE(w.lookups.CekPintar2("nomor salah", 7));
}

TEST_F(LookupsTest, StartUpFlagsAndTerminalLists) {
    Insert(
        "configuration",
        {{"kode", "Potong deposit reseller di awal transaksi"}, {"parsing", "1"}, {"level", 11}});
    Insert("configuration",
           {{"kode", "Terminal Center sebagai Sender"}, {"parsing", "1"}, {"level", 10}});
    Workers w(Ctx(), Out());
    // a flag is a row of level 11
    EXPECT_EQ(w.lookups.GetConfigFlag("Potong deposit reseller di awal transaksi"), 1);
    EXPECT_EQ(w.lookups.GetConfigFlag("Terminal Center sebagai Sender"), 0);
    EXPECT_EQ(w.lookups.TerminalsByModul("SMS Center"), ";");
    EXPECT_EQ(w.lookups.DischargeTerminals(), "0");
    Insert("terminal", {{"terminal", 3}, {"modul", "SMS Center"}});
    Insert("terminal", {{"terminal", 7}, {"modul", "SMS Center"}});
    Insert("terminal", {{"terminal", 5}, {"modul", "Relvane"}});
    Insert("discharge", {{"terminal", 4}, {"pengirim", "@#@001-6"}});
    Insert("discharge", {{"terminal", 9}, {"pengirim", "@#@001-6"}});
    Insert("discharge", {{"terminal", 2}, {"pengirim", "other"}});
    EXPECT_EQ(w.lookups.TerminalsByModul("SMS Center"), ";3;7;");
    EXPECT_EQ(w.lookups.DischargeTerminals(), "4;9");
}

TEST(Lookups, WaitSecondsKeepsTimersRunning) {
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(100);
    QElapsedTimer clock;
    clock.start();
    qint32 seconds = 1;
    Lookups::WaitSeconds(seconds);
    EXPECT_GE(clock.elapsed(), 990);
    EXPECT_GE(ticks, 5);
}
