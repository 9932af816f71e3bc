#include "queue/JobQueue.h"

#include "store/Database.h"
#include "store/Stamps.h"
#include "store/TerminalList.h"

QString JobQueue::QueueTable() const {
    return ctx_.values.AltQueueOn ? QStringLiteral("job_quenue_") : QStringLiteral("job_quenue");
}

std::optional<Job> JobQueue::GetQueue(qint16 terminal) {
    const DayRange today = TodayRange();
    QVariantList params = {today.from, today.to};
    const QString filter = TerminalCondition(ctx_.values.TerminalList, terminal, params);
    // A row without a message can never be sent; it is passed over so that it does not hold
    // up the jobs queued after it.
    const DbResult r =
        ctx_.db.Exec(QStringLiteral("SELECT * FROM ") + QueueTable() +
                         QStringLiteral(" where datetime between ? and ? and ") + filter +
                         QStringLiteral(" and pesan <> '' order by id asc limit 0,1"),
                     params);
    if (r.IsEmpty()) return std::nullopt;
    Job job;
    job.id = r.Int(0, QStringLiteral("id"));
    job.kodeProduk = r.Text(0, QStringLiteral("kode_produk"));
    job.tujuan = r.Text(0, QStringLiteral("tujuan"));
    job.pesan = r.Text(0, QStringLiteral("pesan"));
    job.kodeReseller = r.Text(0, QStringLiteral("kode_reseller"));
    job.hpReseller = r.Text(0, QStringLiteral("hp_reseller"));
    job.trxId = r.Text(0, QStringLiteral("trx_id"));
    job.terminal = static_cast<qint16>(r.Int(0, QStringLiteral("terminal")));
    job.lineGate = static_cast<qint32>(r.Int(0, QStringLiteral("line_gate")));
    return job;
}

bool JobQueue::DelQueue(qint64 id) {
    return ctx_.db
               .Exec(QStringLiteral("DELETE from ") + QueueTable() + QStringLiteral(" where id =?"),
                     {id})
               .RowsAffected() > 0;
}

bool JobQueue::Gone(qint64 id) {
    return ctx_.db
        .Exec(QStringLiteral("SELECT id FROM ") + QueueTable() + QStringLiteral(" WHERE id = ?"),
              {id})
        .IsEmpty();
}

QString JobQueue::CekAntrian(const QString& terminal) {
    const DbResult r = ctx_.db.Exec(
        QStringLiteral("SELECT terminal FROM job_quenue WHERE terminal=? LIMIT 1"), {terminal});
    return r.IsEmpty() ? QString("") : r.Text(0, QStringLiteral("terminal"));
}

qint64 JobQueue::QueuedToday(qint16 terminal) {
    const DayRange today = TodayRange();
    QVariantList params = {today.from, today.to};
    const QString filter = TerminalCondition(ctx_.values.TerminalList, terminal, params);
    const DbResult r = ctx_.db.Exec(QStringLiteral("SELECT COUNT(*) AS n FROM ") + QueueTable() +
                                        QStringLiteral(" where datetime between ? and ? and ") +
                                        filter + QStringLiteral(" and pesan <> ''"),
                                    params);
    return r.Int(0, QStringLiteral("n"));
}
