#include <memory>

#include "settlement/PromoAndNotices.h"
#include "store/ProgramFiles.h"
#include "store/SettingsKeys.h"
#include "support/MoneyFixture.h"
#include "support/TestTools.h"

namespace {

class PromoAndNoticesTest : public MoneyTest {
  protected:
    void SetUp() override {
        MoneyTest::SetUp();
        Values().DischargeList = QStringList{"7"};
        Values().PromoTemplate = Keys::kPromoDefault;
        Rows("reseller", "kode_reseller,nama_reseller,manual,deposit",
             {{"A", "Toko A", 0, 100000}, {"M", "Toko M", 1, 100000}, {"N", "Toko N", 0, 100000}});
    }
    QStringList Sent() {
        return Column("SELECT CONCAT_WS('|', tujuan, terminal, pesan) FROM job_quenue ORDER BY id");
    }
    QStringList Parsing() {
        return Column(
            "SELECT CONCAT_WS('|', kode_produk, terminal, active, dec_stok) FROM parsing "
            "ORDER BY id");
    }
    void Promo(const QString& tujuan, const QString& reseller) {
        Notices().FiturPromo(tujuan, "5)Pulsa 5rb", reseller, "ok sn=123abc selesai.", "5", "0811");
    }

    PromoAndNotices& Notices() { return W().promo; }
};

}  // namespace

TEST_F(PromoAndNoticesTest, PersonalPromoGoesToTheCapturedAddressAndIsCharged) {
    Rows("reseller_log", "kode_reseller,pesan_promo,biaya",
         {{"A", "Makasih <tujuan> <namaagen> <kodeagen> <hpreseller> sn <sn>", 250},
          {"N", "off", 0}});
    Rows("e2e_queue", "msisdn,pesan,terminal,trx_id", {{"0812", "5000", 5, "cust@x"}});
    Promo("0812", "A");
    Promo("0813", "N");  // only the upper-case mark switches it off
    EXPECT_EQ(Sent(), (QStringList{"cust@x|7|Makasih 0812 Toko A A 0811 sn 123abc", "0813|7|off"}));
    EXPECT_EQ(Deposit("A"), 100000 - 250);
    EXPECT_EQ(Column("SELECT CONCAT_WS('|', kode_reseller, harga_beli, keterangan) FROM transaksi"),
              QStringList{"A|250|Biaya Administrasi Pesan Promo Pribadi"});
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM e2e_queue"), "1");  // kept for the settlement
}

TEST_F(PromoAndNoticesTest, GeneralPromoNeedsAktivOrACaptureAndAManualReseller) {
    Values().DischargeList.clear();                  // no discharge terminal: the host picks one
    Rows("reseller_log", "kode_reseller", {{"M"}});  // "OFF": the general rules apply
    Rows("e2e_queue", "msisdn,pesan,terminal,trx_id", {{"0815", "5000", 5, "cust@y"}});
    Promo("0812", "M");  // off and nothing captured
    Values().PromoOn = true;
    Promo("0813", "N");  // not manual
    Promo("0814", "M");
    Values().PromoOn = false;
    Promo("0815", "M");  // a capture alone is enough
    Promo("0815", "N");
    const QString text =
        "Terima Kasih Anda telah berhasil mengisi pulsa 5)Pulsa 5rbdi toko Toko M. Sering isi "
        "pulsa terus ya..";
    EXPECT_EQ(Sent(), (QStringList{"0814|0|" + text, "cust@y|0|" + text}));
    EXPECT_EQ(Deposit("M"), 100000);
}

TEST_F(PromoAndNoticesTest, EveryMatchingRuleForwardsOnceAndAnEmptyKeyAlwaysMatches) {
    Values().ModulRules = "saldo%|%gangguan%|%";
    Notices().KirimPesanAdm("Terminal #5 Saldo habis, GANGGUAN.", "0899", true);
    Notices().KirimPesanAdm("Terminal #5 ok.", "0899", true);
    Values().ModulRules = "|x%|%";
    Notices().KirimPesanAdm("Terminal #5 ok.", "0899", false);
    EXPECT_EQ(Sent(),
              (QStringList{"0899|0|Terminal #5 Saldo habis, GANGGUAN.",
                           "0899|0|Terminal #5 Saldo habis, GANGGUAN.", "0899|0|Terminal #5 ok."}));
    EXPECT_EQ(LogLines("Terminal #5").size(), 3);
}

TEST_F(PromoAndNoticesTest, SwitchRulesActOnThisTerminalForOwnSuppliersOnly) {
    Rows("parsing", "kode_produk,terminal,active,dec_stok",
         {{"P1", 5, "1", 10}, {"P2", 5, "1", 10}, {"P1", 6, "1", 10}, {"P3", 5, "1", 10}});
    WriteFile(Util().ProgramFile(Keys::kModulTxt),
              "Gangguan|P1;P2|OFF\r\n\r\npulih|P1;P2|on\r\nx|P3' or ''='|off\r\n");
    Values().ModulRules = ProgramFiles::ReadModulRules(Util());

    Notices().KirimPesanAdm("Terminal #5 gangguan x.", "0899", false);  // a stranger: forwarded
    EXPECT_EQ(Sent().size(), 2);
    Notices().KirimPesanAdm("Terminal #5 gangguan x.", "0899", true);
    EXPECT_EQ(Parsing(), (QStringList{"P1|5|0|-1", "P2|5|0|-1", "P1|6|1|10", "P3|5|1|10"}));
    EXPECT_EQ(Sent().size(), 2);
    Notices().KirimPesanAdm("Terminal #5 pulih.", "0899", true);
    EXPECT_EQ(Parsing(), (QStringList{"P1|5|1|-1", "P2|5|1|-1", "P1|6|1|10", "P3|5|1|10"}));

    // a line end that reaches the rule does not belong to the switch
    Values().ModulRules = "down|p3|off\r%|%";
    Notices().KirimPesanAdm("Terminal #5 down.", "0899", true);
    EXPECT_EQ(Parsing().last(), "P3|5|0|-1");
}
