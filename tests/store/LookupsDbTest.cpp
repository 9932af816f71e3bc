#include <QElapsedTimer>
#include <QTimer>

#include "store/SettingsKeys.h"
#include "support/MoneyFixture.h"

using LookupsTest = MoneyTest;

TEST_F(LookupsTest, ResellerLookupsAndTheirSentinels) {
    Insert("reseller",
           {{"kode_reseller", "R1"}, {"nama_reseller", "Toko Ani"}, {"deposit", 50000}});
    // what is found is read where it is used: admin messages, promos, settlement, guards
    EXPECT_EQ(W().lookups.GetHpReseller("R9"), "");
    EXPECT_EQ(W().lookups.GetNamaReseller("R9"), "NC");
    EXPECT_EQ(W().lookups.GetResellerField("R1", 0), "R1");
    EXPECT_EQ(W().lookups.GetResellerField("R9", 1), "");
    EXPECT_EQ(W().lookups.GetDeposit("R9"), 0);
    W().lookups.SetDeposit("R1", 42000);
    EXPECT_EQ(W().lookups.GetDeposit("R1"), 42000);
}

TEST_F(LookupsTest, FailureKeywordsFromTheTerminalsSetting) {
    EXPECT_EQ(W().lookups.CekPintar2("maaf stok tidak tersedia saat ini", 5),
              "stok tidak tersedia");
    EXPECT_FALSE(W().lookups.CekPintar2("nomor salah", 5));
    Settings().SaveSetting(Keys::kAppKzdSql, Keys::kSecSettings, "Pintar27", "GANGGUAN;Timeout");
    EXPECT_EQ(W().lookups.CekPintar2("timeout dari operator", 7), "timeout");
    // an empty item matches any text
    Settings().SaveSetting(Keys::kAppKzdSql, Keys::kSecSettings, "Pintar27", "gangguan;");
    EXPECT_EQ(W().lookups.CekPintar2("nomor salah", 7), "");
    // a cleared list re-routes nothing
    Settings().SaveSetting(Keys::kAppKzdSql, Keys::kSecSettings, "Pintar27", "");
    EXPECT_FALSE(W().lookups.CekPintar2("nomor salah", 7));
}

TEST_F(LookupsTest, StartUpFlagsAndTerminalLists) {
    Rows("configuration", "kode,parsing,level",
         {{"Potong deposit reseller di awal transaksi", "1", 11},
          {"Terminal Center sebagai Sender", "1", 10}});
    // a flag is a row of level 11
    EXPECT_EQ(W().lookups.GetConfigFlag("Potong deposit reseller di awal transaksi"), 1);
    EXPECT_EQ(W().lookups.GetConfigFlag("Terminal Center sebagai Sender"), 0);
    EXPECT_EQ(W().lookups.TerminalsByModul("SMS Center"), ";");
    EXPECT_EQ(W().lookups.DischargeTerminals(), "0");
    Rows("terminal", "terminal,modul", {{3, "SMS Center"}, {7, "SMS Center"}, {5, "Relvane"}});
    Rows("discharge", "terminal,pengirim", {{4, "@#@001-6"}, {9, "@#@001-6"}, {2, "other"}});
    EXPECT_EQ(W().lookups.TerminalsByModul("SMS Center"), ";3;7;");
    EXPECT_EQ(W().lookups.DischargeTerminals(), "4;9");
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
