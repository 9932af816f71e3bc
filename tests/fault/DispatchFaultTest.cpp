// An order goes to the supplier at most once, whatever breaks during the tick that sends it:
// the database connection cut at any of its points, or the process killed at any of them.
#include <QRegularExpression>

#include "FaultFixture.h"
#include "dispatch/DispatchLoop.h"

namespace {

// Points of a tick: statements, BEGIN, COMMIT and "COMMITTED" (just after a commit).
struct Cut {
    int at = 0;  // 1-based point to cut at; 0: none
    qint64 connection = 0;
    QStringList points;
};

}  // namespace

// The terminal runs in this process; its connection is killed by the server (KILL CONNECTION
// from another connection) just before the k-th point of the tick that takes the order, for
// every k of that tick. Each order must reach the supplier exactly once and be settled once.
TEST_F(FaultTest, ConnectionCutAtAnyPointOfASendingTickSendsTheOrderExactlyOnce) {
    World(17, 18);
    Query("DELETE FROM terminal WHERE terminal = 17");
    Prepare(17);
    Supplier(17);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitOnline());
    Database& door = Term().Db();
    Cut cut;
    door.SetProbe([&](const QString& point) {
        cut.points.append(point.left(60));
        if (cut.points.size() != cut.at) return;
        Query(QString("KILL CONNECTION %1").arg(cut.connection));
    });

    int pointsOfATick = 0;
    for (int k = 0; k == 0 || k <= pointsOfATick; ++k) {  // 0: a clean tick, counted
        cut.at = 0;
        cut.connection = door.Exec("SELECT CONNECTION_ID() AS id").Int(0, "id");
        cut.points.clear();
        cut.at = k;
        const QString order = QueueOrder(17);
        Term().Dispatch().tmOut_Timer();
        cut.at = 0;
        if (k == 0) pointsOfATick = cut.points.size();
        ASSERT_GT(pointsOfATick, 8) << cut.points.join('\n').toStdString();
        ASSERT_TRUE(WaitUntil([&] { return Received(order) == 1 && Settled(order) == 1; }, 15000))
            << "cut before point " << k << " of\n"
            << cut.points.join('\n').toStdString();
    }
    door.SetProbe({});
    WaitUntil([] { return false; }, 2500);  // time enough for a second sending to show
    for (const QString& order : Orders()) {
        SCOPED_TRACE(order.toStdString());
        EXPECT_EQ(Received(order), 1);
        EXPECT_EQ(TransactionRows(order), 1);
        EXPECT_EQ(Outbox(order), 1);
    }
    ExpectMoneyExact();
}

// The terminal runs as its own program and kills itself just before the k-th point counted
// from its first look at the queue, for k = 1 up to the first point of the next tick; after
// each death the next run picks up what is left. Whatever the point, no order reaches the
// supplier twice, and an order that did not reach it is still queued or recorded as sent
// (waiting row and outbox record): its fate is visible. Replies to orders sent before a death
// reach the next run from the server's offline storage and are settled.
TEST_F(FaultTest, KilledAtAnyPointOfASendingTickNeverSendsTwice) {
    World(17, 18);
    Supplier(17);
    bool beyondTheTick = false;
    int deaths = 0;
    int deathsBetweenCommitAndSend = 0;
    for (int k = 1; !beyondTheTick && k < 80; ++k) {
        if (QueuedOrders() == 0) QueueOrder(17);
        QProcess& p = Launch(17, RELVANE_FAULTY_BINARY, {QString("RELVANE_KILL_AT=%1").arg(k)});
        ASSERT_TRUE(p.waitForFinished(30000)) << Output(p).toStdString();
        const QStringList points = Output(p).split('\n').filter(QRegularExpression("^point "));
        ASSERT_EQ(p.exitStatus(), QProcess::CrashExit) << Output(p).toStdString();
        beyondTheTick = Output(p).contains("next tick");
        ++deaths;
        if (!points.isEmpty() && points.last().endsWith(" COMMITTED")) ++deathsBetweenCommitAndSend;
    }
    EXPECT_TRUE(beyondTheTick);
    EXPECT_GT(deaths, 8);

    // A clean run finishes what is left and settles the replies stored while it was away.
    QProcess& last = Launch(17);
    const auto finished = [&] {
        if (QueuedOrders() != 0) return false;
        for (const QString& order : Orders())
            if (Received(order) > 0 && Settled(order) == 0) return false;
        return true;
    };
    ASSERT_TRUE(WaitUntil(finished, 30000)) << Output(last).toStdString();
    WaitUntil([] { return false; }, 3000);  // time enough for a second sending to show
    Stop(last);

    int unsent = 0;
    for (const QString& order : Orders()) unsent += Received(order) == 0 ? 1 : 0;
    ExpectEachOrderAtMostOnce();
    // Only a death after the commit that records an order as sent and before the sending
    // leaves it unsent (and recorded as waiting).
    EXPECT_LE(unsent, deathsBetweenCommitAndSend);
    ExpectMoneyExact();
}
