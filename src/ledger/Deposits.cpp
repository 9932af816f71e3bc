// Deposit movements. The host and the other terminals move the same deposits at the same
// time, so a movement is made at the database: the row is locked, the new deposit is checked
// against the 32-bit range, and the change is applied there rather than written back from
// memory.
#include "ledger/Deposits.h"

#include "ledger/Amounts.h"

qint32 Deposits::UpdateDeposit(const QString& kdReseller, qint32 amount, const QString& sign) {
    const qint64 change = sign == QLatin1String("-") ? -qint64{amount} : qint64{amount};
    qint32 deposit = 0;
    ctx_.db.Transaction([&] {
        const DbResult r = ctx_.db.Exec(
            QStringLiteral("SELECT deposit FROM reseller where kode_reseller= ? FOR UPDATE"),
            {kdReseller});
        // An unknown reseller has nothing to move; the answer is what a deposit of 0 becomes.
        if (r.IsEmpty()) {
            deposit = Amounts::Add(0, change);
            return;
        }
        deposit = Amounts::Add(Amounts::Int32At(r, QStringLiteral("deposit")), change);
        ctx_.db.Exec(
            QStringLiteral("update reseller set deposit = deposit + ? where kode_reseller =?"),
            {change, kdReseller});
    });
    return deposit;
}
