#include <QElapsedTimer>
#include <QTimer>

#include "store/SettingsKeys.h"
#include "store/mdlNX.h"
#include "support/DbFixture.h"

using mdlNXTest = DbTest;

TEST_F(mdlNXTest, ResellerLookupsAndTheirSentinels) {
    Insert("reseller",
           {{"kode_reseller", "R1"}, {"nama_reseller", "Toko Ani"}, {"deposit", 50000}});
    Insert("hp_reseller", {{"kode_reseller", "R1"}, {"hp", "08111"}});
    mdlNX nx(Ctx());
    EXPECT_EQ(nx.GetHpReseller("R1"), "08111");
    EXPECT_EQ(nx.GetHpReseller("R9"), "");
    EXPECT_EQ(nx.GetNamaReseller("R1"), "Toko Ani");
    EXPECT_EQ(nx.GetNamaReseller("R9"), "NC");
    EXPECT_EQ(nx.GetResellerField("R1", 1), "Toko Ani");
    EXPECT_EQ(nx.GetResellerField("R1", 0), "R1");
    EXPECT_EQ(nx.GetResellerField("R9", 1), "");
    EXPECT_EQ(nx.GetDeposit("R1"), 50000);
    EXPECT_EQ(nx.GetDeposit("R9"), 0);
    nx.SetDeposit("R1", 42000);
    EXPECT_EQ(nx.GetDeposit("R1"), 42000);
}

TEST_F(mdlNXTest, ConfigFlagsAreLevel11Rows) {
    Insert(
        "configuration",
        {{"kode", "Potong deposit reseller di awal transaksi"}, {"parsing", "1"}, {"level", 11}});
    Insert("configuration",
           {{"kode", "Terminal Center sebagai Sender"}, {"parsing", "1"}, {"level", 10}});
    mdlNX nx(Ctx());
    EXPECT_EQ(nx.GetConfigFlag("Potong deposit reseller di awal transaksi"), 1);
    EXPECT_EQ(nx.GetConfigFlag("Terminal Center sebagai Sender"), 0);
}

TEST_F(mdlNXTest, FailureKeywordsFromTheTerminalsSetting) {
    mdlNX nx(Ctx());
    EXPECT_TRUE(nx.CekPintar2("maaf stok tidak tersedia saat ini", 5));
    EXPECT_EQ(Values().LastFailureKeyword, "stok tidak tersedia");
    EXPECT_FALSE(nx.CekPintar2("nomor salah", 5));
    Settings().SaveSetting(Keys::kAppKzdSql, Keys::kSecSettings, "Pintar27", "GANGGUAN;Timeout");
    EXPECT_TRUE(nx.CekPintar2("timeout dari operator", 7));
    EXPECT_EQ(Values().LastFailureKeyword, "timeout");
    EXPECT_EQ(Values().FailureKeywords, "gangguan;timeout");
    // an empty item matches any text
    Settings().SaveSetting(Keys::kAppKzdSql, Keys::kSecSettings, "Pintar27", "gangguan;");
    EXPECT_TRUE(nx.CekPintar2("nomor salah", 7));
}

TEST_F(mdlNXTest, TerminalLists) {
    mdlNX nx(Ctx());
    EXPECT_EQ(nx.TerminalsByModul("SMS Center"), ";");
    EXPECT_EQ(nx.DischargeTerminals(), "0");
    Insert("terminal", {{"terminal", 3}, {"modul", "SMS Center"}});
    Insert("terminal", {{"terminal", 7}, {"modul", "SMS Center"}});
    Insert("terminal", {{"terminal", 5}, {"modul", "Relvane"}});
    Insert("discharge", {{"terminal", 4}, {"pengirim", "@#@001-6"}});
    Insert("discharge", {{"terminal", 9}, {"pengirim", "@#@001-6"}});
    Insert("discharge", {{"terminal", 2}, {"pengirim", "other"}});
    EXPECT_EQ(nx.TerminalsByModul("SMS Center"), ";3;7;");
    EXPECT_EQ(nx.DischargeTerminals(), "4;9");
}

TEST(mdlNX, WaitSecondsKeepsTimersRunning) {
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(100);
    QElapsedTimer clock;
    clock.start();
    qint32 seconds = 1;
    mdlNX::WaitSeconds(seconds);
    EXPECT_GE(clock.elapsed(), 990);
    EXPECT_GE(ticks, 5);
}
