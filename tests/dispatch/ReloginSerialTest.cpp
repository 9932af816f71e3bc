#include <QProcess>

#include "support/TerminalFixture.h"

// Restarts the private chat server, so it runs alone.
TEST_F(TerminalTest, LogsInAgainAfterTheChatServerRestarts) {
    Prepare(6);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitOnline());
    QProcess restart;
    restart.start(RELVANE_SOURCE_DIR "/run", {"services", "restart-xmpp"});
    ASSERT_TRUE(restart.waitForFinished(60000));
    ASSERT_EQ(restart.exitCode(), 0) << restart.readAllStandardError().toStdString();
    ASSERT_TRUE(WaitUntil([&] { return !Lines().filter("OnDisconnect").isEmpty(); }, 15000));
    ASSERT_TRUE(WaitUntil([&] { return Lines().filter("OnConnect").size() >= 2; }, 30000));
    EXPECT_EQ(Term().State().CmdLoginYM, "Log Out");
}
