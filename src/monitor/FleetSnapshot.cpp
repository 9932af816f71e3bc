#include "monitor/FleetSnapshot.h"

#include "store/Database.h"

double TerminalFigures::SuccessRate() const {
    const int settled = succeeded + failed;
    return settled > 0 ? static_cast<double>(succeeded) / settled : -1.0;
}

void FleetSnapshot::Refresh(Database& db, const QDateTime& now) {
    const QString dayStart =
        now.date().toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 00:00:00");
    const QString dayEnd =
        now.date().toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 23:59:59");
    const QString stampFormat = QStringLiteral("yyyy-MM-dd hh:mm:ss");
    QMap<int, TerminalFigures> fresh;
    int count = 0;
    try {
        const DbResult rows = db.Exec(
            QStringLiteral("SELECT terminal, status, kode_kelompok FROM terminal WHERE modul = ?"),
            {QStringLiteral("Relvane")});
        ++count;
        for (int i = 0; i < rows.RecordCount(); ++i) {
            TerminalFigures& t = fresh[static_cast<int>(rows.Int(i, "terminal"))];
            t.inTable = true;
            t.status = rows.Text(i, "status");
            t.group = rows.Text(i, "kode_kelompok");
        }
        const DbResult queued = db.Exec(
            QStringLiteral("SELECT terminal, COUNT(*) AS n FROM job_quenue GROUP BY terminal"));
        ++count;
        for (int i = 0; i < queued.RecordCount(); ++i)
            fresh[static_cast<int>(queued.Int(i, "terminal"))].queued =
                static_cast<int>(queued.Int(i, "n"));
        const DbResult settled = db.Exec(
            QStringLiteral("SELECT terminal, status, COUNT(*) AS n, MIN(datetime_transaksi) AS "
                           "oldest FROM transaksi WHERE datetime_transaksi BETWEEN ? AND ? "
                           "GROUP BY terminal, status"),
            {dayStart, dayEnd});
        ++count;
        for (int i = 0; i < settled.RecordCount(); ++i) {
            TerminalFigures& t = fresh[static_cast<int>(settled.Int(i, "terminal"))];
            const QString status = settled.Text(i, "status");
            const int n = static_cast<int>(settled.Int(i, "n"));
            if (status == QLatin1String("1")) {
                t.succeeded = n;
            } else if (status == QLatin1String("0")) {
                t.failed = n;
            } else if (status == QLatin1String("2")) {
                t.waiting = n;
                const QDateTime oldest =
                    QDateTime::fromString(settled.Text(i, "oldest"), stampFormat);
                t.oldestWaitingSeconds = oldest.isValid() ? qMax<qint64>(0, oldest.secsTo(now)) : 0;
            }
        }
        for (const char* table : {"outbox", "inbox"}) {
            const DbResult last = db.Exec(QStringLiteral("SELECT terminal, MAX(datetime) AS last "
                                                         "FROM %1 GROUP BY terminal")
                                              .arg(QLatin1String(table)));
            ++count;
            for (int i = 0; i < last.RecordCount(); ++i) {
                TerminalFigures& t = fresh[static_cast<int>(last.Int(i, "terminal"))];
                const QDateTime at = QDateTime::fromString(last.Text(i, "last"), stampFormat);
                (qstrcmp(table, "outbox") == 0 ? t.lastSent : t.lastReply) = at;
            }
        }
        const DbResult off =
            db.Exec(QStringLiteral("SELECT terminal, kode_produk FROM parsing WHERE active = ? "
                                   "ORDER BY terminal, kode_produk"),
                    {QStringLiteral("0")});
        ++count;
        for (int i = 0; i < off.RecordCount(); ++i) {
            QStringList& list = fresh[static_cast<int>(off.Int(i, "terminal"))].productsOff;
            const QString product = off.Text(i, "kode_produk");
            if (!list.contains(product)) list.append(product);
        }
    } catch (const std::exception& e) {
        stale = true;
        error = QString::fromUtf8(e.what());
        statements = count;
        return;
    }
    terminals = fresh;
    readAt = now;
    stale = false;
    error.clear();
    statements = count;
}
