// The ledger: one entry per credit, each carrying the reseller's running balance forward.
//
// The balance is read from the reseller's latest entry and written with the new one. Several
// terminals credit the same reseller at once, so the read and the insert are done under a
// named lock per reseller (and per database): the next writer reads the entry this one wrote.
// The lock is released when the entry is written, so an entry must never be written inside a
// database transaction: the next writer would read the balance before this entry's commit.
#include "ledger/Ledger.h"

#include "ledger/Amounts.h"
#include "store/Stamps.h"

namespace {

// Named as the table compares codes: letter case and trailing blanks do not make another ledger.
const QString kLockName =
    QStringLiteral("CONCAT('rekening ', MD5(CONCAT(DATABASE(), '/', UPPER(TRIM(?)))))");
// Entries take milliseconds; a wait this long means a writer is stuck, not busy.
constexpr int kLockWaitSeconds = 60;

// Holds the reseller's ledger lock for as long as it lives.
class LedgerLock {
  public:
    LedgerLock(Database& db, const QString& kodeReseller) : db_(db), kode_(kodeReseller) {
        const DbResult r =
            db_.Exec(QStringLiteral("SELECT GET_LOCK(") + kLockName + QStringLiteral(", ?) AS l"),
                     {kode_, kLockWaitSeconds});
        if (r.Int(0, QStringLiteral("l")) != 1)
            throw DbError(QStringLiteral("ledger of ") + kode_ + QStringLiteral(" is locked"));
    }
    ~LedgerLock() {
        try {
            db_.Exec(QStringLiteral("SELECT RELEASE_LOCK(") + kLockName + QStringLiteral(") AS l"),
                     {kode_});
        } catch (const std::exception&) {
            // A lost connection has released it already.
        }
    }
    LedgerLock(const LedgerLock&) = delete;
    LedgerLock& operator=(const LedgerLock&) = delete;

  private:
    Database& db_;
    QString kode_;
};

}  // namespace

void Ledger::InsertToRekening(const QString& kodeRek, qint32 debet, qint32 kredit,
                              const QString& kodeRS, const QString& uraian) {
    const QString what = QStringLiteral("InsertToRekening KodeRek:") + kodeRek +
                         QStringLiteral(" Debet:") + QString::number(debet) +
                         QStringLiteral(" Kredit:") + QString::number(kredit) +
                         QStringLiteral(" KodeRS:") + kodeRS + QStringLiteral(" Uraian:") + uraian;
    const auto report = [&](const std::exception& e) {
        const QString description = Describe(e).toLower();
        const QString text = what + QStringLiteral(" [") + description + QLatin1Char(']');
        ctx_.util.WriteLog(ctx_.values.TerminalName, text);
        emit MonitorRecord(ctx_.values.TerminalName + QLatin1Char(' ') + text);
        return description.contains(QLatin1String("duplicate entry"));
    };
    try {
        if (ctx_.db.InTransaction())
            throw RelvaneError(QStringLiteral("ledger entry inside a transaction"));
        LedgerLock lock(ctx_.db, kodeRS);
        const DbResult latest = ctx_.db.Exec(
            QStringLiteral(
                "SELECT saldo FROM rekening where kode_reseller = ? ORDER BY id DESC limit 0,1"),
            {kodeRS});
        // Every entry this module writes is a credit; a debit would lower the balance.
        const qint32 saldo =
            latest.IsEmpty()
                ? Amounts::Sub(kredit, debet)
                : Amounts::Sub(
                      Amounts::Add(Amounts::Int32At(latest, QStringLiteral("saldo")), kredit),
                      debet);
        const QString insert = QStringLiteral(
            "insert into rekening (tanggal,kode_rekening,debet,kredit,saldo,kode_reseller,uraian)"
            "values(?,?,?,?,?,?,?)");
        try {
            ctx_.db.Exec(insert, {NowStamp(), kodeRek, debet, kredit, saldo, kodeRS, uraian});
        } catch (const std::exception& e) {
            if (!report(e)) return;
            // The counter has run into ids that are taken: move it on and write the entry once
            // more, still under the lock, so the balance read above is still the latest.
            DuplicateEntry();
            ctx_.db.Exec(insert, {NowStamp(), kodeRek, debet, kredit, saldo, kodeRS, uraian});
        }
    } catch (const std::exception& e) {
        if (report(e)) DuplicateEntry();
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
