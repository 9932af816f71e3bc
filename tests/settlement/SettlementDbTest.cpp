// Settling supplier replies: the money, the rows and the reseller's message of one order, at
// most once, all or nothing.
#include <QLocale>
#include <array>
#include <chrono>
#include <memory>
#include <optional>

#include "queue/Job.h"
#include "store/SettingsKeys.h"
#include "store/Stamps.h"
#include "support/MoneyFixture.h"

namespace {

class SettlementTest : public MoneyTest {
  protected:
    void SetUp() override {
        MoneyTest::SetUp();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        Reseller("U", 2, "G", "", 0);
        Reseller("A", 3, "G", "U", 100000);
        Query("UPDATE reseller SET nama_reseller = 'Toko A' WHERE kode_reseller = 'A'");
        Kelompok("G", "S10", {10000, 10200, 10500, 0, 0, 20});
        Rows("balasan", "katakunci,balasan,jenis",
             {{"sukses",
               "OK <tujuan> <namaproduk> Rp<harga> <depositawal>-><deposit> SN:<sn> "
               "<bayar> <trx>",
               "OKE"},
              {"gagal", "GAGAL <tujuan> <deposit>/<depositawal> <harga>", "ERROR"},
              {"stok tidak tersedia", "GAGAL <tujuan> stok", "ERROR"}});
        Rows("parsing", "kode_produk,terminal,harga_beli,cmd",
             {{"S10", 5, 9800, "S10.<tujuan>.5"}, {"S10", 6, 9800, "S10.<tujuan>.6"}});
        Values().SeparatePackageRebate = 1;
        Settings().SaveSetting(Keys::kAppKzdSql, Keys::kSecSettings, "SNAwalStok #5", "stok=");
        Settings().SaveSetting(Keys::kAppKzdSql, Keys::kSecSettings, "SNAkhirStok #5", " ");
    }

    // A waiting order of reseller A on terminal 5, priced 10500; returns its id.
    qint64 Waiting(const QString& tujuan, const QString& kode = "0#H1#0#0",
                   qint64 deposit = 100000) {
        Rows("transaksi",
             "kode_transaksi,datetime_transaksi,kode_produk,tujuan,kode_reseller,hp_reseller,"
             "deposit_awal,deposit_akhir,harga_beli,terminal,status",
             {{kode, NowStamp(), "S10", tujuan, "A", "0811", deposit, deposit, 10500, 5, "2"}});
        return Scalar("SELECT MAX(id) FROM transaksi").toLongLong();
    }
    void Reply(const QString& text) { W().settlement.ExecuteReplaySupplier(text.toLower(), 5); }
    QString Row(qint64 id) {
        return Scalar(
            "SELECT CONCAT_WS('|', status, deposit_awal, deposit_akhir, harga_beli, "
            "nama_reseller, sn, stok) FROM transaksi WHERE id = ?",
            {id});
    }
    // The statuses of the orders, in the order given ("2,1").
    QString Status(const QList<qint64>& ids) {
        QStringList s;
        for (qint64 id : ids) s << Scalar("SELECT status FROM transaksi WHERE id = ?", {id});
        return s.join(',');
    }
    void Set(const QString& assignment, qint64 id, const QVariant& value) {
        Query("UPDATE transaksi SET " + assignment + " = ? WHERE id = ?", {value, id});
    }
    QStringList Jobs() {
        return Column("SELECT CONCAT_WS('|', tujuan, terminal, pesan) FROM job_quenue ORDER BY id");
    }
};

}  // namespace

TEST_F(SettlementTest, SuccessChargesBooksAndRepliesOnceEvenWhenTheReplyComesTwice) {
    Rows("configuration", "kode,biaya", {{"TransaksiMasuk", 100}});
    // a deposit warning that cannot be read fails alone, after the settlement
    Rows("configuration", "kode,parsing", {{"PeringatanLimitDeposit", "99999999999"}});
    const qint64 id = Waiting("08123456");
    const qint64 next = Waiting("08123456");  // the next order to the same number
    const QString reply = "SUKSES 08123456 SN:ABC12 stok=1.250 saldo";
    Reply(reply);
    Reply(reply);  // the same SN again settles nothing
    EXPECT_EQ(Status({next}), "2");
    const QStringList log = LogLines("Terminal #5");
    EXPECT_EQ(log.filter("sudah menyelesaikan transaksi " + QString::number(id)).size(), 1);
    EXPECT_EQ(log.filter("CekLimitDeposit ").size(), 1);
    EXPECT_EQ(Scalar("SELECT hit FROM reseller_log WHERE kode_reseller = 'A'"), "0");

    EXPECT_EQ(Row(id), "1|100000|89500|10500|Toko A|ABC12|1.250");
    EXPECT_EQ(Deposit("A"), 100000 - 10500 - 100);  // the fee follows a sale from the host
    EXPECT_EQ(Ledger(),
              QStringList{"20|U|Transaksi Rebat Kelompok Harga - AGEN [S10] [A] Level:3"});
    // bill 0 leaves <bayar>; the count includes this sale; the fee row does not count
    EXPECT_EQ(Jobs(), QStringList{"0811|0|OK 08123456 S10 Rp10,500 100,000->89,500 SN:ABC12 "
                                  "<bayar> Jmlh Trx [1]"});
    EXPECT_EQ(Column("SELECT dec_stok FROM parsing ORDER BY id"), (QStringList{"1250", "-1"}));

    // another SN is another top-up
    Reply("SUKSES 08123456 SN:ABC13");
    EXPECT_EQ(Status({next}), "1");
    // a failure that quoted an SN settled nothing: the same SN in a success settles an order
    const qint64 failed = Waiting("0812999");
    Reply("GAGAL 0812999 SN:F1");
    const qint64 retried = Waiting("0812999");
    Reply("SUKSES 0812999 SN:F1");
    EXPECT_EQ(Status({failed, retried}), "0,1");
}

TEST_F(SettlementTest, SuccessWithDebitAtOrderCorrectsThePriceOnlyWhenTheTerminalSells) {
    Values().DebitAtOrder = 1;
    // a fee the orders below do not pay: their codes name source 3, not the host (0)
    Rows("configuration", "kode,biaya", {{"TransaksiMasuk", 100}});
    Query("UPDATE reseller SET deposit = 89500 WHERE kode_reseller = 'A'");
    // no selling price on the terminal: the deposit taken at order time stands
    const qint64 first = Waiting("0812111", "0#H1#3#0", 100000);
    Reply("sukses 812111 sn 1");
    EXPECT_EQ(Row(first), "1|100000|89500|10500|Toko A|1|");
    EXPECT_EQ(Deposit("A"), 89500);
    // with one, the order is charged the reseller's current group price instead
    Query("UPDATE parsing SET harga_jual = 10800 WHERE terminal = 5");
    Query("UPDATE kelompok SET harga = 10700");
    const qint64 second = Waiting("0812222", "0#H2#3#0", 89500);
    Query("UPDATE reseller SET deposit = 79000 WHERE kode_reseller = 'A'");
    Reply("sukses 812222 sn 2");
    EXPECT_EQ(Row(second), "1|89500|78800|10700|Toko A|2|");
    EXPECT_EQ(Deposit("A"), 78800);
    EXPECT_EQ(Jobs().size(), 2);
}

TEST_F(SettlementTest, FailureRefundsWhatWasTakenAndTagsWhyItWasNotRerouted) {
    Values().DebitAtOrder = 1;
    Query("UPDATE reseller SET deposit = 89500 WHERE kode_reseller = 'A'");
    const qint64 refunded = Waiting("0812111");
    Reply("GAGAL 0812111");
    EXPECT_EQ(Row(refunded), "0|89500|100000|10500|Toko A||");
    EXPECT_EQ(Deposit("A"), 100000);

    // debit at order off: nothing moves, and the deposit before is the deposit less the price
    Values().DebitAtOrder = 0;
    Settings().SaveSetting(Keys::kAppKzdSql, Keys::kSecSettings, "Pintar5", "1");
    const qint64 untouched = Waiting("0812222");
    Reply("gagal 0812222");
    EXPECT_EQ(Row(untouched), "0|89500|100000|10500|Toko A||");
    EXPECT_EQ(Deposit("A"), 100000);
    EXPECT_EQ(Jobs(), (QStringList{"0811|0|{5:0} GAGAL 0812111 100,000/89,500 <harga>",
                                   "0811|0|{5:F} GAGAL 0812222 100,000/89,500 <harga>"}));
    EXPECT_EQ(Ledger(), QStringList{});
}

TEST_F(SettlementTest, ARerouteKeywordMovesTheOrderOnceAndARepeatTellsTheReseller) {
    Settings().SaveSetting(Keys::kAppKzdSql, Keys::kSecSettings, "Pintar5", "1");
    // ids keep all their bits: the re-route closes its own order, never the one at 2^32 below
    Rows("transaksi", "id,status", {{41, "2"}});
    Query("ALTER TABLE transaksi AUTO_INCREMENT = 4294967337");
    const qint64 id = Waiting("0812111", "0#H1#2#0");
    ASSERT_EQ(id, 4294967337LL);
    Reply("maaf stok tidak tersedia 0812111");
    EXPECT_EQ(Status({41, id}), "2,0");
    EXPECT_TRUE(Scalar("SELECT keterangan FROM transaksi WHERE id = ?", {id})
                    .contains(">AUTO Pengalihan<stok tidak tersedia>:{"));
    // the order goes to the other terminal, the product is on again here, the reseller waits
    EXPECT_EQ(Column("SELECT CONCAT_WS('|', terminal, pesan, kode_reseller, trx_id) FROM "
                     "job_quenue"),
              QStringList{"6|S10.0812111.6|A|H1#2#0"});
    EXPECT_EQ(Column("SELECT active FROM parsing ORDER BY id"), (QStringList{"1", "1"}));

    // a second failure today of the same product and number on this terminal is not re-routed
    const qint64 again = Waiting("0812111", "0#H1#2#0");
    Reply("maaf stok tidak tersedia 0812111");
    EXPECT_EQ(Status({again}), "0");
    EXPECT_EQ(Jobs().last(), "0811|2|{5:3} GAGAL 0812111 stok");
    EXPECT_EQ(Jobs().size(), 2);
}

TEST_F(SettlementTest, AReplyFindsItsOrderOnlyByTextThatIsReallyThere) {
    // by destination: the smaller id wins; a one-character destination matches nothing
    const qint64 shortOne = Waiting("7");
    const qint64 older = Waiting("0812111");
    const qint64 newer = Waiting("0812111");
    Reply("sukses 0812111 7");
    Reply("0812111 diproses");  // a reply with no keyword settles nothing
    EXPECT_EQ(Status({shortOne, older, newer}), "2,1,2");

    // by code: an order without a code matches no reply, whatever digits it holds
    Values().TrxIdMatching = true;
    const qint64 noCode = Waiting("0813", "0");
    const qint64 coded = Waiting("0814", "0#TX77#0#0");
    Reply("sukses trx tx77 0 0");
    EXPECT_EQ(Status({noCode, coded}), "2,1");
}

TEST_F(SettlementTest, MessagesFeesAndOrdersFoundByTheCustomersId) {
    Rows("configuration", "kode,biaya", {{"TransaksiMasuk", 100}});
    Rows("balasan", "katakunci,balasan,jenis",
         {{"berhasil", "<trxid>|<trxid2>|<kodereseller>|<namareseller>|<sn>|<sn-0>", "OKE"}});
    Values().SnMulti0 = "ref:";
    Values().SnMulti1 = " ";
    const qint64 id = Waiting("0812333", "0#TX5#0#0");
    Reply("berhasil 0812333 ref:R77 sn:Q1");
    EXPECT_EQ(Jobs(), QStringList{"0811|0|tx5|" + QString::number(id) + "|A|Toko A|Q1|r77"});
    EXPECT_EQ(Deposit("A"), 100000 - 10500 - 100);

    // a failure pays no fee, even for an order from the host
    const qint64 failed = Waiting("0812444", "0#TX6#0#0");
    Reply("gagal 0812444");
    EXPECT_EQ(Status({failed}), "0");
    EXPECT_EQ(Deposit("A"), 100000 - 10500 - 100);

    // a reply that quotes the customer's ID captured for the destination finds its order; a
    // capture without an ID matches no reply
    Rows("e2e_queue", "msisdn,trx_id,terminal", {{"5311999", "0812555", 5}, {"", "0812666", 5}});
    const qint64 byId = Waiting("0812555");
    const qint64 noId = Waiting("0812666");
    Reply("sukses 5311999 sn 9");
    Reply("sukses pelanggan 7 sn 8");
    EXPECT_EQ(Status({byId, noId}), "1,2");
}

TEST_F(SettlementTest, MergedTerminalsSettleEachOthersOrdersAndTodayEndsAtMidnight) {
    Values().TerminalList = "5,9";
    const qint64 own = Waiting("0812111");
    const qint64 merged = Waiting("0812222");
    const qint64 other = Waiting("0812333");
    Set("terminal", merged, 9);
    Set("terminal", other, 6);
    Reply("sukses 0812222 0812333 sn:77");
    EXPECT_EQ(Status({merged, other}), "1,2");
    // the same SN again is a repeat of a merged terminal's success, not of another terminal's
    const qint64 again = Waiting("0812222");
    Reply("sukses 0812222 sn:77");
    EXPECT_EQ(Status({again}), "2");
    Set("terminal", merged, 6);
    Reply("sukses 0812222 sn:77");
    EXPECT_EQ(Status({again}), "1");

    // today's list: from midnight on, still waiting, on the merged terminals only
    const QDate today = QDate::currentDate();
    Set("datetime_transaksi", own, today.toString("yyyy-MM-dd 00:00:00"));
    Set("datetime_transaksi", other, today.addDays(-1).toString("yyyy-MM-dd 23:59:59"));
    Set("terminal", other, 9);
    const QList<SettlementRows::Pending> list = W().settlementRows.GetTrxPendingHariIni(5);
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list[0].id, own);
    EXPECT_EQ(list[0].kode, "h1");
}

TEST_F(SettlementTest, AStepThatFailsLeavesMoneyBooksPricesAndOrderAsTheyWere) {
    // a remark longer than its column is cut to it
    Query("ALTER TABLE transaksi MODIFY keterangan VARCHAR(12)");
    Rows("configuration", "kode,biaya", {{"TransaksiMasuk", 100}});
    // the supplier's price would be adopted for good on this terminal
    Query("UPDATE parsing SET selisih = 5 WHERE terminal = 5");
    Refuse("job_quenue");
    const qint64 id = Waiting("0812111");
    EXPECT_THROW(Reply("sukses 0812111 (9.850) sn 1"), DbError);
    EXPECT_EQ(Row(id), "2|100000|100000|10500");
    EXPECT_EQ(Deposit("A"), 100000);
    EXPECT_EQ(Ledger(), QStringList{});
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM transaksi"), "1");
    EXPECT_EQ(Scalar("SELECT CONCAT(harga_beli, '/', harga_jual) FROM parsing WHERE terminal = 5"),
              "9800/0");
    EXPECT_EQ(Scalar("SELECT harga_dasar FROM transaksi"), "0");

    // a failure rolled back part-way gives no refund either
    Values().DebitAtOrder = 1;
    const qint64 failed = Waiting("0812222");
    EXPECT_THROW(Reply("gagal 0812222"), DbError);
    EXPECT_EQ(Status({failed}), "2");
    EXPECT_EQ(Deposit("A"), 100000);
    Values().DebitAtOrder = 0;

    // once the table takes messages again, the same reply settles the order
    Query("DROP TRIGGER refuse");
    Query("UPDATE parsing SET selisih = 0");
    Reply("sukses 0812111 sn 1");
    EXPECT_EQ(Status({id}), "1");
    EXPECT_EQ(Scalar("SELECT keterangan FROM transaksi WHERE id = ?", {id}), "sukses 08121");
    EXPECT_EQ(Deposit("A"), 100000 - 10500 - 100);
}

TEST_F(SettlementTest, AReplyWhoseOrderWasSettledMeanwhileSettlesTheNextWaitingOne) {
    const qint64 first = Waiting("0812111");
    const qint64 second = Waiting("0812111");
    // another instance holds the first order, and settles it while this one waits for it
    Database other(&Util(), "other-instance");
    ASSERT_TRUE(other.Open(TargetFor("QMYSQL")));
    QString failure;
    std::thread instance;
    other.Transaction([&] {
        other.Exec("SELECT status FROM transaksi WHERE id = ? FOR UPDATE", {first});
        instance = std::thread([&] {
            failure = AsInstance("QMYSQL", Values(), [](Workers& mine) {
                mine.settlement.ExecuteReplaySupplier("sukses 0812111 sn 2", 5);
            });
        });
        for (int i = 0; i < 500 && Scalar("SELECT COUNT(*) FROM information_schema.PROCESSLIST "
                                          "WHERE ID <> CONNECTION_ID() AND INFO LIKE "
                                          "'SELECT status FROM transaksi WHERE id = %'") == "0";
             ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        other.Exec("UPDATE transaksi SET status = '1', sn = '1' WHERE id = ?", {first});
    });
    instance.join();
    EXPECT_EQ(failure, "");
    EXPECT_EQ(Row(second), "1|100000|89500|10500|Toko A|2|");
    EXPECT_EQ(Deposit("A"), 89500);
}

TEST_F(SettlementTest, TwoInstancesWithTheSameRepliesSettleEachOrderOnce) {
    constexpr int kOrders = 25;
    Query("UPDATE reseller SET deposit = 1000000 WHERE kode_reseller = 'A'");
    QStringList replies;
    for (int i = 0; i < kOrders; ++i) {
        const QString tujuan = QString("08120%1").arg(i, 4, 10, QChar('0'));
        Waiting(tujuan);
        replies.append("sukses " + tujuan + " sn " + QString::number(i));
    }
    EXPECT_EQ(Race({Values(), Values()},
                   [&](Workers& mine, int) {
                       for (const QString& reply : replies)
                           mine.settlement.ExecuteReplaySupplier(reply, 5);
                   }),
              (QStringList{"", ""}));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM transaksi WHERE status = '1'"),
              QString::number(kOrders));
    EXPECT_EQ(Deposit("A"), 1000000 - kOrders * 10500);
    EXPECT_EQ(Jobs().size(), kOrders);
    const QStringList saldos = Column("SELECT saldo FROM rekening ORDER BY id");
    ASSERT_EQ(saldos.size(), kOrders);
    for (int i = 0; i < kOrders; ++i) EXPECT_EQ(saldos[i].toInt(), 20 * (i + 1)) << i;
}

// A cluster may answer a COMMIT with OK for a unit it refused. The units that end an order's
// wait check that their work is there and run again when it is not: a reply settles its order
// once, and an order the deposit guard refuses leaves the queue once.
TEST_F(SettlementTest, OnAClusterAUnitRefusedUnseenRunsAgainOnce) {
    struct Case {
        const char* reply;
        const char* status;
        qint64 deposit;
    };
    for (const Case& c :
         {Case{"SUKSES 0812111 SN:C1", "1", 100000 - 10500}, Case{"GAGAL 0812111", "0", 100000}}) {
        SCOPED_TRACE(c.reply);
        const qint64 id = Waiting("0812111");
        int refused = 0;
        RefuseCommitUnseen(Db(), "SELECT status FROM transaksi WHERE id = ? FOR UPDATE", refused);
        Reply(c.reply);
        Db().SetProbe({});
        EXPECT_EQ(refused, 1);
        EXPECT_EQ(Status({id}), c.status);
        EXPECT_EQ(Deposit("A"), c.deposit);
        EXPECT_EQ(Jobs().size(), 1);  // the reseller's message
        Query("DELETE FROM job_quenue");
        Query("UPDATE reseller SET deposit = 100000 WHERE kode_reseller = 'A'");
    }
    Query("UPDATE reseller SET deposit = 0 WHERE kode_reseller = 'A'");
    Rows("job_quenue",
         "datetime,kode_produk,tujuan,pesan,kode_reseller,hp_reseller,trx_id,terminal",
         {{NowStamp(), "S10", "0812222", "S10.0812222", "A", "0811", "H2#0#0", 5}});
    const std::optional<Job> job = W().jobs.GetQueue(5);
    ASSERT_TRUE(job);
    int refused = 0;
    RefuseCommitUnseen(Db(), "DELETE from job_quenue", refused);
    EXPECT_EQ(W().guards.Screen(*job), Guards::Verdict::RefusedDeposit);
    Db().SetProbe({});
    EXPECT_EQ(refused, 1);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM job_quenue WHERE id = ?", {job->id}), "0");
    EXPECT_EQ(Scalar("SELECT GROUP_CONCAT(status) FROM transaksi WHERE tujuan = '0812222'"), "0");
}

TEST_F(SettlementTest, StockFiguresReachTheRowsOfTheTerminal) {
    Rows("parsing", "kode_produk,terminal,harga_beli,method",
         {{"S20", 5, 9800, ""}, {"X5", 5, 5000, ""}});
    const auto stock = [&](const QString& figure) {
        W().settlementRows.KurangiStok("S10", 5, figure);
        return Column("SELECT dec_stok FROM parsing WHERE terminal = 5 ORDER BY id").join(',');
    };
    // every product of the terminal with the same purchase price gets the same figure
    EXPECT_EQ(stock("1.250"), "1250,1250,-1");
    EXPECT_EQ(Scalar("SELECT dec_stok FROM parsing WHERE terminal = 6"), "-1");
    EXPECT_EQ(stock(""), "1249,1249,-1");
    // a figure too large for the column is refused alone, in the log
    EXPECT_EQ(stock("99999999999"), "1249,1249,-1");
    EXPECT_EQ(LogLines("Terminal #5").filter("KurangiStok ").size(), 1);
    Query("UPDATE parsing SET method = 'RLV' WHERE id = 1");
    EXPECT_EQ(stock("30"), "30,-1,-1");
}

// What one order costs the database, routine by routine, from the queue to its settlement: a
// routine that reads more (or writes more) than before shows up here. The order is priced from
// a member chain, debited at order time, and sold on a terminal with a selling price.
TEST_F(SettlementTest, StatementsOfEachRoutineOfOneOrder) {
    Values().DebitAtOrder = 1;
    Values().LimitPending = 50;
    Settings().SaveSetting(Keys::kAppKzdSql, Keys::kSecSettings, "Pintar5", "1");
    Query("UPDATE parsing SET harga_jual = 10800, method = 'RLV'");
    Rows("reseller_log", "kode_reseller", {{"A"}});
    struct Case {
        bool chain;  // priced and rebated by the member chain A -> U, else by the group's row
        const char* reply;
        std::array<int, 5> statements;  // fetch, guards, price, hand-over, settlement
        qint64 deposit;                 // of A afterwards
        const char* status;
        int jobs;  // in the queue afterwards: the reseller's message, a re-routed order
    };
    const Case cases[] = {
        // the first hand-over also learns the size of transaksi.keterangan, once per connection
        {true, "SUKSES <n> SN:77 stok=5 saldo", {2, 9, 1, 6, 43}, 100000 - 10010, "1", 1},
        {true, "GAGAL <n>", {2, 9, 1, 5, 10}, 100000, "0", 1},
        {true, "stok tidak tersedia <n>", {2, 9, 1, 5, 24}, 100000, "0", 1},
        {false, "SUKSES <n> SN:78 stok=5 saldo", {2, 5, 1, 5, 30}, 100000 - 10500, "1", 1},
    };
    int serial = 0;
    for (const Case& c : cases) {
        const QString tujuan = QString("08129%1").arg(++serial);
        SCOPED_TRACE(c.reply);
        Query("UPDATE reseller SET deposit = 100000 WHERE kode_reseller = 'A'");
        Query("DELETE FROM job_quenue");
        Query("DELETE FROM harga_agen");
        if (c.chain)
            Rows("harga_agen", "kode_kelompok,kode_reseller,kode_produk,rebat",
                 {{"G", "A", "U", 10}});
        Rows("job_quenue",
             "datetime,kode_produk,tujuan,pesan,kode_reseller,hp_reseller,trx_id,"
             "terminal",
             {{NowStamp(), "S10", tujuan, "S10." + tujuan, "A", "0811", "H" + tujuan + "#0#0", 5}});
        QStringList sent;
        Db().SetProbe([&](const QString& point) {
            if (point != "COMMITTED") sent << point.simplified();
        });
        std::array<int, 5> counted{};
        const auto count = [&](int routine, const std::function<void()>& work) {
            sent.clear();
            const quint64 before = Db().StatementCount();
            work();
            counted[routine] = static_cast<int>(Db().StatementCount() - before);
            EXPECT_EQ(counted[routine], c.statements[routine]) << "routine " << routine << ":\n"
                                                               << sent.join('\n').toStdString();
        };
        std::optional<Job> job;
        count(0, [&] {
            job = W().jobs.GetQueue(5);
            W().waiting.CheckTable();
        });
        ASSERT_TRUE(job);
        count(1, [&] { EXPECT_EQ(W().guards.Screen(*job), Guards::Verdict::Pass); });
        // the deposit guard has priced the order: the waiting record reads only what it lacks
        const std::optional<MoneyGuards::Priced> priced = W().guards.PricedFor(job->id);
        ASSERT_TRUE(priced);
        WaitingOrder order;
        count(2, [&] {
            order = W().waiting.PricedWaiting(
                priced->reseller, priced->harga, priced->rebat, job->kodeReseller, job->hpReseller,
                job->kodeProduk, job->tujuan, job->LineGate16(), job->terminal, job->trxId);
        });
        // the upline's rebate inside the price
        EXPECT_EQ(order.row.kodeTransaksi, (c.chain ? "10#" : "20#") + job->trxId);
        // as the dispatch tick hands an order over
        count(3, [&] {
            Db().Transaction([&] {
                ASSERT_TRUE(W().jobs.DelQueue(job->id));
                W().messages.InsertToOutbox(job->tujuan, job->pesan, 1, job->terminal,
                                            job->kodeProduk, job->kodeReseller);
                W().waiting.WriteWaiting(order);
            });
        });
        count(4, [&] { Reply(QString(c.reply).replace("<n>", tujuan) + "."); });
        Db().SetProbe({});
        EXPECT_EQ(Deposit("A"), c.deposit);
        EXPECT_EQ(Status({order.id}), c.status);
        EXPECT_EQ(Jobs().size(), c.jobs);
        Query("DELETE FROM job_quenue");
    }
}
