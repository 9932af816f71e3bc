#include "dispatch/Workers.h"
#include "store/Stamps.h"
#include "support/DbFixture.h"

namespace {

class JobQueueTest : public DbTest {
  protected:
    void Job(const QString& table, int terminal, const QString& pesan,
             const QString& when = NowStamp(), const QString& tujuan = "08123") {
        Rows(table,
             "datetime,kode_produk,tujuan,pesan,kode_reseller,hp_reseller,trx_id,terminal,"
             "line_gate",
             {{when, "S5", tujuan, pesan, "R1", "0811", "T9", terminal, 3}});
    }
    QString Yesterday() { return NowStamp(QDateTime::currentDateTime().addDays(-1)); }
};

}  // namespace

TEST_F(JobQueueTest, FetchesTodaysOldestJobOfThisTerminalOnly) {
    Job("job_quenue", 5, "S5.08123.1111", Yesterday());
    Job("job_quenue", 6, "S5.08123.6666");
    Job("job_quenue", 5, "");  // without a message: it must not hold up the queue
    Job("job_quenue", 5, "S5.08123.2222");
    Job("job_quenue", 5, "S5.08123.3333");
    Workers w(Ctx(), Out());
    const std::optional<::Job> job = w.jobs.GetQueue(5);
    ASSERT_TRUE(job);
    EXPECT_EQ(
        (QStringList{job->kodeProduk, job->tujuan, job->pesan, job->kodeReseller, job->hpReseller,
                     job->trxId, QString::number(job->terminal), QString::number(job->lineGate)}),
        (QStringList{"S5", "08123", "S5.08123.2222", "R1", "0811", "T9", "5", "3"}));
    w.jobs.DelQueue(job->id);
    EXPECT_EQ(w.jobs.GetQueue(5)->pesan, "S5.08123.3333");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM job_quenue"), "4");  // only the one job is deleted
}

TEST_F(JobQueueTest, AlternativeQueueTableForOrdersButNotForMessageJobs) {
    Values().AltQueueOn = true;
    Job("job_quenue", 5, "main table");
    Job("job_quenue_", 5, "alternative table");
    Workers w(Ctx(), Out());
    const std::optional<::Job> job = w.jobs.GetQueue(5);
    ASSERT_TRUE(job);
    EXPECT_EQ(job->pesan, "alternative table");
    w.jobs.DelQueue(job->id);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM job_quenue_"), "0");
    qint16 terminal = 5;
    w.messages.QueueAdminJob("R1", "Saldo anda kurang", terminal);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM job_quenue"), "2");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM job_quenue_"), "0");
}

TEST_F(JobQueueTest, MergedTerminalsServeTheOldestOfAll) {
    Values().TerminalList = "3,5,9";
    Job("job_quenue", 7, "not merged");
    Job("job_quenue", 9, "oldest of the three");
    Job("job_quenue", 3, "second");
    Job("job_quenue", 5, "third");
    Workers w(Ctx(), Out());
    const std::optional<::Job> job = w.jobs.GetQueue(5);
    ASSERT_TRUE(job);
    EXPECT_EQ(job->pesan, "oldest of the three");
    EXPECT_EQ(job->terminal, 9);
}

TEST_F(JobQueueTest, MessageTablesAndTerminalSwitch) {
    Workers w(Ctx(), Out());
    w.messages.InsertToOutbox("08123", "S5.08123.1234", 1, 5, "S5", "R1");
    w.messages.InsertToInbox("supplier1@localhost", "SUKSES SN:1", 1, 5);
    EXPECT_EQ(Scalar("SELECT CONCAT_WS('|', tujuan, pesan, status, terminal, kode_produk, "
                     "kode_reseller) FROM outbox"),
              "08123|S5.08123.1234|1|5|S5|R1");
    EXPECT_EQ(Scalar("SELECT CONCAT_WS('|', pengirim, pesan, status, terminal) FROM inbox"),
              "supplier1@localhost|SUKSES SN:1|1|5");
    EXPECT_EQ(Scalar("SELECT LEFT(`datetime`, 10) FROM inbox"),
              QDate::currentDate().toString("yyyy-MM-dd"));

    Rows("terminal", "terminal,modul,status", {{5, "Relvane", "1"}, {6, "Relvane", "1"}});
    w.messages.OnOffTerminal("Relvane", 5, false);
    w.messages.OnOffTerminal("Hubvane", 6, false);  // another module's terminal 6: no row matches
    EXPECT_EQ(Scalar("SELECT GROUP_CONCAT(status ORDER BY terminal) FROM terminal"), "0,1");
}

TEST_F(JobQueueTest, FailedInboxWriteIsLoggedNotRaised) {
    Query("DROP TABLE inbox");
    Workers w(Ctx(), Out());
    EXPECT_NO_THROW(w.messages.InsertToInbox("s@x", "SUKSES", 1, 5));
    const QStringList log = LogLines("Terminal #5");
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].contains(" InsertToInbox SUKSES")) << log[0].toStdString();
}

TEST_F(JobQueueTest, AdminJobReplacesApostrophesAndGoesToTheResellersPhone) {
    Insert("hp_reseller", {{"kode_reseller", "R1"}, {"hp", "08111"}});
    Workers w(Ctx(), Out());
    qint16 terminal = 4;
    w.messages.QueueAdminJob("R1", "Trx '5rb' gagal", terminal);
    w.messages.QueueAdminJob("R2", "tanpa hp", terminal);  // no phone: the code itself
    // a message job ("-"), on the terminal it was given
    EXPECT_EQ(Scalar("SELECT GROUP_CONCAT(CONCAT_WS('|', tujuan, pesan, kode_produk, terminal) "
                     "ORDER BY id) FROM job_quenue"),
              "08111|Trx `5rb` gagal|-|4,R2|tanpa hp|-|4");
}

TEST_F(JobQueueTest, AdminJobOnAnSmsCenterTerminalAsksTheSenderSelection) {
    Values().SmsCenterList = ";3;;0";
    Rows("terminal", "terminal,modul,status", {{3, "SMS Center", "1"}, {12, "SMS Sender", "1"}});
    Workers w(Ctx(), Out());
    qint16 terminal = 3;
    w.messages.QueueAdminJob("08123", "Saldo kurang", terminal);
    EXPECT_EQ(terminal, 12);  // passed back to the caller
    EXPECT_EQ(Scalar("SELECT terminal FROM job_quenue"), "12");
    // with no candidate at all the message stays on its terminal instead of being lost
    Query("DELETE FROM terminal WHERE terminal = 12");
    terminal = 3;
    w.messages.QueueAdminJob("08123", "Saldo kurang", terminal);
    EXPECT_EQ(terminal, 3);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM job_quenue WHERE terminal = 3"), "1");
    // nor does the selection's error answer "0" send it to terminal 0
    Insert("terminal", {{"terminal", 0}, {"modul", "SMS Sender"}, {"status", "1"}});
    w.messages.QueueAdminJob("08123", "Saldo kurang", terminal);
    EXPECT_EQ(terminal, 3);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM job_quenue WHERE terminal = 0"), "0");
    EXPECT_EQ(
        LogLines("Terminal #5").filter("QueueAdminJob Terminal pengirim tidak ditemukan").size(),
        2);
}
