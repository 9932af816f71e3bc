// A running terminal on the private servers stops an order that finds the terminal at its
// pending limit (read from the settings at start-up) before it reaches the supplier, and queues
// it again for the other terminal.
#include <QLocale>

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
        Rows("reseller", "kode_reseller,level,kode_kelompok,deposit", {{"RICH", 3, "G", 500000}});
        Rows("kelompok", "kode_kelompok,kode_produk,harga", {{"G", "S10", 10500}});
        Rows("parsing", "kode_produk,terminal,harga_jual,cmd",
             {{"S10", 13, 10600, "S10.<tujuan>.<trxid>"},
              {"S10", 14, 10600, "S10.<tujuan>.<trxid>"}});
        SaveSetting(Keys::kAppNxEngine, "Terminal #13", Keys::kLimitPending, "1");
        QLocale::setDefault(QLocale::c());
        ASSERT_TRUE(Start());
        ASSERT_TRUE(WaitOnline());
    }

    void Order(const QString& tujuan, const QString& trxId) {
        Rows("job_quenue",
             "datetime,kode_produk,tujuan,pesan,kode_reseller,hp_reseller,trx_id,terminal",
             {{NowStamp(), "S10", tujuan, "S10." + tujuan, "RICH", "0819", trxId + "#0#0", 13}});
    }
    bool Left(const QString& tujuan) {
        return WaitUntil([&] {
            return Scalar("SELECT COUNT(*) FROM job_quenue WHERE terminal = 13 AND tujuan = ?",
                          {tujuan}) == "0";
        });
    }
};

}  // namespace

TEST_F(GuardsE2eTest, AnOrderOverThePendingLimitMovesOnToTheOtherTerminal) {
    // one order of today still waits on this terminal: the limit of 1 is reached
    Insert("transaksi", {{"datetime_transaksi", NowStamp()}, {"status", "2"}, {"terminal", 13}});
    Order("0812222", "H2");
    ASSERT_TRUE(Left("0812222"));
    EXPECT_EQ(Scalar("SELECT CONCAT_WS('|', terminal, pesan, trx_id) FROM job_quenue WHERE "
                     "tujuan = '0812222'"),
              "14|S10.0812222.H2|H2#0#0#1/13");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM outbox"), "0");
    EXPECT_EQ(Scalar("SELECT GROUP_CONCAT(active) FROM parsing"), "1,1");
}
