// Two terminals moving the same reseller's deposit and crediting the same reseller's ledger at
// the same time, each on its own connection (one native, one ODBC) in its own thread.
#include <atomic>
#include <thread>

#include "ledger/MoneyFixture.h"

namespace {

using MoneyConcurrencyTest = MoneyTest;

constexpr int kRounds = 150;
constexpr qint64 kStart = 5000000;

}  // namespace

TEST_F(MoneyConcurrencyTest, TwoTerminalsLoseNoMovementAndRepeatNoBalance) {
    Reseller("A", 3, "G", "D", kStart);
    Kelompok("G", "S10", {10000, 10100, 10200, 0, 20, 30});
    Rows("parsing", "kode_produk,terminal,harga_jual", {{"S10", 5, 10600}, {"S10", 6, 10600}});
    std::atomic<int> ready{0};

    const auto terminal = [&](const QString& driver, qint16 number, QString* failure) {
        try {
            UtilityComponent util(Home(), &Settings());
            Database db(&util, "race-" + QString::number(number));
            if (!db.Open(TargetFor(driver))) throw RelvaneError(db.LastOpenError());
            ProcessValues values;
            values.TerminalName = "Terminal #" + QString::number(number);
            values.TerminalNo = number;
            values.DebitAtOrder = 1;
            Output out;
            Workers w(Context{db, util, Settings(), values}, out);
            ++ready;
            while (ready.load() < 2) std::this_thread::yield();
            for (int i = 0; i < kRounds; ++i) {
                w.waiting.ExecuteMenunggu("A", "0811", "S10", "08123", 0, number,
                                          QString("T%1-%2").arg(number).arg(i));
                w.deposits.UpdateDeposit("A", 7, "+");
                w.ledger.InsertToRekening("10000001", 0, 3, "M", "rebat");
            }
        } catch (const std::exception& e) {
            *failure = Describe(e);
        }
    };
    QString failureA, failureB;
    std::thread a(terminal, QStringLiteral("QMYSQL"), qint16{5}, &failureA);
    std::thread b(terminal, OdbcDriver(), qint16{6}, &failureB);
    a.join();
    b.join();
    ASSERT_EQ(failureA, "");
    ASSERT_EQ(failureB, "");
    EXPECT_EQ(LogLines("Terminal #5"), QStringList{});
    EXPECT_EQ(LogLines("Terminal #6"), QStringList{});

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
