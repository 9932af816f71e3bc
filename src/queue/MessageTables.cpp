#include "queue/MessageTables.h"

#include "queue/SenderSelection.h"
#include "store/Database.h"
#include "store/Lookups.h"
#include "store/Stamps.h"
#include "store/TerminalList.h"

void MessageTables::InsertToOutbox(const QString& tujuan, const QString& pesan, quint8 status,
                                   qint16 terminal, const QString& kdProduk,
                                   const QString& kdReseller) {
    ctx_.db.Exec(QStringLiteral("insert into outbox (datetime, tujuan, pesan, status, terminal, "
                                "kode_produk, kode_reseller)values(?,?,?,?,?,?,?)"),
                 {NowStamp(), tujuan, pesan, status, terminal, kdProduk, kdReseller});
}

void MessageTables::InsertToInbox(const QString& pengirim, const QString& pesan, quint8 status,
                                  qint16 terminal) {
    try {
        ctx_.db.Exec(QStringLiteral("insert into inbox (datetime, pengirim, pesan, status, "
                                    "terminal)values(?,?,?,?,?)"),
                     {NowStamp(), pengirim, pesan, status, terminal});
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("InsertToInbox ") + pesan, e);
    }
}

void MessageTables::OnOffTerminal(const QString& modul, qint16 terminal, bool onOff) {
    ctx_.db.Exec(QStringLiteral("update terminal set status =? where  terminal=? and modul=?"),
                 {onOff ? QStringLiteral("1") : QStringLiteral("0"), terminal, modul});
}

// The sender selection's answer as a terminal number. Without an answer (no candidate, or the
// selection failed and answered "0") the message stays with the terminal it was given rather
// than going to a terminal that does not exist.
qint16 MessageTables::SenderTerminal(const QString& recipient, qint16 terminal) {
    bool ok = false;
    const int chosen = senders_.TSender(recipient).toInt(&ok);
    if (ok && chosen != 0) return static_cast<qint16>(chosen);
    ctx_.util.WriteLog(
        ctx_.values.TerminalName,
        QStringLiteral("QueueAdminJob Terminal pengirim tidak ditemukan untuk ") + recipient);
    return terminal;
}

QVariant MessageTables::QueueAdminJob(const QString& kodeReseller, const QString& pesan,
                                      qint16& terminal) {
    QString text = pesan;
    text.replace(QLatin1Char('\''), QLatin1Char('`'));
    QString recipient = lookups_.GetHpReseller(kodeReseller);
    if (recipient.isEmpty()) recipient = kodeReseller;
    if (ctx_.values.SmsCenterList.contains(QLatin1Char(';') + QString::number(terminal) +
                                           QLatin1Char(';')))
        terminal = SenderTerminal(recipient, terminal);
    if (!ctx_.values.ReplayHbv[0].isEmpty()) terminal = SenderTerminal(recipient, terminal);
    // Message jobs always go to the main queue, whichever table the orders come from.
    ctx_.db.Exec(
        QStringLiteral("insert into job_quenue (datetime, kode_produk, tujuan, pesan, "
                       "kode_reseller, hp_reseller, terminal)values(?,'-',?,?,'ADMIN','ADMIN',?)"),
        {NowStamp(), recipient, text, terminal});
    return {};
}

std::optional<SentOrder> MessageTables::LastOrderToday(qint16 terminal) {
    const DayRange today = TodayRange();
    QVariantList params;
    const QString filter = TerminalCondition(ctx_.values.TerminalList, terminal, params);
    params << today.from << today.to;
    const DbResult r = ctx_.db.Exec(
        QStringLiteral("SELECT datetime, kode_produk, tujuan FROM outbox WHERE ") + filter +
            QStringLiteral(" and datetime between ? and ? and status=1 and kode_produk <> '-' "
                           "ORDER BY datetime DESC, id DESC LIMIT 1"),
        params);
    if (r.IsEmpty()) return std::nullopt;
    return SentOrder{r.Text(0, QStringLiteral("datetime")),
                     r.Text(0, QStringLiteral("kode_produk")), r.Text(0, QStringLiteral("tujuan"))};
}
