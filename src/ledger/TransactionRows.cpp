// Transaction rows, and the administration fee that is one.
#include "ledger/Amounts.h"
#include "ledger/Deposits.h"
#include "ledger/Ledger.h"
#include "store/Stamps.h"

qint64 Ledger::WriteTransaksi(const TransaksiRow& row) {
    const DbResult r = ctx_.db.Exec(
        QStringLiteral("insert into transaksi (kode_transaksi, datetime_sms, datetime_transaksi, "
                       "kode_produk, tujuan, kode_reseller, hp_reseller, deposit_awal, "
                       "deposit_akhir, harga_beli, harga_dasar, line_gate, terminal, status, "
                       "keterangan)values(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
        {row.kodeTransaksi, NowStamp(), NowStamp(), row.kodeProduk, row.tujuan, row.kodeReseller,
         row.hpReseller, row.depositAwal, row.depositAkhir, row.hargaBeli, row.hargaDasar,
         row.lineGate, row.terminal, QString::number(row.status),
         ctx_.db.Fit(QStringLiteral("transaksi"), QStringLiteral("keterangan"), row.keterangan)});
    // Drivers that do not report the new id leave it to the server's own record of it.
    const QVariant id = r.LastInsertId();
    if (id.isValid()) return id.toLongLong();
    return ctx_.db.Exec(QStringLiteral("SELECT LAST_INSERT_ID() AS id"))
        .Int(0, QStringLiteral("id"));
}

void Ledger::LogTransaksiError(const TransaksiRow& row, const std::exception& e) {
    ctx_.LogError(row.kodeTransaksi + QStringLiteral("InsertToTransaksi ") + row.kodeReseller +
                      QStringLiteral(")(") + row.kodeProduk + QStringLiteral(")(") +
                      row.depositAwal + QLatin1Char('-') + row.hargaBeli + QLatin1Char('=') +
                      row.depositAkhir + QStringLiteral(")(") + row.tujuan + QStringLiteral(")(") +
                      row.keterangan + QStringLiteral(")("),
                  e);
}

void Ledger::InsertToTransaksi(const TransaksiRow& row) {
    try {
        WriteTransaksi(row);
    } catch (const std::exception& e) {
        LogTransaksiError(row, e);
    }
}

void Ledger::Biaya(const QString& kdrs, qint32 mBiaya, const QString& kode) {
    try {
        if (mBiaya == 0) {
            const DbResult r = ctx_.db.Exec(
                QStringLiteral("SELECT biaya FROM configuration WHERE kode = ?"), {kode});
            if (!r.IsEmpty()) mBiaya = Amounts::Int32At(r, QStringLiteral("biaya"));
        }
        if (mBiaya <= 0) return;

        // The fee and its record are written together: both or neither.
        ctx_.db.Transaction([&] {
            const qint32 after = deposits_.UpdateDeposit(kdrs, mBiaya, QStringLiteral("-"));
            const qint32 before = Amounts::Add(after, mBiaya);
            TransaksiRow row;
            row.kodeTransaksi = QStringLiteral("1-cost");
            row.kodeProduk = QStringLiteral("-");
            row.tujuan = QStringLiteral("-");
            row.kodeReseller = kdrs;
            row.hpReseller = QStringLiteral("-");
            row.depositAwal = QString::number(before);
            row.depositAkhir = QString::number(after);
            row.hargaBeli = QString::number(mBiaya);
            row.hargaDasar = QStringLiteral("0");
            row.lineGate = 0;
            row.terminal = ctx_.values.TerminalNo;
            row.status = 1;
            row.keterangan = QStringLiteral("Biaya Administrasi ") + kode;
            try {
                WriteTransaksi(row);
            } catch (const std::exception& e) {
                LogTransaksiError(row, e);
                throw;
            }
        });
    } catch (const std::exception&) {
        // A fee that cannot be charged is not charged; the caller goes on.
    }
}
