// The low-deposit warning after a successful sale: sent every time the new deposit lies in
// the 10,000 just under the configured limit, to resellers without a credit allowance.
#include "ledger/Amounts.h"
#include "ledger/MoneyText.h"
#include "ledger/Prices.h"
#include "ledger/WaitingRecord.h"
#include "queue/MessageTables.h"
#include "store/Stamps.h"

void WaitingRecord::CekLimitDeposit(const QString& kdReseller, qint32 deposit,
                                    const QString& hpReseller) {
    const qint32 kredit = prices_.GetDepositKredit(kdReseller);
    const DbResult l = ctx_.db.Exec(
        QStringLiteral("SELECT parsing FROM configuration WHERE kode = 'PeringatanLimitDeposit'"));
    const qint32 limit = l.IsEmpty() ? 0 : Amounts::Int32At(l, QStringLiteral("parsing"));
    if (limit == 0 || kredit != 0) return;
    if (deposit < qint64{limit} - 10000 || deposit > limit) return;

    const DbResult t =
        ctx_.db.Exec(QStringLiteral("SELECT parsing FROM configuration WHERE "
                                    "kode='JawabanPeringatanLimitDeposit' and level='2' "));
    QString pesan = t.IsEmpty() ? QString("") : t.Text(0, QStringLiteral("parsing"));
    pesan.replace(QLatin1String("<deposit>"), FormatRibuan(deposit));
    pesan.replace(QLatin1String("<datetime>"), NowStamp());
    qint16 sender = 0;
    messages_.QueueAdminJob(hpReseller, pesan, sender);
}
