// The ledger: one entry per credit, each carrying the reseller's running balance forward.
//
// The balance is read from the reseller's latest entry and written with the new one. Several
// terminals credit the same reseller at once, so the read and the insert are made under the
// reseller's row lock, in a transaction (the caller's, when the entry is part of a larger unit
// such as a settlement): the lock is held until that transaction commits, so the next writer
// reads the balance this entry left. It is the same lock a deposit movement takes, so a
// settlement's locks are all row locks the server sees, and a deadlock between two of them is
// found and undone by the server instead of waiting out a timeout.
#include "ledger/Ledger.h"

#include "ledger/Amounts.h"
#include "ledger/Deposits.h"
#include "store/Stamps.h"

namespace {

// Named as the table compares codes: letter case and trailing blanks do not make another ledger.
const QString kLockName =
    QStringLiteral("CONCAT('rekening ', MD5(CONCAT(DATABASE(), '/', UPPER(TRIM(?)))))");

// Serialises writers of one ledger until the current transaction ends. False, with nothing
// locked, for a code that names no reseller when only resellers' ledgers are wanted.
bool LockLedger(Database& db, const QString& kodeReseller, bool resellersOnly) {
    const DbResult row = db.Exec(
        QStringLiteral("SELECT kode_reseller FROM reseller WHERE kode_reseller = ? FOR UPDATE"),
        {kodeReseller});
    if (!row.IsEmpty()) {
        // On a cluster the lock holds only this node's writers back: the row is written (and
        // put back) so that a writer of the same ledger on another node meets a conflict at
        // the commit and runs again, reading this entry's balance.
        if (db.InCluster())
            for (const char* step : {"level + 1", "level - 1"})
                db.Exec(QStringLiteral("UPDATE reseller SET level = ") + QLatin1String(step) +
                            QStringLiteral(" WHERE kode_reseller = ?"),
                        {kodeReseller});
        return true;
    }
    if (resellersOnly) return false;
    // A code that names no reseller has no row to lock; a named lock stands in for it.
    const DbResult r =
        db.Exec(QStringLiteral("SELECT GET_LOCK(") + kLockName + QStringLiteral(", ?) AS l"),
                // Entries take milliseconds; a wait as long as a row lock's means a writer is
                // stuck, not busy (and a longer one would outlast the client's timeout).
                {kodeReseller, db.Target().LockWait()});
    if (r.Int(0, QStringLiteral("l")) != 1)
        throw DbError(QStringLiteral("ledger of ") + kodeReseller + QStringLiteral(" is locked"));
    db.AtTransactionEnd([&db, kodeReseller] {
        try {
            db.Exec(QStringLiteral("SELECT RELEASE_LOCK(") + kLockName + QStringLiteral(") AS l"),
                    {kodeReseller});
        } catch (const std::exception&) {
            // A lost connection has released it already.
        }
    });
    return true;
}

bool IsDuplicate(const std::exception& e) {
    return Describe(e).contains(QLatin1String("duplicate entry"), Qt::CaseInsensitive);
}

}  // namespace

void Ledger::InsertToRekening(const QString& kodeRek, qint32 debet, qint32 kredit,
                              const QString& kodeRS, const QString& uraian, bool resellersOnly) {
    const QString what = QStringLiteral("InsertToRekening KodeRek:") + kodeRek +
                         QStringLiteral(" Debet:") + QString::number(debet) +
                         QStringLiteral(" Kredit:") + QString::number(kredit) +
                         QStringLiteral(" KodeRS:") + kodeRS + QStringLiteral(" Uraian:") + uraian;
    const auto report = [&](const std::exception& e) {
        const QString text = what + QStringLiteral(" [") + Describe(e).toLower() + QLatin1Char(']');
        ctx_.util.WriteLog(ctx_.values.TerminalName, text);
        emit MonitorRecord(ctx_.values.TerminalName + QLatin1Char(' ') + text);
    };
    const bool partOfUnit = ctx_.db.InTransaction();
    try {
        ctx_.db.Transaction([&] {
            if (!LockLedger(ctx_.db, kodeRS, resellersOnly)) return;
            const DbResult latest = ctx_.db.Exec(
                QStringLiteral("SELECT saldo FROM rekening where kode_reseller = ? ORDER BY id "
                               "DESC limit 0,1"),
                {kodeRS});
            // Every entry this module writes is a credit; a debit would lower the balance.
            const qint32 saldo =
                latest.IsEmpty()
                    ? Amounts::Sub(kredit, debet)
                    : Amounts::Sub(
                          Amounts::Add(Amounts::Int32At(latest, QStringLiteral("saldo")), kredit),
                          debet);
            const QVariantList values = {NowStamp(), kodeRek, debet, kredit, saldo, kodeRS, uraian};
            DbError refused(QString{});
            if (ctx_.db.AttemptStatement(
                    [&] {
                        ctx_.db.Exec(QStringLiteral("insert into rekening (tanggal,kode_rekening,"
                                                    "debet,kredit,saldo,kode_reseller,uraian)"
                                                    "values(?,?,?,?,?,?,?)"),
                                     values);
                    },
                    &refused))
                return;
            if (!IsDuplicate(refused)) throw refused;
            // The counter has run into ids that are taken: the entry goes past it by the step
            // DuplicateEntry moves it, still under the lock, so the balance read above is still
            // the latest. Moving the counter itself would end the transaction.
            report(refused);
            ctx_.db.Exec(QStringLiteral("insert into rekening (id,tanggal,kode_rekening,debet,"
                                        "kredit,saldo,kode_reseller,uraian)"
                                        "values(?,?,?,?,?,?,?,?)"),
                         QVariantList{Amounts::Add(GetAutoIncrement(), 10)} + values);
        });
    } catch (const std::exception& e) {
        report(e);
        // Inside a larger unit the entry fails the unit; on its own it is logged and dropped.
        if (partOfUnit) throw;
        if (IsDuplicate(e)) DuplicateEntry();
    }
}

qint32 Ledger::GetAutoIncrement() {
    try {
        const DbResult r = ctx_.db.Exec(
            QStringLiteral("SELECT AUTO_INCREMENT FROM information_schema.TABLES WHERE "
                           "TABLE_NAME = 'rekening' AND TABLE_SCHEMA = DATABASE()"));
        return r.IsEmpty() ? 0 : Amounts::Int32At(r, QStringLiteral("AUTO_INCREMENT"));
    } catch (const std::exception&) {
        return 0;
    }
}

void Ledger::DuplicateEntry() {
    try {
        const qint32 next = GetAutoIncrement();
        if (next == 0) return;
        // A statement can bind no value here; the number is built from an integer.
        ctx_.db.Exec(QStringLiteral("ALTER TABLE rekening AUTO_INCREMENT=") +
                     QString::number(Amounts::Add(next, 10)));
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("DuplicateEntry rekening "), e);
    }
}

// Transaction rows, and the administration fee that is one.
qint64 Ledger::WriteTransaksi(const TransactionRow& row) {
    const DbResult r = ctx_.db.Exec(
        QStringLiteral("insert into transaksi (kode_transaksi, datetime_sms, datetime_transaksi, "
                       "kode_produk, tujuan, kode_reseller, hp_reseller, deposit_awal, "
                       "deposit_akhir, harga_beli, harga_dasar, line_gate, terminal, status, "
                       "keterangan)values(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
        {row.kodeTransaksi, NowStamp(), NowStamp(), row.kodeProduk, row.tujuan, row.kodeReseller,
         row.hpReseller, QString::number(row.depositAwal), QString::number(row.depositAkhir),
         QString::number(row.hargaBeli), QString::number(row.hargaDasar), row.lineGate,
         row.terminal, QString::number(row.status),
         ctx_.db.Fit(QStringLiteral("transaksi"), QStringLiteral("keterangan"), row.keterangan)});
    // Drivers that do not report the new id leave it to the server's own record of it.
    const QVariant id = r.LastInsertId();
    if (id.isValid()) return id.toLongLong();
    return ctx_.db.Exec(QStringLiteral("SELECT LAST_INSERT_ID() AS id"))
        .Int(0, QStringLiteral("id"));
}

void Ledger::LogTransaksiError(const TransactionRow& row, const std::exception& e) {
    ctx_.LogError(row.kodeTransaksi + QStringLiteral("InsertToTransaksi ") + row.kodeReseller +
                      QStringLiteral(")(") + row.kodeProduk + QStringLiteral(")(") +
                      QString::number(row.depositAwal) + QLatin1Char('-') +
                      QString::number(row.hargaBeli) + QLatin1Char('=') +
                      QString::number(row.depositAkhir) + QStringLiteral(")(") + row.tujuan +
                      QStringLiteral(")(") + row.keterangan + QStringLiteral(")("),
                  e);
}

void Ledger::InsertToTransaksi(const TransactionRow& row) {
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
            TransactionRow row;
            row.kodeTransaksi = QStringLiteral("1-cost");
            row.kodeProduk = QStringLiteral("-");
            row.tujuan = QStringLiteral("-");
            row.kodeReseller = kdrs;
            row.hpReseller = QStringLiteral("-");
            row.depositAwal = before;
            row.depositAkhir = after;
            row.hargaBeli = mBiaya;
            row.hargaDasar = 0;
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
