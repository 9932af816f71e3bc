#include <QLocale>

#include "support/MoneyFixture.h"
#include "support/TestTools.h"

namespace {

class WaitingRecordTest : public MoneyTest {
  protected:
    void SetUp() override {
        MoneyTest::SetUp();
        Reseller("A", 3);
        Rows("produk", "kode_produk,harga_jual,harga_beli",
             {{"S10", 10500, 10000}, {"PLN?", 2000, 1500}});
        Kelompok("G", "S10", {10000, 10100, 10200, 0, 20, 30});
        Rows("parsing", "kode_produk,terminal,harga_jual,harga_beli", {{"S10", 5, 10600, 10050}});
    }
    QStringList Waiting() {
        return Column(
            "SELECT CONCAT_WS('|', kode_transaksi, kode_produk, tujuan, kode_reseller, "
            "hp_reseller, deposit_awal, deposit_akhir, harga_beli, harga_dasar, "
            "line_gate, terminal, status, keterangan) FROM transaksi ORDER BY id");
    }
};

}  // namespace

TEST_F(WaitingRecordTest, WaitingRowWithAndWithoutDebitAtOrder) {
    W().waiting.ExecuteMenunggu("A", "0811", "S10", "08123", 2, 5, "T77#x#5");
    W().waiting.ExecuteMenunggu("A", "0811", "-", "08123", 0, 5, "T78");  // messages: no row
    W().waiting.ExecuteMenunggu("A", "0811", "-r-", "08123", 0, 5, "T79");
    EXPECT_EQ(Deposit("A"), 100000);
    Values().DebitAtOrder = 1;
    W().waiting.ExecuteMenunggu("A", "0811", "S10", "08123", 0, 5, "T80");
    // an open amount ("?") rides in the order id's third field; no group price: the ordinary
    W().waiting.ExecuteMenunggu("A", "0811", "PLN?", "5432", 0, 5, "A#B#1500");
    EXPECT_EQ(Deposit("A"), 100000 - 10200 - 3500);
    EXPECT_EQ(W().prices.LastRebat, 0);
    EXPECT_EQ(Waiting(), (QStringList{
                             "50#T77#x#5|S10|08123|A|0811|100000|100000|10200|10050|2|5|2|"
                             "Transaksi (S10.08123) Status: MENUNGGU Dari RLV #5",
                             "50#T80|S10|08123|A|0811|100000|89800|10200|10050|0|5|2|"
                             "Transaksi (S10.08123) Status: MENUNGGU Dari RLV #5",
                             "0#A#B#1500|PLN?|5432|A|0811|89800|86300|3500|3000|0|5|2|"
                             "Transaksi (PLN?.5432) Status: MENUNGGU Dari RLV #5",
                         }));
    // the open amount is read as every amount text is: "1500.00" is 1500
    W().waiting.ExecuteMenunggu("A", "0811", "PLN?", "5433", 0, 5, "A#B#1500.00");
    EXPECT_EQ(Scalar("SELECT harga_beli FROM transaksi WHERE tujuan = '5433'"), "3500");
}

TEST_F(WaitingRecordTest, NoRowNoDebit) {
    Values().DebitAtOrder = 1;
    W().waiting.ExecuteMenunggu("NOBODY", "0899", "S10", "08123", 0, 5, "T1");
    // the row cannot be written (an order id too long for it): the debit is undone
    W().waiting.ExecuteMenunggu("A", "0811", "S10", "08123", 0, 5, QString(200, 'x'));
    EXPECT_EQ(Waiting(), QStringList{});
    EXPECT_EQ(Deposit("A"), 100000);
    EXPECT_EQ(LogLines("Terminal #5").size(), 2);
}

TEST_F(WaitingRecordTest, LowDepositWarningInsideTheTenThousandUnderTheLimit) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    Rows("configuration", "kode,parsing,level",
         {{"PeringatanLimitDeposit", "50000", 0},
          {"JawabanPeringatanLimitDeposit", "Sisa <deposit> per <datetime>", 2}});
    Rows("reseller_log", "kode_reseller,deposit_kredit", {{"K", 1000}});
    for (qint32 deposit : {39999, 40000, 50000, 50001, 40000})
        W().waiting.CekLimitDeposit("A", deposit, "0811");
    W().waiting.CekLimitDeposit("K", 45000, "0822");  // a credit allowance is never warned
    QLocale::setDefault(QLocale::system());
    const QString stamp = " per \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$";
    EXPECT_THAT(
        Column("SELECT CONCAT_WS('|', tujuan, terminal, pesan) FROM job_quenue ORDER BY id"),
        testing::ElementsAre(MatchesRe("^0811\\|0\\|Sisa 40,000" + stamp),
                             MatchesRe("^0811\\|0\\|Sisa 50,000" + stamp),
                             MatchesRe("^0811\\|0\\|Sisa 40,000" + stamp)));
}

TEST_F(WaitingRecordTest, ActivityLogFirstAndLaterRows) {
    W().waiting.UpdateResellerLog("A", "5");
    EXPECT_EQ(Scalar("SELECT CONCAT_WS('|', hit, datetime = pesan_terakhir, "
                     "datetime = realtimenow) FROM reseller_log"),
              "5|1|1");
    Query("UPDATE reseller_log SET datetime = NOW() - INTERVAL 3 DAY");
    W().waiting.UpdateResellerLog("A", "2");
    W().waiting.UpdateResellerLog("A", ")Pulsa 5rb");  // a product without points adds nothing
    EXPECT_EQ(Scalar("SELECT CONCAT_WS('|', hit, pesan_terakhir = CONCAT('<', realtimenow, "
                     "'>=[3]')) FROM reseller_log"),
              "7|1");

    // a missing table is created; an existing one is never replaced
    Query("DROP TABLE reseller_log");
    W().waiting.UpdateResellerLog("A", "4");
    Query("UPDATE reseller_log SET pesan_promo = 'promo'");
    W().waiting.CreateResellerLog();
    EXPECT_EQ(Scalar("SELECT CONCAT_WS('|', hit, pesan_promo) FROM reseller_log"), "4|promo");
}
