// A running terminal on the private servers stops orders before they reach the supplier: one
// the reseller cannot pay is refused and settled as a failure, one that finds the terminal at
// its pending limit is queued again for the other terminal.
#include <QLocale>
#include <QRegularExpression>

#include "store/SettingsKeys.h"
#include "store/Stamps.h"
#include "support/TerminalFixture.h"

namespace {

class GuardsE2eTest : public TerminalTest {
  protected:
    void SetUp() override {
        TerminalTest::SetUp();
        if (HasFatalFailure()) return;
        Prepare(13);
        Insert(
            "reseller",
            {{"kode_reseller", "POOR"}, {"level", 3}, {"kode_kelompok", "G"}, {"deposit", 10000}});
        Insert(
            "reseller",
            {{"kode_reseller", "RICH"}, {"level", 3}, {"kode_kelompok", "G"}, {"deposit", 500000}});
        Insert("kelompok", {{"kode_kelompok", "G"}, {"kode_produk", "S10"}, {"harga", 10500}});
        for (int terminal : {13, 14})
            Insert("parsing", {{"kode_produk", "S10"},
                               {"terminal", terminal},
                               {"harga_jual", 10600},
                               {"cmd", "S10.<tujuan>.<trxid>"}});
        SaveSetting(Keys::kAppNxEngine, "Terminal #13", Keys::kLimitPending, "1");
        QLocale::setDefault(QLocale::c());
        ASSERT_TRUE(Start());
        ASSERT_TRUE(WaitOnline());
    }

    void Order(const QString& reseller, const QString& tujuan, const QString& trxId) {
        Insert("job_quenue", {{"datetime", NowStamp()},
                              {"kode_produk", "S10"},
                              {"tujuan", tujuan},
                              {"pesan", "S10." + tujuan},
                              {"kode_reseller", reseller},
                              {"hp_reseller", "0819"},
                              {"trx_id", trxId + "#0#0"},
                              {"terminal", 13}});
    }
    bool Left(const QString& tujuan) {
        return WaitUntil([&] {
            return Scalar("SELECT COUNT(*) FROM job_quenue WHERE terminal = 13 AND tujuan = ?",
                          {tujuan}) == "0";
        });
    }
};

}  // namespace

TEST_F(GuardsE2eTest, UnpaidOrderIsRefusedAndAnOrderOverThePendingLimitMovesOn) {
    Order("POOR", "0812111", "H1");
    ASSERT_TRUE(Left("0812111"));
    EXPECT_EQ(Scalar("SELECT CONCAT_WS('|', status, tujuan) FROM transaksi"), "0|0812111");
    EXPECT_EQ(Scalar("SELECT deposit FROM reseller WHERE kode_reseller = 'POOR'"), "10000");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM outbox"), "0");
    const QStringList told =
        Lines().filter(QRegularExpression("^S10.0812111 Deposit POOR: Tidak Cukup$"));
    EXPECT_EQ(told.size(), 1) << Lines().join('\n').toStdString();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM job_quenue WHERE tujuan = '0819' AND pesan LIKE "
                     "'Total TRX Pending {Rp.10500 Limit Rp.100}, {SALDO Rp.10000}%'"),
              "1");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM job_quenue WHERE tujuan = '0819' AND pesan LIKE "
                     "'%GAGAL S10 0812111 SN.(h1) Saldo Rp.10,000%'"),
              "1");

    // one order of today still waits on this terminal: the limit of 1 is reached
    Insert("transaksi", {{"datetime_transaksi", NowStamp()}, {"status", "2"}, {"terminal", 13}});
    Order("RICH", "0812222", "H2");
    ASSERT_TRUE(Left("0812222"));
    EXPECT_EQ(Scalar("SELECT CONCAT_WS('|', terminal, pesan, trx_id) FROM job_quenue WHERE "
                     "tujuan = '0812222'"),
              "14|S10.0812222.H2|H2#0#0");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM outbox"), "0");
    EXPECT_EQ(Scalar("SELECT GROUP_CONCAT(active) FROM parsing"), "1,1");
}
