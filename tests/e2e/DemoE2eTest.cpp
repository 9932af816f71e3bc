// The demo's loop, briefly: two terminal processes (15 and 16) run headless as the demo runs
// them, the demo's host queues five orders, its suppliers answer (the first refuses every
// second order it gets with a re-route keyword), one reseller cannot pay; the story ends with
// every order ended once and the money adding up. The fleet monitor runs beside them, and a
// real browser shows its page.
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include "Demo.h"
#include "support/TerminalFixture.h"

namespace {

// A loopback port free a moment ago.
int FreePort(bool udp) {
    if (udp) {
        QUdpSocket s;
        s.bind(QHostAddress(QHostAddress::LocalHost), 0);
        return s.localPort();
    }
    QTcpServer s;
    s.listen(QHostAddress(QHostAddress::LocalHost), 0);
    return s.serverPort();
}

// The page as Debian's Chromium renders it, headless, scripts run: its document afterwards.
QString BrowserDom(const QString& url, QString* errors) {
    QTemporaryDir profile;
    QProcess chromium;
    chromium.start(
        "/usr/bin/chromium",
        {"--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--user-data-dir=" + profile.path(), "--virtual-time-budget=3000", "--dump-dom", url});
    if (!chromium.waitForFinished(60000)) chromium.kill();
    *errors = QString::fromUtf8(chromium.readAllStandardError()).right(2000);
    return QString::fromUtf8(chromium.readAllStandardOutput());
}

}  // namespace

using DemoE2eTest = TerminalTest;

TEST_F(DemoE2eTest, ShortRunEndsEveryOrderOnceAndTheMoneyAddsUpAndTheMonitorShowsIt) {
    Demo::Options o;
    o.terminalA = 15;
    o.terminalB = 16;
    o.orders = 5;
    o.paceMs = 700;
    o.failEvery = 2;
    o.refuseAt = 3;
    o.xmppDomain = XmppPeer::Domain();
    o.xmppPort = XmppPeer::Port().toInt();
    o.xmppPassword = XmppPeer::Password();
    Demo::Prepare(Db(), Settings(), o);

    // The monitor first, so that it hears the terminals announce themselves.
    const QString feedPort = QString::number(FreePort(true));
    const QString pagePort = QString::number(FreePort(false));
    QTemporaryDir secrets;
    QFile password(secrets.filePath("db-password"));
    ASSERT_TRUE(password.open(QIODevice::WriteOnly));
    password.write(TestServers::DbPassword().toUtf8());
    password.close();
    QProcess monitor;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("RELVANE_MONITOR_PORT", feedPort);
    env.insert("RELVANE_DB_PASSWORD_FILE", password.fileName());
    monitor.setProcessEnvironment(env);
    monitor.start(RELVANE_BINARY, {"monitor", "--home", Home(), "--listen", "127.0.0.1:" + pagePort,
                                   "--refresh", "1"});
    ASSERT_TRUE(monitor.waitForReadyRead(10000)) << monitor.readAllStandardError().toStdString();
    Launch(15, RELVANE_BINARY, {"RELVANE_MONITOR_PORT=" + feedPort});
    Launch(16, RELVANE_BINARY, {"RELVANE_MONITOR_PORT=" + feedPort});

    QString story;
    QTextStream out(&story);
    Demo demo(Db(), o, out);
    bool finished = false;
    QObject::connect(&demo, &Demo::Finished, [&finished](bool) { finished = true; });
    demo.Start();
    ASSERT_TRUE(WaitUntil([&] { return finished; }, 90000)) << story.toStdString();

    const Demo::Summary& s = demo.Result();
    EXPECT_TRUE(s.Ok()) << story.toStdString();
    EXPECT_EQ(s.orders, 5);
    // supplier 15 gets orders 1, 2, 4, 5 and refuses its second and fourth: 2 and 5 go to 16
    EXPECT_EQ(s.successes, 4) << story.toStdString();
    EXPECT_EQ(s.reroutes, 2);
    EXPECT_EQ(s.refusals, 1);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM transaksi WHERE status = '1' AND terminal = 16"), "2");

    // The page in a browser while both terminals still run: both rows on, the orders settled.
    QTest::qWait(1500);  // one more refresh of the monitor after the last settlement
    QString errors;
    const QString dom = BrowserDom("http://127.0.0.1:" + pagePort + "/", &errors);
    ASSERT_TRUE(dom.contains("Relvane fleet")) << errors.toStdString();
    const QRegularExpression row(
        "<tr[^>]*><td>(\\d+)</td><td class=\"l\">(\\w+)</td><td>\\d+</td><td>\\d+</td>"
        "<td>\\d+</td><td>(\\d+)</td>");
    QMap<int, QPair<QString, int>> rows;
    for (auto m = row.globalMatch(dom); m.hasNext();) {
        const auto r = m.next();
        rows.insert(r.captured(1).toInt(), {r.captured(2), r.captured(3).toInt()});
    }
    EXPECT_EQ(rows.keys(), (QList<int>{15, 16})) << dom.toStdString();
    EXPECT_EQ(rows.value(15).first, "on");
    EXPECT_EQ(rows.value(16).first, "on");
    EXPECT_EQ(rows.value(15).second + rows.value(16).second, 4) << dom.toStdString();
    EXPECT_EQ(rows.value(16).second, 2);
    EXPECT_TRUE(dom.contains("<svg id=\"perminute\""));
}
