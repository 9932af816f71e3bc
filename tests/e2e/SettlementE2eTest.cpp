// A running terminal on the private servers: an order goes out to the supplier's chat account,
// the supplier answers, and the database shows the order settled, or re-routed to the other
// terminal.
#include <QLocale>

#include "FakeSupplier.h"
#include "store/SettingsKeys.h"
#include "store/Stamps.h"
#include "support/TerminalFixture.h"

namespace {

class SettlementE2eTest : public TerminalTest {
  protected:
    void SetUp() override {
        TerminalTest::SetUp();
        if (HasFatalFailure()) return;
        Prepare(7);
        Rows("reseller", "kode_reseller,level,kode_kelompok,kode_upline,deposit",
             {{"U", 2, "G"}, {"R1", 3, "G", "U", 100000}});
        Rows("produk", "kode_produk,nama_produk,poin", {{"S10", "Pulsa 10rb", 1}});
        Rows("kelompok", "kode_kelompok,kode_produk,harga,rebat", {{"G", "S10", 10500, 25}});
        Rows("configuration", "kode,parsing,level",
             {{"Pisahkan rebat Paket Harga dari penambahan deposit langsung", "1", 11}});
        Rows(
            "parsing", "kode_produk,terminal,harga_jual,cmd",
            {{"S10", 7, 10600, "S10.<tujuan>.<trxid>"}, {"S10", 8, 10600, "S10.<tujuan>.<trxid>"}});
        Rows("balasan", "katakunci,balasan,jenis",
             {{"sukses", "<namaproduk> <tujuan> SN:<sn> saldo <deposit>", "OKE"},
              {"gagal", "GAGAL <tujuan>", "ERROR"}});
        SaveSetting(Keys::kAppKzdSql, Keys::kSecSettings, "Pintar7", "1");
        SaveSetting(Keys::kAppKzdSql, Keys::kSecSettings, "SNAwalStok #7", "stok:");
        SaveSetting(Keys::kAppKzdSql, Keys::kSecSettings, "SNAkhirStok #7", " ");
        QLocale::setDefault(QLocale::c());  // amounts grouped with ","
        supplier = std::make_unique<FakeSupplier>(Supplier(), XmppPeer::Password(), "127.0.0.1",
                                                  XmppPeer::Port().toInt());
        supplier->Start();
        ASSERT_TRUE(WaitUntil([this] { return supplier->IsOnline(); }));
        ASSERT_TRUE(Start());
        ASSERT_TRUE(WaitOnline());
    }

    void Order(const QString& tujuan, const QString& trxId) {
        Rows("job_quenue",
             "datetime,kode_produk,tujuan,pesan,kode_reseller,hp_reseller,trx_id,terminal",
             {{NowStamp(), "S10", tujuan, "S10." + tujuan + "." + trxId, "R1", "0811",
               trxId + "#0#0", 7}});
    }
    bool Settled(const QString& tujuan) {
        return WaitUntil([&] {
            const QString status = Scalar(
                "SELECT status FROM transaksi WHERE tujuan = ? ORDER BY id LIMIT 1", {tujuan});
            return !status.isEmpty() && status != "2";
        });
    }

    std::unique_ptr<FakeSupplier> supplier;
};

}  // namespace

TEST_F(SettlementE2eTest, ASuccessReplySettlesTheOrderAndAFailureMovesItToTheOtherTerminal) {
    Order("0812111", "H1");
    ASSERT_TRUE(Settled("0812111"));
    EXPECT_EQ(Scalar("SELECT CONCAT_WS('|', status, deposit_awal, deposit_akhir, harga_beli, sn, "
                     "stok) FROM transaksi"),
              "1|100000|89500|10500|00000001|999");
    EXPECT_EQ(Scalar("SELECT deposit FROM reseller WHERE kode_reseller = 'R1'"), "89500");
    EXPECT_EQ(Scalar("SELECT CONCAT_WS('|', kode_reseller, kredit, saldo) FROM rekening"),
              "U|25|25");
    EXPECT_EQ(Scalar("SELECT CONCAT_WS('|', tujuan, kode_reseller, pesan) FROM job_quenue"),
              "0811|ADMIN|1)Pulsa 10rb 0812111 SN:00000001 saldo 89,500");

    supplier->SetFailEvery(1);
    Order("0812222", "H2");
    ASSERT_TRUE(Settled("0812222"));
    EXPECT_EQ(Scalar("SELECT status FROM transaksi WHERE tujuan = '0812222'"), "0");
    EXPECT_EQ(Scalar("SELECT deposit FROM reseller WHERE kode_reseller = 'R1'"), "89500");
    EXPECT_EQ(Scalar("SELECT CONCAT_WS('|', terminal, pesan, trx_id) FROM job_quenue WHERE "
                     "tujuan = '0812222'"),
              "8|S10.0812222.H2|H2#0#0");
    EXPECT_EQ(Scalar("SELECT active FROM parsing WHERE terminal = 7"), "1");
}
