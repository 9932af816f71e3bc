#include "routing/clsAntriKecil.h"
#include "store/Database.h"
#include "store/Stamps.h"
#include "store/mdlNX.h"

namespace {

// The sender selection's answer as a terminal number. With no candidate at all the message
// stays with the terminal it was given rather than being lost.
qint16 SenderTerminal(const Context& ctx, const QString& recipient, qint16 terminal) {
    bool ok = false;
    const int chosen = clsAntriKecil(ctx).TSender(recipient).toInt(&ok);
    if (ok) return static_cast<qint16>(chosen);
    ctx.util.WriteLog(
        ctx.values.TerminalName,
        QStringLiteral("QueueAdminJob Terminal pengirim tidak ditemukan untuk ") + recipient);
    return terminal;
}

}  // namespace

QVariant mdlNX::QueueAdminJob(const QString& kodeReseller, const QString& pesan, qint16& terminal) {
    QString text = pesan;
    text.replace(QLatin1Char('\''), QLatin1Char('`'));
    QString recipient = GetHpReseller(kodeReseller);
    if (recipient.isEmpty()) recipient = kodeReseller;
    if (ctx_.values.SmsCenterList.contains(QLatin1Char(';') + QString::number(terminal) +
                                           QLatin1Char(';')))
        terminal = SenderTerminal(ctx_, recipient, terminal);
    if (!ctx_.values.ReplayHbv[0].isEmpty()) terminal = SenderTerminal(ctx_, recipient, terminal);
    // Message jobs always go to the main queue, whichever table the orders come from.
    ctx_.db.Exec(
        QStringLiteral("insert into job_quenue (datetime, kode_produk, tujuan, pesan, "
                       "kode_reseller, hp_reseller, terminal)values(?,'-',?,?,'ADMIN','ADMIN',?)"),
        {NowStamp(), recipient, text, terminal});
    return {};
}
