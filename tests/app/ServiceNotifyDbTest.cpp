#include <gtest/gtest.h>
#include <poll.h>
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

namespace {

// The service manager's end of NOTIFY_SOCKET: a datagram socket in a scratch folder.
class NotifyReceiver {
  public:
    NotifyReceiver() {
        path_ = dir_.path() + "/notify";
        fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, path_.toLocal8Bit().constData(), sizeof(addr.sun_path) - 1);
        bound_ = fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0;
    }
    ~NotifyReceiver() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool Bound() const { return bound_; }
    const QString& Path() const { return path_; }

    // Every message that has arrived, oldest first.
    QStringList Drain() {
        QStringList messages;
        QString m;
        while (!(m = Next(0)).isNull()) messages << m;
        return messages;
    }
    // The next message, letting the event loop run while waiting; a null text when none came
    // within waitMs (a bound for a broken notifier, not a measured time).
    QString Next(int waitMs = 10000) {
        for (int waited = 0;; waited += 20) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 0) == 1) {
                char buffer[4096];
                const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
                if (n >= 0) return QString::fromUtf8(buffer, static_cast<int>(n));
            }
            if (waited >= waitMs) return QString();
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            ::usleep(20000);
        }
    }

  private:
    QTemporaryDir dir_;
    QString path_;
    int fd_ = -1;
    bool bound_ = false;
};

class ServiceNotifyTest : public OfflineTerminalTest {
  protected:
    void SetUp() override {
        OfflineTerminalTest::SetUp();
        ASSERT_TRUE(receiver_.Bound());
        qputenv("NOTIFY_SOCKET", receiver_.Path().toLocal8Bit());
        qunsetenv("WATCHDOG_USEC");
        qunsetenv("WATCHDOG_PID");
    }
    void TearDown() override {
        qunsetenv("NOTIFY_SOCKET");
        qunsetenv("WATCHDOG_USEC");
        OfflineTerminalTest::TearDown();
    }
    // Terminal n in booster mode, so that logging in needs no chat server.
    void StartTerminal(int n) { StartOffline(n, true); }
    void LogIn() { Term().Chat().LoginYM_Click(); }

    NotifyReceiver receiver_;
};

QString Today(const char* time) {
    return QDate::currentDate().toString("yyyy-MM-dd ") + time;
}
QString Yesterday(const char* time) {
    return QDate::currentDate().addDays(-1).toString("yyyy-MM-dd ") + time;
}

}  // namespace

TEST_F(ServiceNotifyTest, StatusCountsTodaysWorkOfThisTerminalAndReadyComesOnceOnline) {
    StartTerminal(31);
    const int other = 32;
    Rows("job_quenue", "datetime,kode_produk,tujuan,pesan,terminal",
         {{NowStamp(), "S10", "0812", "S10.0812.1234", 31},
          {NowStamp(), "S5", "0813", "S5.0813.1234", 31},
          {NowStamp(), "S5", "0814", "", 31},  // no message: never sent, not counted
          {Yesterday("10:00:00"), "S5", "0815", "S5.0815.1234", 31},
          {NowStamp(), "S5", "0816", "S5.0816.1234", other}});
    Rows("transaksi", "datetime_transaksi,kode_produk,tujuan,terminal,status",
         {{Today("00:00:01"), "S10", "0812", 31, "2"},
          {Today("08:00:00"), "S5", "0813", 31, "2"},
          {Today("08:30:00"), "S5", "0817", 31, "1"},
          {Yesterday("23:59:59"), "S5", "0818", 31, "2"},
          {Today("08:00:00"), "S5", "0819", other, "2"}});
    Rows("outbox", "datetime,tujuan,pesan,status,terminal,kode_produk",
         {{Today("09:00:00"), "0812", "S10.0812.1234", 1, 31, "S10"},
          {Today("10:00:00"), "0811", "a message", 1, 31, "-"},      // a message job
          {Today("11:00:00"), "0813", "S5.0813.1234", 0, 31, "S5"},  // dropped, not sent
          {Today("12:00:00"), "0819", "S5.0819.1234", 1, other, "S5"},
          {Yesterday("23:00:00"), "0818", "S5.0818.1234", 1, 31, "S5"}});

    ServiceNotify notify(Term());
    ASSERT_TRUE(notify.Active());
    const QString counts =
        ": 2 jobs queued, 2 orders waiting today, last order 09:00:00 S10 to 0812\n";
    EXPECT_EQ(receiver_.Next(), "STATUS=Offline" + counts);

    LogIn();  // the account comes online: ready, at once
    EXPECT_EQ(receiver_.Next(), "READY=1\nSTATUS=Online (booster)" + counts);
    notify.Refresh();
    EXPECT_EQ(receiver_.Next(), "STATUS=Online (booster)" + counts);  // ready only once
    EXPECT_TRUE(notify.Ready());
}

TEST_F(ServiceNotifyTest, OneOfEachAndNoOrderYet) {
    StartTerminal(33);
    Rows("job_quenue", "datetime,kode_produk,tujuan,pesan,terminal",
         {{NowStamp(), "S10", "0812", "S10.0812.1234", 33}});
    Rows("transaksi", "datetime_transaksi,kode_produk,tujuan,terminal,status",
         {{NowStamp(), "S10", "0812", 33, "2"}});
    ServiceNotify notify(Term());
    EXPECT_EQ(receiver_.Next(),
              "STATUS=Offline: 1 job queued, 1 order waiting today, last order none today\n");
}

TEST_F(ServiceNotifyTest, NotReadyWhileTheDatabaseDoesNotAnswer) {
    StartTerminal(34);
    Query("DROP TABLE outbox");
    ServiceNotify notify(Term());
    LogIn();
    receiver_.Drain();
    notify.Refresh();
    const QString status = receiver_.Next();
    EXPECT_TRUE(status.startsWith("STATUS=Online (booster), database not answering: "))
        << status.toStdString();
    EXPECT_TRUE(status.contains("outbox")) << status.toStdString();
    EXPECT_FALSE(notify.Ready());
}

TEST_F(ServiceNotifyTest, WatchdogIsFedByTheEventLoopAndStoppingEndsTheReports) {
    qputenv("WATCHDOG_USEC", "200000");
    StartTerminal(35);
    ServiceNotify notify(Term());
    EXPECT_EQ(receiver_.Next(), "WATCHDOG=1\n");  // at once
    EXPECT_TRUE(receiver_.Next().startsWith("STATUS=Offline: "));
    EXPECT_EQ(receiver_.Next(), "WATCHDOG=1\n");  // again, from the timer

    Term().FormUnload();
    QStringList after = receiver_.Drain();
    after.removeAll("WATCHDOG=1\n");
    ASSERT_EQ(after.size(), 1) << after.join("|").toStdString();
    EXPECT_EQ(after[0], "STOPPING=1\nSTATUS=Stopping: marking terminal 35 off\n");
    notify.Refresh();
    after = receiver_.Drain();
    after.removeAll("WATCHDOG=1\n");
    EXPECT_TRUE(after.isEmpty()) << "a status after stopping";
}

TEST_F(ServiceNotifyTest, WithoutANotifySocketNothingRuns) {
    qunsetenv("NOTIFY_SOCKET");
    qputenv("WATCHDOG_USEC", "200000");
    StartTerminal(36);
    ServiceNotify notify(Term());
    EXPECT_FALSE(notify.Active());
    LogIn();
    notify.Refresh();
    EXPECT_TRUE(notify.Status().isEmpty());
    EXPECT_TRUE(receiver_.Next(0).isNull());
}
