#include "chat/ChatSession.h"
#include "store/SettingsKeys.h"
#include "support/TerminalFixture.h"

TEST_F(OfflineTerminalTest, FailedLoginsCanBeTriedAgain) {
    StartOffline(12);
    // the database out of reach: the automatic re-login tries again
    Query("RENAME TABLE terminal TO terminal_away");
    Term().Chat().LoginYM_Click();
    Query("RENAME TABLE terminal_away TO terminal");
    EXPECT_TRUE(Term().Chat().tmAutoLogin().isActive());
    EXPECT_EQ(LogLines("Terminal #12").filter(" LoginYM ").size(), 1);
    // no chat account: each click tries again and says why it failed
    Term().Chat().CmdLoginYM_Click();
    EXPECT_FALSE(Term().Chat().LoginInProgress());
    Term().Chat().CmdLoginYM_Click();
    EXPECT_EQ(Lines().filter("GAGAL, Silahkan cek username/pass anda...").size(), 2);
}

TEST(ChatSession, ShortenDenomDropsGroupsOfThreeZerosFromTheLeadingNominal) {
    EXPECT_EQ(ChatSession::ShortenDenom("10000.081234567890.1234"), "10.081234567890.1234");
    EXPECT_EQ(ChatSession::ShortenDenom("5000.0815000123.1"), "5.0815000123.1");
    EXPECT_EQ(ChatSession::ShortenDenom("1000000.0812"), "1.0812");
    EXPECT_EQ(ChatSession::ShortenDenom("0812.5000"), "0812.5000");
    EXPECT_EQ(ChatSession::ShortenDenom("S5.0812"), "S5.0812");
}
