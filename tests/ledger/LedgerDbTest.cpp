#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>

#include "support/MoneyFixture.h"

using LedgerTest = MoneyTest;

TEST_F(LedgerTest, BalanceIsCarriedForwardPerReseller) {
    Rows("rekening", "kode_reseller,saldo", {{"N", -100}});
    W().ledger.InsertToRekening("10000001", 0, 500, "M", "satu");
    W().ledger.InsertToRekening("10000001", 0, 100, "N", "dua");
    W().ledger.InsertToRekening("10000001", 0, 250, "M", "tiga");
    W().ledger.InsertToRekening("10000001", 0, 2147483647, "M", "empat");  // beyond 32 bits
    W().ledger.InsertToRekening("10000001", 0, 5, "M", "lima");  // from the latest, not the first
    EXPECT_EQ(Column("SELECT CONCAT(kode_reseller, saldo) FROM rekening ORDER BY id"),
              (QStringList{"N-100", "M500", "N0", "M750", "M755"}));
    EXPECT_EQ(LogLines("Terminal #5").filter("Uraian:empat [overflow]").size(), 1);
}

TEST_F(LedgerTest, DuplicateKeyMovesTheCounterAndTheEntryIsWrittenOnce) {
    // The host's rows can hold the id the counter hands out next; this trigger makes the next
    // insert on the connection take a used id once, as that would.
    QSqlQuery trigger(QSqlDatabase::database("fixture-direct"));
    ASSERT_TRUE(
        trigger.exec("CREATE TRIGGER taken_id BEFORE INSERT ON rekening FOR EACH ROW "
                     "BEGIN IF @taken_id IS NOT NULL THEN SET NEW.id = @taken_id; "
                     "SET @taken_id = NULL; END IF; END"))
        << trigger.lastError().text().toStdString();
    Rows("rekening", "id,kode_reseller,saldo", {{40, "M", 100}});
    QSignalSpy monitor(&W().ledger, &Ledger::MonitorRecord);
    EXPECT_EQ(W().ledger.GetAutoIncrement(), 41);  // this database's table, not another's

    Db().Exec("SET @taken_id = 40");
    W().ledger.InsertToRekening("10000001", 0, 25, "M", "rebat");
    EXPECT_EQ(Column("SELECT CONCAT(id, '=', saldo) FROM rekening ORDER BY id"),
              (QStringList{"40=100", "51=125"}));
    // the collision is logged and shown on the monitor
    const QStringList log = LogLines("Terminal #5");
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].endsWith("duplicate entry '40' for key 'primary']")) << log[0].toStdString();
    ASSERT_EQ(monitor.count(), 1);
    EXPECT_EQ(monitor[0][0].toString(), "Terminal #5 " + log[0].mid(20));
}

TEST_F(LedgerTest, FeeIsChargedAndRecordedTogether) {
    Reseller("R", 3, "G", "", 1000);
    Rows("configuration", "kode,biaya", {{"TransaksiMasuk", 2500}});
    W().ledger.Biaya("R", 0, "TransaksiMasuk");
    W().ledger.Biaya("R", 0, "Tidak Ada");               // no fee stored
    W().ledger.Biaya("R", -300, "Pesan Promo Pribadi");  // a negative fee
    W().ledger.Biaya("NOBODY", 700, "Pesan Promo Pribadi");
    EXPECT_EQ(Deposit("R"), -1500);
    const QString columns =
        "CONCAT_WS('|', kode_transaksi, kode_produk, tujuan, kode_reseller, "
        "hp_reseller, deposit_awal, deposit_akhir, harga_beli, harga_dasar, "
        "line_gate, terminal, status, keterangan)";
    EXPECT_EQ(Column("SELECT " + columns + " FROM transaksi ORDER BY id"),
              (QStringList{"1-cost|-|-|R|-|1000|-1500|2500|0|0|5|1|Biaya Administrasi "
                           "TransaksiMasuk",
                           "1-cost|-|-|NOBODY|-|0|-700|700|0|0|5|1|Biaya Administrasi Pesan "
                           "Promo Pribadi"}));

    // a fee whose record cannot be written is not charged either
    Query("RENAME TABLE transaksi TO transaksi_away");
    W().ledger.Biaya("R", 100, "Pesan Promo Pribadi");
    Query("RENAME TABLE transaksi_away TO transaksi");
    EXPECT_EQ(Deposit("R"), -1500);
    EXPECT_EQ(LogLines("Terminal #5").filter("(-1500-100=-1600)").size(), 1);
    // nor one that would take the deposit out of the 32-bit range
    Query("UPDATE reseller SET deposit = -2147483000");
    W().ledger.Biaya("R", 1000, "Pesan Promo Pribadi");
    EXPECT_EQ(Deposit("R"), -2147483000);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM transaksi"), "2");
}
