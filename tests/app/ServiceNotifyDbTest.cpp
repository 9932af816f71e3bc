#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDate>
#include <QTemporaryDir>
#include <cstring>

#include "app/ServiceNotify.h"
#include "chat/ChatSession.h"
#include "store/Stamps.h"
#include "support/TerminalFixture.h"
#include "support/TestTools.h"

namespace {

// A terminal in booster mode, so that logging in needs no chat server, and the service
// manager's end of NOTIFY_SOCKET: a datagram socket in a scratch folder.
class ServiceNotifyTest : public OfflineTerminalTest {
  protected:
    void SetUp() override {
        OfflineTerminalTest::SetUp();
        const QByteArray path = QString(dir_.path() + "/notify").toLocal8Bit();
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, path.constData(), sizeof(addr.sun_path) - 1);
        fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        ASSERT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
        qputenv("NOTIFY_SOCKET", path);
        qunsetenv("WATCHDOG_USEC");
        qunsetenv("WATCHDOG_PID");
    }
    void TearDown() override {
        if (fd_ >= 0) ::close(fd_);
        qunsetenv("NOTIFY_SOCKET");
        qunsetenv("WATCHDOG_USEC");
        OfflineTerminalTest::TearDown();
    }
    void StartTerminal(int n) { StartOffline(n, true); }
    void LogIn() { Term().Chat().LoginYM_Click(); }

    // The next message, letting the event loop run while waiting; a null text when none came
    // within waitMs (a bound for a broken notifier, not a measured time).
    QString Next(int waitMs = 10000) {
        for (int waited = 0;; waited += 20) {
            char buffer[4096];
            const ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n >= 0) return QString::fromUtf8(buffer, static_cast<int>(n));
            if (waited >= waitMs) return QString();
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            ::usleep(20000);
        }
    }
    // Every message that has arrived, oldest first, but the watchdog's.
    QStringList Drain() {
        QStringList messages;
        for (QString m; !(m = Next(0)).isNull();)
            if (m != "WATCHDOG=1\n") messages << m;
        return messages;
    }

    QTemporaryDir dir_;
    int fd_ = -1;
};

QString Day(int offset, const char* time) {
    return QDate::currentDate().addDays(offset).toString("yyyy-MM-dd ") + time;
}

}  // namespace

TEST_F(ServiceNotifyTest, StatusCountsTodaysWorkOfThisTerminalAndReadyComesOnceOnline) {
    StartTerminal(31);
    const int other = 32;
    Rows("job_quenue", "datetime,kode_produk,tujuan,pesan,terminal",
         {{NowStamp(), "S10", "0812", "S10.0812.1234", 31},
          {NowStamp(), "S5", "0813", "S5.0813.1234", 31},
          {NowStamp(), "S5", "0814", "", 31},  // no message: never sent, not counted
          {Day(-1, "10:00:00"), "S5", "0815", "S5.0815.1234", 31},
          {NowStamp(), "S5", "0816", "S5.0816.1234", other}});
    Rows("transaksi", "datetime_transaksi,kode_produk,tujuan,terminal,status",
         {{Day(0, "00:00:01"), "S10", "0812", 31, "2"},
          {Day(0, "08:00:00"), "S5", "0813", 31, "2"},
          {Day(0, "08:30:00"), "S5", "0817", 31, "1"},
          {Day(-1, "23:59:59"), "S5", "0818", 31, "2"},
          {Day(0, "08:00:00"), "S5", "0819", other, "2"}});
    Rows("outbox", "datetime,tujuan,pesan,status,terminal,kode_produk",
         {{Day(0, "09:00:00"), "0812", "S10.0812.1234", 1, 31, "S10"},
          {Day(0, "10:00:00"), "0811", "a message", 1, 31, "-"},      // a message job
          {Day(0, "11:00:00"), "0813", "S5.0813.1234", 0, 31, "S5"},  // dropped, not sent
          {Day(0, "12:00:00"), "0819", "S5.0819.1234", 1, other, "S5"},
          {Day(-1, "23:00:00"), "0818", "S5.0818.1234", 1, 31, "S5"}});

    ServiceNotify notify(Term());
    ASSERT_TRUE(notify.Active());
    const QString counts =
        ": 2 jobs queued, 2 orders waiting today, last order 09:00:00 S10 to 0812\n";
    EXPECT_EQ(Next(), "STATUS=Offline" + counts);

    LogIn();  // the account comes online: ready, at once
    EXPECT_EQ(Next(), "READY=1\nSTATUS=Online (booster)" + counts);
    notify.Refresh();
    EXPECT_EQ(Next(), "STATUS=Online (booster)" + counts);  // ready only once
    EXPECT_TRUE(notify.Ready());
}

TEST_F(ServiceNotifyTest, NotReadyWhileTheDatabaseDoesNotAnswer) {
    StartTerminal(34);
    Query("DROP TABLE outbox");
    ServiceNotify notify(Term());
    LogIn();
    Drain();
    notify.Refresh();
    EXPECT_THAT(Next(),
                MatchesRe("^STATUS=Online \\(booster\\), database not answering: .*outbox"));
    EXPECT_FALSE(notify.Ready());
}

// Also the singular counts, and no order sent yet today.
TEST_F(ServiceNotifyTest, WatchdogIsFedByTheEventLoopAndStoppingEndsTheReports) {
    qputenv("WATCHDOG_USEC", "200000");
    StartTerminal(35);
    Rows("job_quenue", "datetime,kode_produk,tujuan,pesan,terminal",
         {{NowStamp(), "S10", "0812", "S10.0812.1234", 35}});
    Rows("transaksi", "datetime_transaksi,kode_produk,tujuan,terminal,status",
         {{NowStamp(), "S10", "0812", 35, "2"}});
    ServiceNotify notify(Term());
    EXPECT_EQ(Next(), "WATCHDOG=1\n");  // at once
    EXPECT_EQ(Next(),
              "STATUS=Offline: 1 job queued, 1 order waiting today, last order none today\n");
    EXPECT_EQ(Next(), "WATCHDOG=1\n");  // again, from the timer

    Term().FormUnload();
    EXPECT_EQ(Drain(), QStringList{"STOPPING=1\nSTATUS=Stopping: marking terminal 35 off\n"});
    notify.Refresh();
    EXPECT_TRUE(Drain().isEmpty()) << "a status after stopping";
}

TEST_F(ServiceNotifyTest, WithoutANotifySocketNothingRuns) {
    qunsetenv("NOTIFY_SOCKET");
    StartTerminal(36);
    ServiceNotify notify(Term());
    EXPECT_FALSE(notify.Active());
    notify.Refresh();
    EXPECT_TRUE(notify.Status().isEmpty());
}
