#include "monitor/FleetSnapshot.h"
#include "support/DbFixture.h"
#include "support/TestTools.h"

namespace {

const QDateTime kNoon = QDateTime::fromString("2025-03-10 12:00:00", "yyyy-MM-dd hh:mm:ss");

class FleetSnapshotTest : public DbTest {
  protected:
    // Terminal 3 works and has a bit of everything, 4 is off with only yesterday's order
    // waiting, 7 belongs to another module and only has jobs.
    void Seed() {
        Rows("terminal", "terminal,modul,status",
             {{3, "Relvane", "1"}, {4, "Relvane", "0"}, {7, "Other", "1"}});
        Rows("job_quenue", "datetime,terminal",
             {{"2025-03-10 11:00:00", 3},
              {"2025-03-09 10:00:00", 3},
              {"2025-03-10 11:00:00", 4},
              {"2025-03-10 11:00:00", 7},
              {"2025-03-10 11:00:00", 0}});  // a reply for the host to send: no terminal
        Rows("transaksi", "datetime_transaksi,terminal,status",
             {{"2025-03-10 08:00:00", 3, "1"},
              {"2025-03-10 09:00:00", 3, "1"},
              {"2025-03-10 10:00:00", 3, "1"},
              {"2025-03-10 10:30:00", 3, "0"},
              {"2025-03-09 10:30:00", 3, "1"},  // yesterday: not counted
              {"2025-03-10 11:50:00", 3, "2"},
              {"2025-03-10 11:59:00", 3, "2"},
              {"2025-03-09 23:00:00", 4, "2"},
              // the last hour runs from 11:01:00 to the end of the current minute
              {"2025-03-10 11:40:10", 3, "1"},
              {"2025-03-10 11:40:50", 3, "0"},
              {"2025-03-10 11:00:59", 4, "1"},
              {"2025-03-10 11:01:00", 4, "1"},
              {"2025-03-10 12:00:30", 4, "0"}});
        Rows("outbox", "datetime,terminal",
             {{"2025-03-10 11:00:00", 3}, {"2025-03-10 11:30:00", 3}, {"2025-03-09 11:30:00", 4}});
        Rows("inbox", "datetime,terminal", {{"2025-03-10 11:31:00", 3}});
        Rows("parsing", "kode_produk,terminal,active",
             {{"S5", 3, "0"}, {"S5", 3, "0"}, {"X10", 3, "0"}, {"S10", 3, "1"}, {"S10", 4, "1"}});
    }
};

}  // namespace

TEST_F(FleetSnapshotTest, FiguresPerTerminalFromTheSharedTables) {
    Seed();
    FleetSnapshot s;
    s.Refresh(Db(), kNoon);
    ASSERT_FALSE(s.stale) << s.error.toStdString();
    EXPECT_EQ(s.terminals.keys(), (QList<int>{3, 4, 7}));
    // in table, status, queued, waiting, oldest waiting, succeeded, failed, last sent and last
    // reply (day of March 2025), products off, success rate
    const auto figures = [&](int terminal) {
        const TerminalFigures t = s.terminals.value(terminal);
        return Joined(t.inTable, t.status, t.queued, t.waiting, t.oldestWaitingSeconds, t.succeeded,
                      t.failed, t.lastSent.toString("dd hh:mm:ss"),
                      t.lastReply.toString("dd hh:mm:ss"), t.productsOff.join(','),
                      QString::number(t.SuccessRate(), 'f', 4));
    };
    EXPECT_EQ(figures(3), "true|1|2|2|600|4|2|10 11:30:00|10 11:31:00|S5,X10|0.6667");
    EXPECT_EQ(figures(4), "true|0|1|0|0|2|1|09 11:30:00|||0.6667");
    EXPECT_EQ(figures(7), "false||1|0|0|0|0||||-1.0000");
    // Settled and failed orders of the last hour by minute, waiting ones left out.
    QMap<QString, QPair<int, int>> minutes;
    for (auto it = s.perMinute.cbegin(); it != s.perMinute.cend(); ++it)
        minutes.insert(QDateTime::fromSecsSinceEpoch(it.key() * 60).toString("hh:mm"),
                       {it->succeeded, it->failed});
    EXPECT_EQ(minutes, (QMap<QString, QPair<int, int>>{
                           {"11:01", {1, 0}}, {"11:40", {1, 1}}, {"12:00", {0, 1}}}));
}

TEST_F(FleetSnapshotTest, StatementsDoNotGrowWithTheFleetAndAnOutageKeepsTheFiguresAsStale) {
    Seed();
    FleetSnapshot s;
    quint64 before = Db().StatementCount();
    s.Refresh(Db(), kNoon);
    const quint64 few = Db().StatementCount() - before;
    for (int n = 100; n < 160; ++n) {
        Rows("terminal", "terminal,modul,status", {{n, "Relvane", "1"}});
        Rows("job_quenue", "datetime,terminal", {{"2025-03-10 11:00:00", n}});
        Rows("transaksi", "datetime_transaksi,terminal,status", {{"2025-03-10 11:00:00", n, "1"}});
    }
    before = Db().StatementCount();
    s.Refresh(Db(), kNoon);
    EXPECT_EQ(Db().StatementCount() - before, few);
    EXPECT_EQ(s.statements, static_cast<int>(few));
    EXPECT_EQ(s.terminals.size(), 63);

    // The database goes away: what was read stays, marked stale, with the reason.
    DbTarget gone = TargetFor("QMYSQL");
    gone.database = DbName() + "_gone";
    Database away(&Util(), "away");
    away.Open(gone);
    const QMap<int, TerminalFigures> kept = s.terminals;
    s.Refresh(away, kNoon.addSecs(60));
    EXPECT_TRUE(s.stale);
    EXPECT_FALSE(s.error.isEmpty());
    EXPECT_EQ(s.readAt, kNoon);
    EXPECT_EQ(s.terminals.size(), kept.size());
    EXPECT_EQ(s.terminals.value(3).succeeded, 4);
    // and back: fresh again
    s.Refresh(Db(), kNoon.addSecs(120));
    EXPECT_FALSE(s.stale);
    EXPECT_TRUE(s.error.isEmpty());
}
