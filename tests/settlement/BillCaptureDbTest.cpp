#include "settlement/BillCapture.h"
#include "store/Output.h"
#include "support/MoneyFixture.h"

namespace {

class BillCaptureTest : public MoneyTest {
  protected:
    void SetUp() override {
        MoneyTest::SetUp();
        QObject::connect(&Out(), &Output::Line, [this](const QString& label, const QString& text) {
            lines.append(Output::LineText(label, text));
        });
        for (auto [key, value] : {std::pair{"SNAwalIdx #5", "ref:"},
                                  {"SNAkhirIdx #5", " "},
                                  {"SNAwalIDPLN #5", "id:;idpel:"},
                                  {"SNAkhirIDPLN #5", " ; "},
                                  {"SNAwalHrg #5", "tagihan:"},
                                  {"SNAkhirHrg #5", " "}})
            Marker(key, value);
    }
    void Marker(const QString& key, const QString& value) {
        Settings().SaveSetting("kzd_sql", "Settings", key, value);
    }
    void Row(const QString& msisdn, const QString& pesan, int terminal, const QString& trxId) {
        Rows("e2e_queue", "msisdn,pesan,terminal,trx_id", {{msisdn, pesan, terminal, trxId}});
    }
    QStringList Captured() {
        return Column(
            "SELECT CONCAT_WS('|', msisdn, pesan, terminal, trx_id) FROM e2e_queue "
            "ORDER BY id");
    }

    QStringList lines;
};

}  // namespace

TEST_F(BillCaptureTest, FirstMarkerPairFoundWinsAndTheDestinationsRowsAreReplaced) {
    Row("other", "5000", 5, "1");  // another destination's capture stays
    Row("0811", "7000", 5, "2");
    Row("x", "8000", 5, "0811");
    W().bills.GetHrgPPOB("pembayaran berhasil idpel:5432101 tagihan:125.000 ref:77 ok.", "9",
                         "0811");
    EXPECT_EQ(lines, (QStringList{"Index>0: 77", "ID>1: 5432101", "Harga>0: 125.000"}));
    EXPECT_EQ(Captured(), (QStringList{"other|5000|5|1", "5432101|125000|9|77"}));

    // the first pair of the list, wherever the other one stands in the reply
    W().bills.GetHrgPPOB("payment idpel:222 id:111 tagihan:1,500 ref:8 ", "9", "5432101");
    EXPECT_EQ(Captured(), (QStringList{"other|5000|5|1", "111|1500|9|8"}));

    // an amount of 0 or no customer ID: the destination's rows go, none is written
    W().bills.GetHrgPPOB("tagihan:0 id:111 ref:8 ", "9", "111");
    W().bills.GetHrgPPOB("tagihan:0.000 id:1 ref:9 ", "9", "other");
    W().bills.GetHrgPPOB("tagihan:900 ref:10 ", "9", "x");
    EXPECT_EQ(Captured(), QStringList{});

    // texts longer than their columns are cut, not refused
    W().bills.GetHrgPPOB("tagihan:100 id:" + QString(150, 'a') + " ref:" + QString(80, '7') + " ",
                         "5", "0811");
    EXPECT_EQ(Captured(), QStringList{QString(100, 'a') + "|100|5|" + QString(50, '7')});
}

TEST_F(BillCaptureTest, SwitchedOffNotABillReplyOrBrokenMarkersTouchNothing) {
    Row("0811", "7000", 5, "2");
    Marker("SNKataKunci #5", "lunas");
    W().bills.GetHrgPPOB("berhasil id:1 tagihan:100 ref:1 ", "5", "0811");
    Marker("SNKataKunci #5", "lunas;berhasil");
    Marker("SNAwalHrg #5", "");
    W().bills.GetHrgPPOB("berhasil id:1 tagihan:100 ref:1 ", "5", "0811");
    EXPECT_EQ(lines, QStringList{});

    // a start marker without its end marker: logged, the old row stays
    Marker("SNAwalHrg #5", "tagihan:");
    Marker("SNAkhirIDPLN #5", " ");
    W().bills.GetHrgPPOB("berhasil idpel:1 tagihan:100 ref:1 ", "5", "0811");
    EXPECT_EQ(Captured(), QStringList{"0811|7000|5|2"});
    const QStringList log = LogLines("Terminal #5");
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].contains(
        " GetHrgPPOB INDEX:1 IDPLN: Harga: Text:berhasil idpel:1 tagihan:100 ref:1  ["));
}

TEST_F(BillCaptureTest, BillAmountAndCustomerIdLookups) {
    Row("0811", "5000", 0, "1");  // terminal 0: not found by the customer ID
    EXPECT_EQ(W().bills.GetHrgPLN("0811"), 0);
    Row("x", "6000", 0, "0811");  // ... but by the index whatever the terminal
    EXPECT_EQ(W().bills.GetHrgPLN("0811"), 6000);
    Row("AbC", "7000", 5, "0811");  // the newest row wins
    EXPECT_EQ(W().bills.GetHrgPLN("0811"), 7000);
    EXPECT_EQ(W().bills.GetMsisdnE2E("0811"), "abc");
    EXPECT_EQ(W().bills.GetMsisdnE2E("3"), "NC:NC:NC");
}
