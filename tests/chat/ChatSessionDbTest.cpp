#include <QTcpServer>
#include <QTcpSocket>
#include <functional>

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

// Booster mode logs in again as chat mode does: after a start that met the database away, and
// after the program's own log-out (a failed table probe).
TEST_F(OfflineTerminalTest, BoosterModeLogsInAgainAfterAFailedStartOrAProbesLogOut) {
    const std::function<void()> outs[] = {
        [this] {
            Query("RENAME TABLE terminal TO terminal_away");
            Term().Chat().LoginYM_Click();
            Query("RENAME TABLE terminal_away TO terminal");
        },
        [this] {
            Term().Chat().LoginYM_Click();
            Term().Chat().CmdLoginYM_Click(false);
        },
    };
    StartOffline(12, true);
    for (const auto& out : outs) {
        out();
        ASSERT_EQ(Term().Chat().CmdLoginYM(), "Log In");
        ASSERT_TRUE(Term().Chat().tmAutoLogin().isActive());
        Term().Chat().tmAutoLogin_Timer();
        EXPECT_EQ(Term().Chat().CmdLoginYM(), "Log Out");
        EXPECT_FALSE(Term().Chat().tmAutoLogin().isActive());
    }
}

// A merged terminal's row left at '1' blocks the login only until it is cleared; the log names
// it once.
TEST_F(OfflineTerminalTest, MergerBlockIsCheckedAgainAtEachReloginTick) {
    StartOffline(12);
    Term().Values().chMerger = true;
    Term().Values().TerminalList = "12,40";
    Insert("terminal", {{"terminal", 40}, {"modul", "Relvane"}, {"status", "1"}});
    Term().Chat().LoginYM_Click();
    ASSERT_TRUE(Term().Chat().tmAutoLogin().isActive());
    Term().Chat().tmAutoLogin_Timer();
    EXPECT_EQ(Lines().filter("Modul Tidak bisa Login").size(), 2);
    EXPECT_EQ(
        LogLines("Terminal #12").filter("MergerLoginBlocked status='1' di terminal 40").size(), 1);
    Query("UPDATE terminal SET status = '0' WHERE terminal = 40");
    Term().Chat().tmAutoLogin_Timer();
    EXPECT_EQ(Lines().filter("GAGAL, Silahkan cek username/pass anda...").size(), 1);
}

// A server that takes the connection but never answers: the attempt ends and re-login goes on.
TEST_F(TerminalTest, ALoginThatNeverCompletesIsEndedAndTriedAgain) {
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    QList<QTcpSocket*> held;
    QObject::connect(&silent, &QTcpServer::newConnection,
                     [&] { held.append(silent.nextPendingConnection()); });
    Prepare(32);
    SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, Keys::PerTerminal(Keys::kJHostname, 32),
                "127.0.0.1");
    SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, Keys::PerTerminal(Keys::kJPort, 32),
                QString::number(silent.serverPort()));
    qputenv("RELVANE_LOGIN_TIMEOUT_MS", "1000");
    ASSERT_TRUE(Start());
    const bool again = WaitUntil([&] { return held.size() >= 2; }, 20000);
    qunsetenv("RELVANE_LOGIN_TIMEOUT_MS");
    EXPECT_TRUE(again);
    EXPECT_FALSE(Lines().filter("Login tidak selesai dalam 1 detik").isEmpty());
}
