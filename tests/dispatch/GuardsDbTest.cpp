// The guards of the dispatch tick: diversion after a success, the pending limit, bill payments
// and the deposit; each verdict written whole with the job's removal, or not at all.
#include <QLocale>
#include <QRegularExpression>

#include "dispatch/Guards.h"
#include "dispatch/MoneyGuards.h"
#include "queue/Job.h"
#include "store/Stamps.h"
#include "support/MoneyFixture.h"
#include "support/TestTools.h"

namespace {

using Verdict = Guards::Verdict;

class GuardsTest : public MoneyTest {
  protected:
    void SetUp() override {
        MoneyTest::SetUp();
        QLocale::setDefault(QLocale::c());
        Reseller("A", 3, "G", "", 100000);
        Kelompok("G", "S10", {10000, 10200, 10500, 0, 0, 0});
        Rows("parsing", "kode_produk,terminal,method,cmd,harga_jual",
             {{"S10", 5, "RLV", "S10.<tujuan>.5", 10600},
              {"S10", 6, "RLV", "S10.<tujuan>.<trxid>", 10600},
              {"PAYPLN", 5, "RLV", "PAY.<tujuan>"}});
        w = std::make_unique<Workers>(Ctx(), Out());
    }
    void TearDown() override {
        Db().Exec("SET timestamp = DEFAULT");
        MoneyTest::TearDown();
    }

    // A job of reseller A, queued for the terminal; the host's id is "H1#2#500".
    Job Queued(const QString& produk = "S10", const QString& tujuan = "08123",
               const QString& reseller = "A", qint16 terminal = 5,
               const QString& trxId = "H1#2#500") {
        Job job;
        job.kodeProduk = produk;
        job.tujuan = tujuan;
        job.pesan = produk + "." + tujuan;
        job.kodeReseller = reseller;
        job.hpReseller = "0811";
        job.trxId = trxId;
        job.terminal = terminal;
        Rows("job_quenue",
             "datetime,kode_produk,tujuan,pesan,kode_reseller,hp_reseller,trx_id,terminal",
             {{NowStamp(), produk, tujuan, job.pesan, reseller, job.hpReseller, job.trxId,
               terminal}});
        job.id = Scalar("SELECT MAX(id) FROM job_quenue").toLongLong();
        return job;
    }
    // An earlier order of reseller A with the given status, at the given time.
    void Earlier(const QString& status, const QString& at, const QString& produk = "S10",
                 const QString& tujuan = "08123", const QString& keterangan = "", int terminal = 5,
                 const QString& reseller = "A") {
        Rows("transaksi",
             "kode_transaksi,kode_produk,tujuan,kode_reseller,status,datetime_transaksi,"
             "terminal,line_gate,harga_beli,keterangan",
             {{"0#H0#0#0", produk, tujuan, reseller, status, at, terminal, 3, 10500, keterangan}});
    }
    // The orders refused as failures of their own rows: terminal, status and remark.
    QStringList Refused() {
        return Column(
            "SELECT CONCAT_WS('|', terminal, status, keterangan) FROM transaksi WHERE "
            "keterangan LIKE 'trx %' ORDER BY id");
    }
    // Today at the given time, as the server's clock of the door's connection sees it.
    QString Today(const QString& time) {
        return QDate::currentDate().toString("yyyy-MM-dd") + " " + time;
    }
    void ServerNow(const QString& at) { Db().Exec("SET timestamp = UNIX_TIMESTAMP(?)", {at}); }
    Verdict Screen(const Job& job) { return w->guards.Screen(job); }
    QStringList Jobs() {
        return Column(
            "SELECT CONCAT_WS('|', terminal, kode_produk, pesan, trx_id) FROM job_quenue ORDER "
            "BY id");
    }

    std::unique_ptr<Workers> w;
};

}  // namespace

TEST_F(GuardsTest, SuccessEarlierTodayDivertsUnderTwelveHoursWithTheHostsId) {
    ServerNow(Today("23:30:00"));
    Earlier("1", Today("11:30:00"));  // 12 hours before: sent here
    const Job job = Queued();
    EXPECT_EQ(Screen(job), Verdict::Pass);

    Earlier("1", Today("11:30:01"));  // 11 hours and 59 minutes: diverted
    EXPECT_EQ(Screen(job), Verdict::Diverted);
    // the new job's id says it has moved once, from terminal 5
    EXPECT_EQ(Jobs(), QStringList{"6|S10|S10.08123.H1|H1#3#500#1/5"});
    EXPECT_EQ(Scalar("SELECT GROUP_CONCAT(active ORDER BY id) FROM parsing"), "1,1,1");
    EXPECT_EQ(Scalar("SELECT pesan FROM inbox"),
              "Pengalihan Otomatis dari [A][0811] Produk[S10] Tujuan[08123] TmLast[" +
                  Today("11:30:01") + "] Selisih[11]");

    // a line beyond 16 bits counts as 0, as a job's does
    Query("DELETE FROM job_quenue");
    Query("UPDATE transaksi SET line_gate = 40000");
    EXPECT_EQ(Screen(Queued()), Verdict::Diverted);
    EXPECT_EQ(Jobs(), QStringList{"6|S10|S10.08123.H1|H1#0#500#1/5"});
}

TEST_F(GuardsTest, DiversionNeedsTodaysSuccessAndASecondActiveTerminal) {
    // yesterday 23:00 seen at 01:00: two hours, but not today
    ServerNow(Today("01:00:00"));
    Earlier("1", QDate::currentDate().addDays(-1).toString("yyyy-MM-dd") + " 23:00:00");
    Earlier("2", Today("00:30:00"));  // waiting, not succeeded
    const Job job = Queued();
    EXPECT_EQ(Screen(job), Verdict::Pass);

    Earlier("1", Today("00:30:00"));
    Query("UPDATE parsing SET active = '0' WHERE terminal = 6");
    EXPECT_EQ(Screen(job), Verdict::Pass);
    Query("UPDATE parsing SET active = '1', method = '' WHERE terminal = 6");
    EXPECT_EQ(Screen(job), Verdict::Pass);
    EXPECT_EQ(Jobs().size(), 1);
}

TEST_F(GuardsTest, DiversionThatCannotBeWrittenLeavesTheJobQueued) {
    Earlier("1", NowStamp());
    const Job job = Queued();
    Refuse("inbox");
    EXPECT_THROW(Screen(job), DbError);
    EXPECT_EQ(Jobs(), QStringList{"5|S10|S10.08123|H1#2#500"});
    EXPECT_EQ(Scalar("SELECT GROUP_CONCAT(active ORDER BY id) FROM parsing"), "1,1,1");
    EXPECT_EQ(LogLines("Terminal #5").filter(QRegularExpression(" CekTrx2 .*refused")).size(), 1);
}

TEST_F(GuardsTest, PendingLimitRequeuesTheOrderThatReachesIt) {
    Values().LimitPending = 3;
    Earlier("2", NowStamp(), "X1");
    Earlier("2", NowStamp(), "X2");
    Earlier("2", QDate::currentDate().addDays(-1).toString("yyyy-MM-dd") + " 23:59:59", "X3");
    const Job job = Queued();
    EXPECT_EQ(Screen(job), Verdict::Pass);  // two of today

    Earlier("2", NowStamp(), "X3");
    EXPECT_EQ(Screen(Queued("-r-", "08124")), Verdict::Pass);
    EXPECT_EQ(Screen(job), Verdict::Requeued);
    EXPECT_EQ(Jobs(), (QStringList{"5|-r-|-r-.08124|H1#2#500", "6|S10|S10.08123.H1|H1#0#500#1/5"}));
    EXPECT_EQ(Scalar("SELECT GROUP_CONCAT(active ORDER BY id) FROM parsing"), "1,1,1");

    // a re-queue that cannot be written leaves the order where it was
    const Job next = Queued("S10", "08125");
    Refuse("inbox");
    EXPECT_THROW(Screen(next), DbError);
    EXPECT_EQ(Jobs().size(), 3);
    EXPECT_EQ(Scalar("SELECT GROUP_CONCAT(active ORDER BY id) FROM parsing"), "1,1,1");
}

TEST_F(GuardsTest, MessageJobsPassEveryGuard) {
    Values().LimitPending = 1;
    Earlier("2", NowStamp());
    Earlier("1", NowStamp());
    EXPECT_EQ(Screen(Queued("-", "08123", "ADMIN")), Verdict::Pass);
    EXPECT_EQ(Jobs().size(), 1);
}

TEST_F(GuardsTest, BillPaymentNeedsAFreshInquiryWhoseBillTheDepositExceeds) {
    Query("UPDATE reseller SET deposit = 150000");
    const auto inquiry = [&](int minutesAgo) {
        Earlier("1", Scalar("SELECT NOW() - INTERVAL ? MINUTE", {minutesAgo}), "CEKPLN", "5311",
                "NAMA BUDI TAGIHAN 150.000 ADMIN 2.500");
    };
    inquiry(10);
    EXPECT_EQ(Screen(Queued("PayPLN", "5311")), Verdict::RefusedBill);
    EXPECT_TRUE(Jobs().filter("TIDAK CUKUP").isEmpty());  // refused without a word of its own

    inquiry(9);
    EXPECT_EQ(Screen(Queued("PAYPLN", "5311")), Verdict::RefusedBill);
    EXPECT_THAT(
        Jobs(),
        testing::Contains(MatchesRe("^0\\|-\\|Maaf \\{SALDO Rp.150000\\} TIDAK CUKUP u/ TRX Produk "
                                    "\\{PAYPLN, Rp.150000\\}@5311@ \\d{4}-\\d{2}-\\d{2} "))
            .Times(1));
    Query("UPDATE reseller SET deposit = 150001");
    EXPECT_EQ(Screen(Queued("PAYPLN", "5311")), Verdict::Pass);

    // the customer number after "TAGIHAN PLN" is no bill: the amount after "Rp" is
    Query("UPDATE reseller SET deposit = 200000");
    Earlier("1", NowStamp(), "CEKPLN", "5312", "TAGIHAN PLN 531234567890 NAMA BUDI RP 150.000");
    EXPECT_EQ(Screen(Queued("PAYPLN", "5312")), Verdict::Pass);
}

TEST(BillAmount, ReadWholeAfterTotalTagihanOrTag) {
    EXPECT_EQ(MoneyGuards::GetNominalTagihan("total 150.000"), "150000");
    EXPECT_EQ(MoneyGuards::GetNominalTagihan("TAGIHAN 150000 ADM 2500"), "150000");
    EXPECT_EQ(MoneyGuards::GetNominalTagihan("tag: 1,500,000.00"), "1500000");
    EXPECT_EQ(MoneyGuards::GetNominalTagihan("Total Tagihan Rp 150.000,00"), "150000");
    EXPECT_EQ(MoneyGuards::GetNominalTagihan("total 2 bulan 150000"), "2");  // the first amount
    EXPECT_EQ(MoneyGuards::GetNominalTagihan("tag 12.5"), "12");
    EXPECT_EQ(MoneyGuards::GetNominalTagihan("totalnya 150000, tags 5"), "");
    EXPECT_EQ(MoneyGuards::GetNominalTagihan("total a b c d e f g 150000"), "");  // eight words on
    // an amount after "Rp" is the bill; more than 10 digits is a customer number
    EXPECT_EQ(MoneyGuards::GetNominalTagihan("TAGIHAN PLN 531234567890 A/N BUDI Rp 150.000"),
              "150000");
    EXPECT_EQ(MoneyGuards::GetNominalTagihan("IDPEL 5312 rp.75.000 ADM RP:2.500"), "75000");
    EXPECT_EQ(MoneyGuards::GetNominalTagihan("tagihan 531234567890 150.000"), "150000");
    EXPECT_EQ(MoneyGuards::GetNominalTagihan("tagihan 53123456789"), "");
    EXPECT_EQ(MoneyGuards::GetNominalTagihan("total 1234567890"), "1234567890");
}

TEST_F(GuardsTest, DepositMustExceedPriceFloorAndPendingOrders) {
    Values().LimitDeposit = 100;
    Query("UPDATE reseller SET deposit = 10000");
    Rows("reseller_log", "kode_reseller,deposit_kredit", {{"A", 100}});
    Query("UPDATE kelompok SET harga = 10000");
    EXPECT_EQ(Screen(Queued("S10", "0812")), Verdict::RefusedDeposit);  // 10100 available
    EXPECT_THAT(Jobs(),
                testing::Contains(
                    MatchesRe("^0\\|-\\|Total TRX Pending \\{Rp.10000 Limit Rp.100\\}, \\{SALDO "
                              "Rp.10100\\} TIDAK CUKUP u/ TRX Produk \\{S10, Rp.10000\\}@0812@ "))
                    .Times(1));
    Query("UPDATE reseller_log SET deposit_kredit = 101");
    EXPECT_EQ(Screen(Queued("S10", "0813")), Verdict::Pass);  // 10101

    // pending orders count, unless they were paid when ordered
    Earlier("2", NowStamp(), "X1");
    Query("UPDATE transaksi SET harga_beli = 1 WHERE kode_produk = 'X1'");
    EXPECT_EQ(Screen(Queued("S10", "0814")), Verdict::RefusedDeposit);
    Values().DebitAtOrder = 1;
    EXPECT_EQ(Screen(Queued("S10", "0815")), Verdict::Pass);

    // an open amount is part of the price, as the waiting record charges it
    Query("UPDATE reseller SET deposit = 100000");
    EXPECT_EQ(Screen(Queued("PLN?", "0816", "A", 5, "H1#2#99000")), Verdict::Pass);
    EXPECT_EQ(Screen(Queued("PLN?", "0817", "A", 5, "H1#2#500000")), Verdict::RefusedDeposit);
    EXPECT_EQ(Jobs().filter("TRX Produk {PLN?, Rp.500000}@0817").size(), 1);
}

TEST_F(GuardsTest, RefusedOrderIsSettledAsAFailureByItsOwnRow) {
    Values().DebitAtOrder = 1;
    Query("UPDATE reseller SET deposit = 10000");
    Rows("balasan", "katakunci,balasan,jenis", {{"saldo", "SUKSES <tujuan>", "OKE"}});
    Earlier("2", NowStamp());  // an older order to the same destination, still waiting
    const Job job = Queued();
    EXPECT_EQ(Screen(job), Verdict::RefusedDeposit);

    EXPECT_EQ(Column("SELECT CONCAT_WS('|', status, deposit_awal, deposit_akhir, keterangan) "
                     "FROM transaksi ORDER BY id")
                  .value(1),
              "0|-500|10000|trx 08123 saldo a err001 by nx engine");
    EXPECT_EQ(Column("SELECT status FROM transaksi ORDER BY id"), (QStringList{"2", "0"}));
    EXPECT_EQ(Deposit("A"), 10000);  // taken at order time, given back in the same unit
    EXPECT_THAT(Jobs().filter("GAGAL"),
                testing::ElementsAre(MatchesRe("^2\\|-\\|\\{5:0\\} GAGAL S10 08123 SN.\\(h1\\) "
                                               "Saldo Rp.10,000 \\d{8}\\.\\|$")));

    // a failure keyword in the text gives the message
    Rows("balasan", "katakunci,balasan,jenis", {{"err001", "DITOLAK <tujuan>", "ERROR"}});
    w = std::make_unique<Workers>(Ctx(), Out());  // keywords are read once per run
    EXPECT_EQ(Screen(Queued("S10", "08124")), Verdict::RefusedDeposit);
    EXPECT_EQ(Jobs().filter("DITOLAK").size(), 1);
}

TEST_F(GuardsTest, FailingGuardLeavesTheJobQueuedAndRefusesNothing) {
    Query("UPDATE reseller SET deposit = 10000");  // would be refused
    const Job job = Queued();
    // the credit reader swallows its error; the unit does not
    Query("RENAME TABLE reseller_log TO reseller_log_away");
    EXPECT_THROW(Screen(job), DbError);
    Query("RENAME TABLE reseller_log_away TO reseller_log");
    EXPECT_EQ(Jobs(), QStringList{"5|S10|S10.08123|H1#2#500"});
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM transaksi"), "0");

    // a waiting row the table refuses: the refusal stands without it, and nothing is taken
    Values().DebitAtOrder = 1;
    Refuse("transaksi");
    EXPECT_EQ(Screen(job), Verdict::RefusedDeposit);
    EXPECT_EQ(Jobs().filter("S10.08123").size(), 0);
    EXPECT_EQ(Jobs().filter("TIDAK CUKUP").size(), 1);
    EXPECT_EQ(Deposit("A"), 10000);
    EXPECT_EQ(Scalar("SELECT CONCAT_WS('|', pesan, status) FROM outbox"), "S10.08123|0");
    Query("DROP TRIGGER refuse");
}

TEST_F(GuardsTest, EveryOrderAGuardMovesEndsSentOrRefusedWithItsOwnRow) {
    // both terminals topped the number up earlier today
    Earlier("1", NowStamp());
    Earlier("1", NowStamp(), "S10", "08123", "", 6);
    EXPECT_EQ(Screen(Queued()), Verdict::Diverted);
    EXPECT_EQ(Jobs(), QStringList{"6|S10|S10.08123.H1|H1#3#500#1/5"});

    // on terminal 6 it would go back to 5, where it came from: refused instead
    Query("DELETE FROM job_quenue");
    EXPECT_EQ(Screen(Queued("S10", "08123", "A", 6, "H1#3#500#1/5")), Verdict::RefusedMove);
    // and an order that has moved three times is refused wherever it is
    Query("UPDATE transaksi SET status = '0' WHERE terminal = 6");
    EXPECT_EQ(Screen(Queued("S10", "08123", "A", 5, "H1#3#500#3/7")), Verdict::RefusedMove);

    EXPECT_EQ(Refused(), (QStringList{"6|0|trx 08123 pengalihan a err002 by nx engine",
                                      "5|0|trx 08123 pengalihan a err002 by nx engine"}));
    // the reseller hears of both; nothing is left in the queue to move again
    EXPECT_EQ(Jobs().filter(QRegularExpression("^3\\|-\\|\\{[56]:0\\} GAGAL S10 08123 ")).size(),
              2);
    EXPECT_EQ(Jobs().filter("|S10|").size(), 0);
    EXPECT_EQ(Scalar("SELECT GROUP_CONCAT(active ORDER BY id) FROM parsing"), "1,1,1");
    EXPECT_EQ(Deposit("A"), 100000);
}

TEST_F(GuardsTest, PendingLimitWithNowhereToGoRefusesAndProductsKeepTheirState) {
    Values().LimitPending = 1;
    Earlier("2", NowStamp(), "X1");
    // the product is off on terminal 6: this terminal is the only one
    Query("UPDATE parsing SET active = '0' WHERE terminal = 6");
    EXPECT_EQ(Screen(Queued()), Verdict::RefusedMove);
    EXPECT_EQ(Refused(), QStringList{"5|0|trx 08123 pengalihan a err002 by nx engine"});
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM job_quenue WHERE pesan = ''"), "0");  // no "Pesan4"
    EXPECT_EQ(Jobs().filter("GAGAL S10 08123").size(), 1);
    EXPECT_EQ(Scalar("SELECT GROUP_CONCAT(active ORDER BY id) FROM parsing"), "1,0,1");

    // a product that is off here (a stock-out) stays off after its order is re-queued
    Query("UPDATE parsing SET active = IF(terminal = 5, '0', '1') WHERE kode_produk = 'S10'");
    EXPECT_EQ(Screen(Queued("S10", "08124")), Verdict::Requeued);
    EXPECT_EQ(Scalar("SELECT GROUP_CONCAT(active ORDER BY id) FROM parsing"), "0,1,1");
}

TEST_F(GuardsTest, AnEarlierGuardsVerdictStopsTheLaterOnes) {
    Rows("parsing", "kode_produk,terminal,method,cmd", {{"PAYPLN", 6, "RLV", "PAY.<tujuan>"}});
    Query("UPDATE reseller SET deposit = 0");  // the deposit guard would refuse every order
    struct Case {
        const char* name;
        QString produk;
        std::function<void()> setUp;
        Verdict verdict;
    };
    const QList<Case> cases = {
        {"diversion before the deposit", "S10", [&] { Earlier("1", NowStamp(), "S10", "0801"); },
         Verdict::Diverted},
        {"pending limit before the bill", "PAYPLN",
         [&] {
             Values().LimitPending = 1;
             Earlier("2", NowStamp(), "X1", "0");
         },
         Verdict::Requeued},
        {"bill before the deposit", "PAYPLN", [&] { Values().LimitPending = 0; },
         Verdict::RefusedBill},
    };
    for (const Case& c : cases) {
        c.setUp();
        EXPECT_EQ(Screen(Queued(c.produk, "0801")), c.verdict) << c.name;
        EXPECT_EQ(Jobs().filter("TIDAK CUKUP").size(), 0) << c.name;
    }
}

TEST_F(GuardsTest, GuardsLookOnlyAtTheirOwnOrdersTerminalAndReseller) {
    Values().LimitPending = 1;
    Values().LimitDeposit = 100;
    Query("UPDATE reseller SET deposit = 10601");  // 100 + 10500 + 1
    const Job job = Queued();
    // successes of another destination, product or terminal divert nothing; an order waiting
    // on another terminal or of another reseller, or one settled, counts neither against the
    // pending limit nor against the deposit
    Earlier("1", NowStamp(), "S10", "08999");
    Earlier("1", NowStamp(), "X9", "08123");
    Earlier("1", NowStamp(), "S10", "08123", "", 6);
    Earlier("2", NowStamp(), "X1", "0", "", 9, "B");
    Earlier("2", NowStamp(), "X1", "0", "", 6, "B");
    EXPECT_EQ(Screen(job), Verdict::Pass);
    // "pay" only at the start makes a bill payment
    EXPECT_EQ(Screen(Queued("XPAY", "0812")), Verdict::Pass);

    // a job of a merged terminal is held against that terminal's own orders
    Values().TerminalList = "5,9";
    EXPECT_EQ(Screen(Queued("S10", "08123", "A", 9)), Verdict::Requeued);
    EXPECT_EQ(Screen(job), Verdict::Pass);

    // the reseller's own waiting order counts against the deposit
    Values().LimitPending = 0;
    Earlier("2", NowStamp(), "X1", "0");
    EXPECT_EQ(Screen(job), Verdict::RefusedDeposit);

    // a job another instance took meanwhile is gone, and its diversion with it
    Earlier("1", NowStamp());
    const Job taken = Queued("S10", "08123");
    Query("DELETE FROM job_quenue WHERE id = ?", {taken.id});
    const int before = Jobs().size();
    EXPECT_EQ(Screen(taken), Verdict::Gone);
    EXPECT_EQ(Jobs().size(), before);
}
