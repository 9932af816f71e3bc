// The waiting record: an order sent to a supplier (or refused by a guard) is priced for the
// reseller and written as a transaction with status 2, which settlement later finds.
#include "ledger/Amounts.h"
#include "settlement/Configuration.h"

void Configuration::ExecuteMenunggu(const QString& kdReseller, const QString& hpRs,
                                    const QString& kdProduk, const QString& tujuan, qint16 lineGate,
                                    qint16 terminal, const QString& trxId) {
    if (kdProduk == QLatin1String("-") || kdProduk == QLatin1String("-r-")) return;
    bool insertLogged = false;
    try {
        const ResellerRecord r = ReadReseller(kdReseller);
        const qint32 hargaBiasa = GetHargaBiasa(kdProduk);
        // An unknown reseller has no level; the order then leaves no waiting row.
        const qint32 hargaKelompok = GetHargaKelompok(r.kodeKelompok, kdProduk, r.LevelNumber(),
                                                      QString::number(terminal), kdReseller);
        qint32 harga = hargaKelompok != 0 ? hargaKelompok : hargaBiasa;
        qint32 hargaDasar = GetHargaBeli(kdProduk, QString::number(terminal));
        // Open-amount products ("?") carry the amount in the third field of the order's id.
        if (kdProduk.contains(QLatin1Char('?'))) {
            bool isNumber = false;
            qint32 extra = trxId.split(QLatin1Char('#')).value(2).trimmed().toInt(&isNumber);
            if (!isNumber) extra = 0;
            hargaDasar = Amounts::Add(hargaDasar, extra);
            harga = Amounts::Add(harga, extra);
        }

        TransaksiRow row;
        row.kodeTransaksi = QString::number(LastRebat) + QLatin1Char('#') + trxId;
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
                         QStringLiteral(") Status: MENUNGGU Dari RLV #") +
                         QString::number(terminal);

        // The debit and the row that records it are written together: both or neither. The
        // order is with the supplier already, so a transaction the server rolled back on a
        // deadlock is run once more rather than leaving the order unpaid.
        for (int attempt = 1;; ++attempt) {
            try {
                WriteWaiting(r, harga, row, kdReseller, insertLogged);
                break;
            } catch (const DbError& e) {
                if (attempt == 2 || !e.RolledBack()) throw;
                insertLogged = false;
            }
        }
    } catch (const std::exception& e) {
        if (!insertLogged)
            ctx_.LogError(QStringLiteral("ExecuteMenunggu KodeProduk=") + kdProduk +
                              QStringLiteral(", Tujuan=") + tujuan + QStringLiteral(",Kode Rs=") +
                              kdReseller + QStringLiteral(", HP RS=") + hpRs + QLatin1Char(','),
                          e);
    }
    LastRebat = 0;
}

void Configuration::WriteWaiting(const ResellerRecord& r, qint32 harga, TransaksiRow& row,
                                 const QString& kdReseller, bool& insertLogged) {
    ctx_.db.Transaction([&] {
        qint32 awal = Convert::ToInt32(r.deposit);
        qint32 akhir = awal;
        if (ctx_.values.DebitAtOrder != 0) {
            akhir = UpdateDeposit(kdReseller, harga, QStringLiteral("-"));
            awal = Amounts::Add(akhir, harga);
        }
        row.depositAwal = QString::number(awal);
        row.depositAkhir = QString::number(akhir);
        try {
            WriteTransaksi(row);
        } catch (const std::exception& e) {
            LogTransaksiError(row, e);
            insertLogged = true;
            throw;
        }
    });
}
