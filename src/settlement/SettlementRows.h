#pragma once

#include <QList>
#include <QString>
#include <optional>

#include "ledger/TransactionRow.h"
#include "store/Context.h"

// The rows settlement reads and writes: the waiting orders, one order's row, the settled row,
// today's counts, the product's name and the supplier's stock figure.
class SettlementRows {
  public:
    explicit SettlementRows(Context ctx) : ctx_(ctx) {}

    // One waiting order as replies are matched against it; texts lower-cased.
    struct Pending {
        QString tujuan;
        qint64 id = 0;
        QString kode;  // the code suppliers quote; empty when the order has none
    };

    // Waiting orders of the terminal (or of the merged terminals) of the last 12 hours,
    // else of today, oldest first.
    QList<Pending> GetTrxPending(qint16 terminal);
    QList<Pending> GetTrxPendingHariIni(qint16 terminal);
    struct Product {
        QString namaProduk;  // points, ")", name; the code when unknown
        QString tipe;        // "" when unknown
    };
    // The order's row as settlement reads it: its codes, destination, reseller, amounts and
    // terminal; none when there is no row with this id. The order's product (its name with
    // the points before it, and its type) comes in the same statement.
    std::optional<TransactionRow> GetDataTrx(qint64 id, Product& product);

    // Writes the settled row, from the waiting state only; a first statement that fails is
    // logged and run once more with a note in the remark.
    void UpdateTrxMenunggu(qint32 depositAwal, qint32 depositAkhir, quint8 status,
                           const QString& keterangan, qint64 id, const QString& namaReseller,
                           const QString& sn, qint32 hargaBeli, const QString& stok);
    double JumlahTrxSukses(const QString& kdReseller);
    qint16 GetTrxGagal(const QString& kdProduk, const QString& tujuan, qint16 terminal);
    void KurangiStok(const QString& kdProduk, qint32 terminal, const QString& stok);

  private:
    Context ctx_;
};
