#include <QRegularExpression>
#include <algorithm>

#include "chat/ChatSession.h"
#include "dispatch/DispatchLoop.h"
#include "queue/Job.h"
#include "store/Database.h"
#include "store/SettingsKeys.h"
#include "store/Stamps.h"
#include "support/TerminalFixture.h"

TEST_F(OfflineTerminalTest, JobStaysQueuedWhileLoggedOutOrTheChatClientCannotSend) {
    StartOffline(9);
    QueueJob("08123", "S5.08123.1");
    Tick();          // logged out: the queue is not even read
    ShowLoggedIn();  // the caption says online, but the client has no session
    Tick();
    Tick();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM job_quenue"), "1");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM outbox"), "0");
    EXPECT_EQ(Lines().filter(QRegularExpression("^SendChat: S5.08123.1, ")).size(), 2);
}

TEST_F(OfflineTerminalTest, JobWithNobodyToSendToIsDroppedAndRecordedAsNotSent) {
    StartOffline(10);
    ShowLoggedIn();
    // a message job without a destination: never sent to the supplier's account instead
    QueueJob("", "PESAN TANPA TUJUAN", "-");
    Tick();
    // an order of a reseller the database does not know: nobody would pay for it
    Rows("job_quenue", "datetime,kode_produk,tujuan,pesan,kode_reseller,terminal",
         {{NowStamp(), "S5", "08124", "S5.08124.9", "NOBODY", 10}});
    Tick();
    SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, Keys::PerTerminal(Keys::kServerHbv, 10), "");
    Term().Values().LblTarget.clear();
    QueueJob("", "S5..1");            // an order with an empty destination and no recipient
    QueueJob("08123", "S5.08123.2");  // the job behind it
    Tick();
    EXPECT_EQ(Scalar("SELECT GROUP_CONCAT(pesan, '|', status ORDER BY id) FROM outbox"),
              "PESAN TANPA TUJUAN|0,S5.08124.9|0,S5..1|0");
    EXPECT_EQ(Scalar("SELECT pesan FROM job_quenue"), "S5.08123.2");
    EXPECT_EQ(Lines().filter("dibuang").size(), 3);
    EXPECT_EQ(
        Lines().filter("dibuang, reseller tidak dikenal atau levelnya bukan angka (NOBODY)").size(),
        1);
    EXPECT_EQ(Lines().filter(QRegularExpression("^SendChat: ")).size(), 0);
}

TEST_F(OfflineTerminalTest, MergedTerminalsSendEachJobToItsOwnTerminalsSupplier) {
    SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, Keys::PerTerminal(Keys::kServerHbv, 3),
                "supplier3@localhost");
    StartOffline(10);
    Term().Values().TerminalList = "3,10";
    Job job;
    job.tujuan = "08123";
    job.terminal = 3;
    EXPECT_EQ(Term().Dispatch().TargetOf(job), "supplier3@localhost");
    job.terminal = 10;
    EXPECT_EQ(Term().Dispatch().TargetOf(job), Supplier());
    job.tujuan = "teman@localhost";  // a chat ID is its own target
    EXPECT_EQ(Term().Dispatch().TargetOf(job), "teman@localhost");
}

TEST_F(OfflineTerminalTest, BoosterHandsEachJobOverOnceAndWhole) {
    StartOffline(11, true);
    Term().Chat().LoginYM_Click();
    Query("RENAME TABLE outbox TO outbox_away");
    QueueJob("08123", "S5.08123.1");
    Tick();
    Tick();
    // the order could not be recorded: nothing went to the booster, the job waits
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ym_queue"), "0");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM job_quenue"), "1");
    Query("RENAME TABLE outbox_away TO outbox");
    Tick();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ym_queue"), "1");
    Query("DELETE FROM ym_queue");  // the booster has sent it
    Tick();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ym_queue"), "0");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM job_quenue"), "0");
    EXPECT_EQ(Scalar("SELECT CONCAT_WS('|', pesan, status) FROM outbox"), "S5.08123.1|1");

    // another instance takes the job between this one's look at the queue and its hand-over
    QueueJob("08124", "S5.08124.2");
    Term().Db().SetProbe([&](const QString& point) {
        if (point.startsWith("DELETE from job_quenue")) Query("DELETE FROM job_quenue");
    });
    Tick();
    Term().Db().SetProbe({});
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ym_queue"), "0");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM outbox"), "1");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM transaksi WHERE tujuan = '08124'"), "0");

    // a cluster refused the hand-over while its COMMIT answered OK: the job is found still
    // queued and the hand-over runs again in the same tick, once
    QueueJob("08125", "S5.08125.3");
    int refused = 0;
    RefuseCommitUnseen(Term().Db(), "DELETE from job_quenue", refused);
    Tick();
    Term().Db().SetProbe({});
    EXPECT_EQ(refused, 1);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM job_quenue"), "0");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ym_queue"), "1");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM transaksi WHERE tujuan = '08125'"), "1");
}

TEST_F(OfflineTerminalTest, ATickHandsOverUpToJobsPerTickEachOnItsOwnInQueueOrder) {
    StartOffline(11, true);
    Term().Values().SetJobsPerTick(3);
    Term().Chat().LoginYM_Click();
    QueueJob("08121", "S5.08121.1");
    QueueJob("08122", QString(161, 'b'));  // dropped: the tick goes on with the next job
    QueueJob("08123", "S5.08123.3");
    QueueJob("08124", "S5.08124.4");
    QueueJob("08125", "S5.08125.5");
    Tick();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ym_queue"), "2");
    EXPECT_EQ(Scalar("SELECT GROUP_CONCAT(LEFT(pesan, 10), '|', status ORDER BY id) FROM outbox"),
              "S5.08121.1|1,bbbbbbbbbb|0,S5.08123.3|1");
    EXPECT_EQ(Scalar("SELECT GROUP_CONCAT(pesan ORDER BY id) FROM job_quenue"),
              "S5.08124.4,S5.08125.5");
    Tick();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM job_quenue"), "0");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ym_queue"), "4");
    EXPECT_EQ(Scalar("SELECT GROUP_CONCAT(status ORDER BY id) FROM outbox"), "1,0,1,1,1");
    EXPECT_EQ(Scalar("SELECT GROUP_CONCAT(tujuan ORDER BY id) FROM transaksi WHERE status = '2'"),
              "08121,08123,08124,08125");
}

// However the terminals are numbered, those started together wake spread over the second.
TEST(DispatchLoopTest, TerminalsStartedTogetherTickApart) {
    const auto numbers = [](int first, int step, int count) {
        QList<int> list;
        for (int i = 0; i < count; ++i) list << first + i * step;
        return list;
    };
    for (const QList<int>& terminals :
         {numbers(1, 1, 100), numbers(5, 100, 100), numbers(101, 1, 100), numbers(1, 1, 20)}) {
        SCOPED_TRACE(terminals.first());
        QList<int> phases;
        for (int n : terminals) {
            phases << DispatchLoop::PhaseMs(n);
            ASSERT_GE(phases.last(), 0);
            ASSERT_LT(phases.last(), 1000);
        }
        int busiest = 0;  // terminals waking in the busiest 100 ms of the second
        for (int start = 0; start < 1000; ++start)
            busiest = std::max<int>(
                busiest, std::count_if(phases.begin(), phases.end(),
                                       [&](int p) { return (p - start + 1000) % 1000 < 100; }));
        EXPECT_LE(busiest, terminals.size() / 10 + 2);
    }
}

TEST_F(OfflineTerminalTest, JobTheBoosterCannotTakeIsDroppedNotRetried) {
    StartOffline(11, true);
    Term().Chat().LoginYM_Click();
    QueueJob("08123", QString(160, 'a'));  // the longest text the booster's table takes
    QueueJob("08123", QString(161, 'b'));
    QueueJob("08123", "S5.08123.3");
    for (int i = 0; i < 3; ++i) Tick();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM job_quenue"), "0");
    EXPECT_EQ(Scalar("SELECT GROUP_CONCAT(LENGTH(pesan) ORDER BY id) FROM ym_queue"), "160,10");
    EXPECT_EQ(Scalar("SELECT GROUP_CONCAT(status ORDER BY id) FROM outbox"), "1,0,1");
    EXPECT_EQ(Lines().filter("dibuang, tidak muat di ym_queue").size(), 1);
}

TEST_F(OfflineTerminalTest, TableProbeLogsOutAndArmsTheReLogin) {
    StartOffline(12);
    ShowLoggedIn();
    Query("DROP TABLE transaksi_");
    QueueJob("08123", "S5.08123.1");
    Tick();
    EXPECT_EQ(Term().Chat().CmdLoginYM(), "Log In");
    EXPECT_TRUE(Term().Chat().tmAutoLogin().isActive());
    EXPECT_EQ(Lines().filter(QRegularExpression("^Cek Tabel\\.\\.\\.: ")).size(), 1);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM job_quenue"), "1");
}
