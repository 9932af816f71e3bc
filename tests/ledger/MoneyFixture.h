#pragma once

#include "dispatch/Workers.h"
#include "support/DbFixture.h"

// Resellers, products and price groups for the money tests. Terminal 5 is this instance's.
class MoneyTest : public DbTest {
  protected:
    void Reseller(const QString& kode, int level, const QString& kelompok = "G",
                  const QString& upline = "", qint64 deposit = 100000) {
        Rows("reseller", "kode_reseller,level,kode_kelompok,kode_upline,deposit",
             {{kode, level, kelompok, upline, deposit}});
    }
    // Prices master, dealer, agent, then rebates master, dealer, agent.
    void Kelompok(const QString& kelompok, const QString& produk, const QVariantList& v) {
        Rows("kelompok",
             "kode_kelompok,kode_produk,harga_master,harga_dealer,harga,rebat_master,"
             "rebat_dealer,rebat",
             {QVariantList{kelompok, produk} + v});
    }
    // `member` earns `rebat` on every sale of `reseller` in the group's chain.
    void Chain(const QString& reseller, const QString& member, qint64 rebat) {
        Rows("harga_agen", "kode_kelompok,kode_reseller,kode_produk,rebat",
             {{"G", reseller, member, rebat}});
    }
    qint64 Deposit(const QString& kode) {
        return Scalar("SELECT deposit FROM reseller WHERE kode_reseller = ?", {kode}).toLongLong();
    }
    // Every row inserted into the table is refused from now on (the trigger "refuse").
    void Refuse(const QString& table) {
        Query(QString("CREATE TRIGGER refuse BEFORE INSERT ON %1 FOR EACH ROW SIGNAL SQLSTATE "
                      "'45000' SET MESSAGE_TEXT = 'refused'")
                  .arg(table));
    }
    QStringList Ledger() {
        return Column(
            "SELECT CONCAT_WS('|', kredit, kode_reseller, uraian) FROM rekening "
            "ORDER BY id");
    }
};
