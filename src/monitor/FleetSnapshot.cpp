#include "monitor/FleetSnapshot.h"

#include <functional>

#include "store/Database.h"

namespace {

const QString kStampFormat = QStringLiteral("yyyy-MM-dd hh:mm:ss");
const QString kMinuteFormat = QStringLiteral("yyyy-MM-dd hh:mm");

QString Stamp(const QDateTime& t) {
    return t.toString(kStampFormat);
}

int TerminalOf(const DbResult& r, int row) {
    return static_cast<int>(r.Int(row, QStringLiteral("terminal")));
}

// One statement of a refresh and how its rows go into the figures being read.
struct Step {
    QString sql;
    QVariantList params;
    std::function<void(const DbResult&, FleetSnapshot&)> take;
};

QList<Step> Plan(const QDateTime& now) {
    const QString day = now.date().toString(QStringLiteral("yyyy-MM-dd"));
    const QString dayStart = day + QStringLiteral(" 00:00:00");
    const QString dayEnd = day + QStringLiteral(" 23:59:59");
    const QDateTime thisMinute = QDateTime::fromSecsSinceEpoch(FleetSnapshot::MinuteOf(now) * 60);
    const QString hourStart = Stamp(thisMinute.addSecs(-59 * 60));

    QList<Step> plan;
    plan.append({QStringLiteral("SELECT terminal, status, kode_kelompok FROM terminal "
                                "WHERE modul = ?"),
                 {QStringLiteral("Relvane")},
                 [](const DbResult& r, FleetSnapshot& s) {
                     for (int i = 0; i < r.RecordCount(); ++i) {
                         TerminalFigures& t = s.terminals[TerminalOf(r, i)];
                         t.inTable = true;
                         t.status = r.Text(i, QStringLiteral("status"));
                         t.group = r.Text(i, QStringLiteral("kode_kelompok"));
                     }
                 }});
    plan.append({QStringLiteral("SELECT terminal, COUNT(*) AS n FROM job_quenue GROUP BY terminal"),
                 {},
                 [](const DbResult& r, FleetSnapshot& s) {
                     for (int i = 0; i < r.RecordCount(); ++i)
                         s.terminals[TerminalOf(r, i)].queued =
                             static_cast<int>(r.Int(i, QStringLiteral("n")));
                 }});
    plan.append({QStringLiteral("SELECT terminal, status, COUNT(*) AS n, MIN(datetime_transaksi) "
                                "AS oldest FROM transaksi WHERE datetime_transaksi BETWEEN ? AND ? "
                                "GROUP BY terminal, status"),
                 {dayStart, dayEnd},
                 [now](const DbResult& r, FleetSnapshot& s) {
                     for (int i = 0; i < r.RecordCount(); ++i) {
                         TerminalFigures& t = s.terminals[TerminalOf(r, i)];
                         const QString status = r.Text(i, QStringLiteral("status"));
                         const int n = static_cast<int>(r.Int(i, QStringLiteral("n")));
                         if (status == QLatin1String("1")) {
                             t.succeeded = n;
                         } else if (status == QLatin1String("0")) {
                             t.failed = n;
                         } else if (status == QLatin1String("2")) {
                             t.waiting = n;
                             const QDateTime oldest = QDateTime::fromString(
                                 r.Text(i, QStringLiteral("oldest")), kStampFormat);
                             t.oldestWaitingSeconds =
                                 oldest.isValid() ? qMax<qint64>(0, oldest.secsTo(now)) : 0;
                         }
                     }
                 }});
    plan.append({QStringLiteral("SELECT status, LEFT(datetime_transaksi, 16) AS minute, "
                                "COUNT(*) AS n FROM transaksi "
                                "WHERE datetime_transaksi BETWEEN ? AND ? AND status IN ('0', '1') "
                                "GROUP BY status, minute"),
                 {hourStart, Stamp(thisMinute.addSecs(59))},
                 [](const DbResult& r, FleetSnapshot& s) {
                     for (int i = 0; i < r.RecordCount(); ++i) {
                         const QDateTime at = QDateTime::fromString(
                             r.Text(i, QStringLiteral("minute")), kMinuteFormat);
                         MinuteFigures& m = s.perMinute[FleetSnapshot::MinuteOf(at)];
                         const int n = static_cast<int>(r.Int(i, QStringLiteral("n")));
                         (r.Text(i, QStringLiteral("status")) == QLatin1String("1") ? m.succeeded
                                                                                    : m.failed) = n;
                     }
                 }});
    for (const QString& table : {QStringLiteral("outbox"), QStringLiteral("inbox")}) {
        const bool sent = table == QLatin1String("outbox");
        plan.append(
            {QStringLiteral("SELECT terminal, MAX(datetime) AS last FROM %1 GROUP BY terminal")
                 .arg(table),
             {},
             [sent](const DbResult& r, FleetSnapshot& s) {
                 for (int i = 0; i < r.RecordCount(); ++i) {
                     TerminalFigures& t = s.terminals[TerminalOf(r, i)];
                     (sent ? t.lastSent : t.lastReply) =
                         QDateTime::fromString(r.Text(i, QStringLiteral("last")), kStampFormat);
                 }
             }});
    }
    plan.append({QStringLiteral("SELECT terminal, kode_produk FROM parsing WHERE active = ? "
                                "ORDER BY terminal, kode_produk"),
                 {QStringLiteral("0")},
                 [](const DbResult& r, FleetSnapshot& s) {
                     for (int i = 0; i < r.RecordCount(); ++i) {
                         QStringList& list = s.terminals[TerminalOf(r, i)].productsOff;
                         const QString product = r.Text(i, QStringLiteral("kode_produk"));
                         if (!list.contains(product)) list.append(product);
                     }
                 }});
    return plan;
}

}  // namespace

double TerminalFigures::SuccessRate() const {
    const int settled = succeeded + failed;
    return settled > 0 ? static_cast<double>(succeeded) / settled : -1.0;
}

QList<QPair<QString, QVariantList>> FleetSnapshot::Statements(const QDateTime& now) {
    QList<QPair<QString, QVariantList>> list;
    for (const Step& step : Plan(now)) list.append({step.sql, step.params});
    return list;
}

void FleetSnapshot::Refresh(Database& db, const QDateTime& now) {
    FleetSnapshot fresh;
    int count = 0;
    try {
        for (const Step& step : Plan(now)) {
            const DbResult rows = db.Exec(step.sql, step.params);
            ++count;
            step.take(rows, fresh);
        }
    } catch (const std::exception& e) {
        stale = true;
        error = QString::fromUtf8(e.what());
        statements = count;
        return;
    }
    fresh.terminals.remove(0);  // the host's own line: the replies it has yet to send
    terminals = fresh.terminals;
    perMinute = fresh.perMinute;
    readAt = now;
    stale = false;
    error.clear();
    statements = count;
}
