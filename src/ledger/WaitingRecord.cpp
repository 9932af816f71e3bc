// The waiting record: an order sent to a supplier (or refused by a guard) is priced for the
// reseller and written as a transaction with status 2, which settlement later finds.
#include "ledger/WaitingRecord.h"

#include <QScopeGuard>

#include "ledger/Amounts.h"
#include "ledger/Deposits.h"
#include "ledger/Ledger.h"
#include "ledger/Prices.h"

namespace {

// A row that could not be written has its own log line already. It keeps the server's code,
// so that the door still knows whether the unit may run again.
class RowNotWritten : public DbError {
  public:
    using DbError::DbError;
};

}  // namespace

void WaitingRecord::ExecuteMenunggu(const QString& kdReseller, const QString& hpRs,
                                    const QString& kdProduk, const QString& tujuan, qint16 lineGate,
                                    qint16 terminal, const QString& trxId) {
    if (kdProduk == QLatin1String("-") || kdProduk == QLatin1String("-r-")) return;
    try {
        WaitingOrder order =
            PriceWaiting(kdReseller, hpRs, kdProduk, tujuan, lineGate, terminal, trxId);
        WriteWaiting(order);
    } catch (const RowNotWritten&) {
    } catch (const std::exception& e) {
        LogWaitingError(kdReseller, hpRs, kdProduk, tujuan, e);
    }
}

void WaitingRecord::LogWaitingError(const QString& kdReseller, const QString& hpRs,
                                    const QString& kdProduk, const QString& tujuan,
                                    const std::exception& e) {
    ctx_.LogError(QStringLiteral("ExecuteMenunggu KodeProduk=") + kdProduk +
                      QStringLiteral(", Tujuan=") + tujuan + QStringLiteral(",Kode Rs=") +
                      kdReseller + QStringLiteral(", HP RS=") + hpRs + QLatin1Char(','),
                  e);
}

WaitingOrder WaitingRecord::PriceWaiting(const QString& kdReseller, const QString& hpRs,
                                         const QString& kdProduk, const QString& tujuan,
                                         qint16 lineGate, qint16 terminal, const QString& trxId) {
    // The rebate inside the price belongs to this pricing only.
    const auto clear = qScopeGuard([this] { prices_.LastRebat = 0; });
    WaitingOrder order;
    order.reseller = prices_.ReadReseller(kdReseller);
    // An unknown reseller has no level: pricing raises, and the order gets no waiting row.
    const qint32 harga =
        prices_.OrderPrice(kdReseller, order.reseller, kdProduk, QString::number(terminal), trxId);
    // Open-amount products ("?") cost the supplier their amount too.
    const qint32 hargaDasar =
        Amounts::Add(prices_.GetHargaBeli(kdProduk, QString::number(terminal)),
                     Prices::OpenAmount(kdProduk, trxId));
    order.harga = harga;

    TransaksiRow& row = order.row;
    row.kodeTransaksi = QString::number(prices_.LastRebat) + QLatin1Char('#') + trxId;
    row.kodeProduk = kdProduk;
    row.tujuan = tujuan;
    row.kodeReseller = kdReseller;
    row.hpReseller = hpRs;
    row.hargaBeli = QString::number(harga);
    row.hargaDasar = QString::number(hargaDasar);
    row.lineGate = lineGate;
    row.terminal = terminal;
    row.status = 2;
    row.keterangan = QStringLiteral("Transaksi (") + kdProduk + QLatin1Char('.') + tujuan +
                     QStringLiteral(") Status: MENUNGGU Dari RLV #") + QString::number(terminal);
    return order;
}

void WaitingRecord::WriteWaiting(WaitingOrder& order) {
    // The debit and the row that records it are written together: both or neither. A
    // transaction the server rolled back on a deadlock is run once more by the door.
    ctx_.db.Transaction([&] {
        TransaksiRow& row = order.row;
        qint32 awal = Convert::ToInt32(order.reseller.deposit);
        qint32 akhir = awal;
        if (ctx_.values.DebitAtOrder != 0) {
            akhir = deposits_.UpdateDeposit(row.kodeReseller, order.harga, QStringLiteral("-"));
            awal = Amounts::Add(akhir, order.harga);
        }
        row.depositAwal = QString::number(awal);
        row.depositAkhir = QString::number(akhir);
        try {
            order.id = ledger_.WriteTransaksi(row);
        } catch (const DbError& e) {
            ledger_.LogTransaksiError(row, e);
            throw RowNotWritten(e.Description(), e.Code());
        } catch (const std::exception& e) {
            ledger_.LogTransaksiError(row, e);
            throw RowNotWritten(Describe(e));
        }
    });
}

void WaitingRecord::CheckTable() {
    static const char* const kColumns[] = {
        "id",           "kode_transaksi", "datetime_sms",  "datetime_transaksi",
        "kode_produk",  "tujuan",         "kode_reseller", "hp_reseller",
        "deposit_awal", "deposit_akhir",  "harga_beli",    "harga_dasar",
        "terminal",     "status",         "keterangan"};
    const DbResult r =
        ctx_.db.Exec(QStringLiteral("SELECT * FROM transaksi_ order by id asc limit 0,1"));
    for (const char* column : kColumns)
        if (!r.Columns().contains(QLatin1String(column), Qt::CaseInsensitive))
            throw DbError(QStringLiteral("Item cannot be found: ") + QLatin1String(column));
}
