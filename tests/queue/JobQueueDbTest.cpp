#include "store/Stamps.h"
#include "support/MoneyFixture.h"
#include "support/TestTools.h"

namespace {

class JobQueueTest : public MoneyTest {
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
    const std::optional<::Job> job = W().jobs.GetQueue(5);
    ASSERT_TRUE(job);
    EXPECT_EQ(Joined(job->kodeProduk, job->tujuan, job->pesan, job->kodeReseller, job->hpReseller,
                     job->trxId, job->terminal, job->lineGate),
              "S5|08123|S5.08123.2222|R1|0811|T9|5|3");
    W().jobs.DelQueue(job->id);
    EXPECT_EQ(W().jobs.GetQueue(5)->pesan, "S5.08123.3333");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM job_quenue"), "4");  // only the one job is deleted
}

TEST_F(JobQueueTest, AlternativeQueueTableWhenSwitchedOn) {
    Values().AltQueueOn = true;
    Job("job_quenue", 5, "main table");
    Job("job_quenue_", 5, "alternative table");
    const std::optional<::Job> job = W().jobs.GetQueue(5);
    ASSERT_TRUE(job);
    EXPECT_EQ(job->pesan, "alternative table");
    W().jobs.DelQueue(job->id);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM job_quenue_"), "0");
}

TEST_F(JobQueueTest, MergedTerminalsServeTheOldestOfAll) {
    Values().TerminalList = "3,5,9";
    Job("job_quenue", 7, "not merged");
    Job("job_quenue", 9, "oldest of the three");
    Job("job_quenue", 3, "second");
    Job("job_quenue", 5, "third");
    const std::optional<::Job> job = W().jobs.GetQueue(5);
    ASSERT_TRUE(job);
    EXPECT_EQ(Joined(job->pesan, job->terminal), "oldest of the three|9");
}
