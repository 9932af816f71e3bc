#include "settlement/PriceUpdate.h"
#include "store/SettingsKeys.h"
#include "support/MoneyFixture.h"

namespace {

class PriceUpdateTest : public MoneyTest {
  protected:
    void SetUp() override {
        MoneyTest::SetUp();
        Rows("produk", "kode_produk,harga_jual", {{"S10", 10000}, {"PLN?", 2000}});
    }
    // The product on terminal 5 with its mode and markup; a waiting transaction for it.
    void Product(const QString& produk, int selisih, const QString& reply = "200") {
        Rows("parsing", "kode_produk,terminal,selisih,reply,harga_beli,harga_jual",
             {{produk, 5, selisih, reply, 9000, 11000}});
        Rows("transaksi", "id,kode_produk,harga_dasar", {{1, produk, "0"}});
    }
    QString Terminal() { return Scalar("SELECT CONCAT(harga_beli, '/', harga_jual) FROM parsing"); }
    QString HargaDasar() { return Scalar("SELECT harga_dasar FROM transaksi WHERE id = 1"); }
};

}  // namespace

TEST_F(PriceUpdateTest, PlausiblePricesOnlyAndMarkupModesKeepTheirPrices) {
    Product("S10", 5);
    PriceUpdate& p = W().priceUpdate;
    p.SetUpHarga("harga (100)", "S10", "5", "1");  // 100 and less is no price
    EXPECT_EQ(Terminal(), "9000/11000");
    p.SetUpHarga("harga (101)", "S10", "5", "1");
    EXPECT_EQ(Terminal(), "101/10000");
    p.SetUpHarga("harga (10.200) lalu (99)", "S10", "5", "1");  // after the first "("
    EXPECT_EQ(Terminal(), "10200/10205");
    p.SetNormalkanHrgParsing("S10", "5");  // mode 5 keeps the adopted prices
    EXPECT_EQ(Terminal(), "10200/10205");
    // a price text the columns cannot take as it is: its whole number goes in
    p.SetUpHarga("harga (10300 rb)", "S10", "5", "1");
    EXPECT_EQ(Terminal(), "10300/10305");
    EXPECT_EQ(HargaDasar(), "10300");
}

TEST_F(PriceUpdateTest, ModeTwoRecordsTheBasePriceOfOpenAmountsOnly) {
    Product("PLN?", 2);
    PriceUpdate& p = W().priceUpdate;
    p.SetUpHarga("token (152.500) ok", "PLN?", "5", "1");
    EXPECT_EQ(HargaDasar(), "152500");
    EXPECT_EQ(Terminal(), "9000/11000");
    p.SetUpHarga("token tanpa harga", "PLN?", "5", "1");  // no end marker at all
    EXPECT_EQ(HargaDasar(), "N/A");

    // a fixed-price product: nothing at all
    Rows("parsing", "kode_produk,terminal,selisih", {{"S10", 5, 2}});
    Rows("transaksi", "id,kode_produk,harga_dasar", {{2, "S10", "7"}});
    p.SetUpHarga("harga (9.850)", "S10", "5", "2");
    EXPECT_EQ(Scalar("SELECT harga_dasar FROM transaksi WHERE id = 2"), "7");
}

TEST_F(PriceUpdateTest, PriceReadingsByMarkers) {
    PriceUpdate& p = W().priceUpdate;
    EXPECT_EQ(p.GetHrgDariBalasan("Harga (1.234,00) ok", "5"), "123400");
    // the first word moves the start past the only "(": no ")" after it, so not found
    EXPECT_EQ(p.GetHrgDariBalasan("harga (9850 saldo 5000", "5"), "N/A");
    EXPECT_EQ(p.GetHrgCadangan("x (9.850) y"), "9850");
    EXPECT_EQ(p.GetHrgCadangan("panjang sekali (9.850 ) y"), "9850");
    EXPECT_EQ(p.GetHrgCadangan("no marker"), "N/A");

    // list mode: the first pair that captures anything
    Settings().SaveSetting(Keys::kAppKzdSql, Keys::kSecSettings, "SNAwalGetHrgProduk6",
                           "hrg.;harga:");
    Settings().SaveSetting(Keys::kAppKzdSql, Keys::kSecSettings, "SNAkhirGetHrgProduk6", " ; ");
    PriceUpdate list(Ctx(), W().prices);
    EXPECT_EQ(list.GetHrgDariBalasan("sukses harga:12.500 sn 9", "6"), "12500");
    EXPECT_EQ(list.GetHrgDariBalasan("sukses hrgx12 sn 9", "6"), "");
}

TEST_F(PriceUpdateTest, AdoptedPricesWithTheirMarkupLastOnlyUntilTheSameSettlementResets) {
    PriceUpdate& p = W().priceUpdate;
    struct Case {
        QString produk;
        int mode;
        QString reply;
        QString adopted;  // the terminal's prices during the settlement
        QString after;    // and once it is over
    };
    // one instance for all: nothing carries over from one settlement to the next
    const QList<Case> cases = {
        {"S10", 1, "sukses (9.850)", "9850/10050", "10000/10000"},
        // below the ordinary price the selling price is the ordinary price
        {"S10", 1, "sukses (9.500)", "9500/10000", "10000/10000"},
        {"S10", -1, "sukses (9.850)", "9850/10050", "10000/10000"},
        {"S10", 2, "sukses (9.850)", "9000/11000", "9000/11000"},  // a fixed price: nothing
        {"PLN?", 2, "sukses (152.500)", "9000/11000", "9000/11000"},
        {"S10", 1, "sukses tanpa harga", "9000/11000", "9000/11000"},  // nothing to put back
        {"X1", 1, "sukses (9.850)", "9850/10050", "9000/11000"},       // no ordinary price: never 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.produk + " " + c.reply).toStdString() + " mode " + std::to_string(c.mode));
        Query("DELETE FROM parsing");
        Rows("parsing", "kode_produk,terminal,selisih,reply,harga_beli,harga_jual",
             {{c.produk, 5, c.mode, "200", 9000, 11000}});
        p.SetUpHarga(c.reply, c.produk, "5", "1");
        EXPECT_EQ(Terminal(), c.adopted);
        p.SetNormalkanHrgParsing(c.produk, "5");
        EXPECT_EQ(Terminal(), c.after);
    }
}
