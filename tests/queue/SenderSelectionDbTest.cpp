#include "store/SettingsKeys.h"
#include "support/MoneyFixture.h"

namespace {

class SenderSelectionTest : public MoneyTest {
  protected:
    void Terminal(int t, const QString& modul, bool active, int channelValue = -1) {
        Insert("terminal", {{"terminal", t}, {"modul", modul}, {"status", active ? "1" : "0"}});
        if (channelValue >= 0)
            Settings().SaveSetting(Keys::kAppKzdSql, Keys::kSecNxEngineMedia,
                                   Keys::PerTerminal(Keys::kValueTerminal, t),
                                   QString::number(channelValue));
    }
    void Queued(int t) { Insert("job_quenue", {{"terminal", t}, {"pesan", "waiting"}}); }
};

}  // namespace

TEST_F(SenderSelectionTest, ChannelByTheFormOfTheAddress) {
    auto channel = [](const QString& d, bool center = false) {
        const auto [modul, code] = SenderSelection::Channel(d.toUpper(), center);
        return modul + "/" + code;
    };
    EXPECT_EQ(channel("ani@gtk.example"), "Hubvane/GTK");
    EXPECT_EQ(channel("ani@irc@gtk"), "Hubvane/IRC");  // first rule in order wins
    EXPECT_EQ(channel("628123@wa"), "Hubvane/WA");
    EXPECT_EQ(channel("budi_toko"), "Hubvane/YM");
    EXPECT_EQ(channel("08123"), "SMS Sender/SMS");
    EXPECT_EQ(channel("08123", true), "SMS Center/SMS");
}

TEST_F(SenderSelectionTest, HubvaneCandidatesByChannelValue) {
    Terminal(21, "Hubvane", true, 1);
    Terminal(22, "Hubvane", true, 0);
    Terminal(23, "Hubvane", true, 1);
    EXPECT_EQ(W().senders.CariTerminal("Hubvane", "GTK", "ani@gtk"), "21;23");
    EXPECT_EQ(W().senders.CariTerminal("Hubvane", "YM", "budi"), "22");
    // a reseller code is looked up to its address first; the first active idle one is chosen
    Insert("hp_reseller", {{"kode_reseller", "R1"}, {"hp", "Ani@GTK.example"}});
    EXPECT_EQ(W().senders.TSender("R1"), "21");
}

TEST_F(SenderSelectionTest, CenterSenderReplacesYmTerminalsAsWholeItems) {
    Terminal(2, "Hubvane", true, 0);
    Terminal(12, "Hubvane", true, 0);
    Settings().SaveSetting(Keys::kAppNxEngine2018, Keys::kSecHbvSetting,
                           Keys::PerTerminal(Keys::kHbvCenterSender, 2), "40");
    EXPECT_EQ(W().senders.CariTerminal("Hubvane", "YM", "budi"), "40;12");
}

TEST_F(SenderSelectionTest, SmsTakesEveryTerminalOfTheModule) {
    Terminal(31, "SMS Sender", true);
    Terminal(32, "SMS Sender", true);
    Terminal(33, "SMS Center", true);
    EXPECT_EQ(W().senders.CariTerminal("SMS Sender", "SMS", "08123"), "31;32");
    Values().SenderCenterOn = true;
    EXPECT_EQ(W().senders.TSender("08123"), "33");
}

TEST_F(SenderSelectionTest, FixedRoutesOverrideEveryCandidate) {
    Terminal(31, "SMS Sender", true);
    Terminal(32, "SMS Sender", true);
    Values().ReplayHbv[0] = "7/0812";
    Values().ReplayHbv[2] = "8/@WA";
    EXPECT_EQ(W().senders.CariTerminalKhusus("08123"), "7");
    EXPECT_EQ(W().senders.CariTerminalKhusus("628@wa"), "8");
    EXPECT_EQ(W().senders.CariTerminalKhusus("0857"), "NC");
    EXPECT_EQ(W().senders.CariTerminal("SMS Sender", "SMS", "08123"), "7;7");
    // an item without "/" ends the search
    Values().ReplayHbv[0] = "";
    EXPECT_EQ(W().senders.CariTerminalKhusus("628@wa"), "NC");
}

TEST_F(SenderSelectionTest, ActiveIdleFirstThenTheFallbacks) {
    Terminal(3, "SMS Sender", true);
    Terminal(5, "SMS Sender", false);
    Terminal(9, "SMS Sender", true);
    Queued(3);
    EXPECT_EQ(W().senders.AntrianTerkecil("SMS Sender", "SMS", "08123"), "9");
    Queued(9);  // all busy or off: T[0] is active, so T[0]
    EXPECT_EQ(W().senders.AntrianTerkecil("SMS Sender", "SMS", "08123"), "3");
    Query("UPDATE terminal SET status='0' WHERE terminal=3");  // T[0] off: the last one if active
    EXPECT_EQ(W().senders.AntrianTerkecil("SMS Sender", "SMS", "08123"), "9");
    Query("UPDATE terminal SET status='0' WHERE terminal=9");
    EXPECT_EQ(W().senders.AntrianTerkecil("SMS Sender", "SMS", "08123"), "3");
    EXPECT_EQ(W().senders.AntrianTerkecil("Nobody", "SMS", "08123"), "");
}
