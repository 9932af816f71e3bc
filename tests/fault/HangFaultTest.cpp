// The database stops answering under a running terminal. The terminal's end of the connection
// goes through a relay (socat) that this test starts and freezes with SIGSTOP, so the shared
// server itself is never stopped: to the terminal the server looks hung, taking connections
// and answering nothing.
#include <signal.h>

#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>

#include "FaultFixture.h"

namespace {

// socat in a process group of its own (setsid), relaying a free loopback port to the server.
class Relay {
  public:
    Relay() {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        port_ = probe.serverPort();
        probe.close();
        process_.start("setsid",
                       {"socat", QString("TCP-LISTEN:%1,bind=127.0.0.1,reuseaddr,fork").arg(port_),
                        "TCP:" + TestServers::DbHost() + ":" + TestServers::DbPort()});
        process_.waitForStarted();
    }
    ~Relay() {
        Signal(SIGCONT);
        Signal(SIGTERM);
        process_.waitForFinished();
    }
    bool Listening() {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, port_);
        return s.waitForConnected(200);
    }
    quint16 Port() const { return port_; }
    // The relay and every connection it carries.
    void Signal(int signo) {
        if (process_.processId() > 0) ::kill(-static_cast<pid_t>(process_.processId()), signo);
    }

  private:
    QProcess process_;
    quint16 port_ = 0;
};

}  // namespace

// SIGTERM ends the terminal while the database hangs; its log names the mark it could not
// make; the order queued meanwhile is left as it was and the next run sends it once.
TEST_F(FaultTest, SigtermEndsATerminalWhoseDatabaseHangsAndTheWorkWaits) {
    World(17, 18);
    Supplier(17);
    Relay relay;
    ASSERT_TRUE(WaitUntil([&] { return relay.Listening(); }, 10000));
    QFile ini(Home() + "/Setting.ini");
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(QString("[Database]\nDriver=QMYSQL\nServer=127.0.0.1\nPort=%1\nDatabase=%2\n"
                      "UID=%3\nTimeout=2\n")
                  .arg(relay.Port())
                  .arg(DbName(), TestServers::DbUser())
                  .toUtf8());
    ini.close();

    QProcess& p = Launch(17);
    ASSERT_TRUE(WaitOutput(p, "Online Connected", 20000)) << Output(p).toStdString();
    const QString before = QueueOrder(17);
    ASSERT_TRUE(WaitUntil([&] { return Received(before) == 1 && Settled(before) == 1; }, 20000))
        << Output(p).toStdString();

    relay.Signal(SIGSTOP);
    const QString order = QueueOrder(17);   // straight to the server, which still answers
    WaitUntil([] { return false; }, 3000);  // the terminal's ticks meet the hung database
    ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
    // A bound far beyond the timeouts: only a terminal that never ends fails here.
    ASSERT_TRUE(p.waitForFinished(120000)) << Output(p).toStdString();
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
    QFile log(Home() + "/Log/Terminal #17.log");
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains("Terminal 17 could not be marked off in table terminal: "));
    QFile setLog(Home() + "/Log/Set.log");
    ASSERT_TRUE(setLog.open(QIODevice::ReadOnly));
    EXPECT_TRUE(setLog.readAll().contains("17=NC"));
    EXPECT_EQ(Received(order), 0);
    EXPECT_EQ(Queued(order), 1);

    relay.Signal(SIGCONT);
    QProcess& next = Launch(17);
    ASSERT_TRUE(WaitUntil([&] { return Received(order) == 1 && Settled(order) == 1; }, 30000))
        << Output(next).toStdString();
    ExpectEachOrderAtMostOnce();
    ExpectMoneyExact();
}
