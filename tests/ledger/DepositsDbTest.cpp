// Two terminals moving the same reseller's deposit and crediting the same reseller's ledger at
// the same time, each on its own connection (one native, one ODBC) in its own thread.
#include "support/MoneyFixture.h"

using DepositsTest = MoneyTest;

TEST_F(DepositsTest, TwoTerminalsLoseNoMovementAndRepeatNoBalance) {
    constexpr int kRounds = 150;
    constexpr qint64 kStart = 5000000;
    Reseller("A", 3, "G", "D", kStart);
    Kelompok("G", "S10", {10000, 10100, 10200, 0, 20, 30});
    Rows("parsing", "kode_produk,terminal,harga_jual", {{"S10", 5, 10600}, {"S10", 6, 10600}});
    std::array<ProcessValues, 2> values;
    for (int i = 0; i < 2; ++i) {
        values[i].TerminalNo = qint16(5 + i);
        values[i].TerminalName = "Terminal #" + QString::number(5 + i);
        values[i].DebitAtOrder = 1;
    }
    const QStringList failures = Race(values, [](Workers& w, int i) {
        const qint16 terminal = qint16(5 + i);
        for (int k = 0; k < kRounds; ++k) {
            w.waiting.ExecuteMenunggu("A", "0811", "S10", "08123", 0, terminal,
                                      QString("T%1-%2").arg(terminal).arg(k));
            w.deposits.UpdateDeposit("A", 7, "+");
            w.ledger.InsertToRekening("10000001", 0, 3, "M", "rebat");
        }
    });
    ASSERT_EQ(failures, (QStringList{"", ""}));
    EXPECT_EQ(LogLines("Terminal #5") + LogLines("Terminal #6"), QStringList{});

    // every debit and every refund arrived
    EXPECT_EQ(Deposit("A"), kStart - 2 * kRounds * 10200 + 2 * kRounds * 7);
    // every waiting row records its own movement: its before and after are a debit apart,
    // and no two rows start from the same deposit
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM transaksi WHERE deposit_awal - harga_beli = "
                     "deposit_akhir AND harga_beli = 10200"),
              QString::number(2 * kRounds));
    EXPECT_EQ(Scalar("SELECT COUNT(DISTINCT deposit_awal) FROM transaksi"),
              QString::number(2 * kRounds));
    // every ledger balance is the one before it plus the credit
    const QStringList saldos = Column("SELECT saldo FROM rekening ORDER BY id");
    ASSERT_EQ(saldos.size(), 2 * kRounds);
    for (int i = 0; i < saldos.size(); ++i) ASSERT_EQ(saldos[i].toInt(), 3 * (i + 1)) << i;
}
