// The fleet monitor at scale: its database read against a day of 100,000 orders (statements,
// time, and each statement's plan, with and without the monitor's indexes), then the monitor
// program receiving the feed of 100 terminals (an announcement each, then an order sent and a
// reply received per terminal per second) while its page is fetched every second: its CPU and
// memory. Prints figures; asserts nothing.
#include <httplib.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>
#include <QUdpSocket>
#include <algorithm>
#include <cstdio>

#include "BenchSupport.h"
#include "Environment.h"
#include "ProcessSample.h"
#include "Schema.h"
#include "monitor/FleetSnapshot.h"
#include "store/Database.h"

namespace {

const QString kDatabase = QStringLiteral("relvane_bench_monitor");
const int kTerminals = 100;
const int kOrdersPerDay = 100000;
const int kDaysBefore = 3;  // older orders the day's statements must not read

void Seed(Database& admin) {
    RecreateBenchDatabase(admin, kDatabase);
    const QString terminals = QString::number(kTerminals);
    admin.Exec(QStringLiteral("INSERT INTO terminal (terminal, modul, status) SELECT seq, "
                              "'Relvane', '1' FROM seq_1_to_%1")
                   .arg(terminals));
    // Orders of today and of the days before, spread evenly over each day: 90 % success,
    // 8 % failure, 2 % waiting (of today only).
    for (int day = 0; day <= kDaysBefore; ++day)
        admin.Exec(QStringLiteral(
                       "INSERT INTO transaksi (datetime_transaksi, kode_produk, tujuan, "
                       "kode_reseller, terminal, status) SELECT CURDATE() - INTERVAL %1 DAY + "
                       "INTERVAL (seq * 86399 DIV %2) SECOND, 'S5', CONCAT('0812', seq), 'R1', "
                       "1 + seq MOD %3, CASE WHEN seq MOD 50 = 0 AND %1 = 0 THEN '2' WHEN seq MOD "
                       "12 = 0 THEN '0' ELSE '1' END FROM seq_1_to_%2")
                       .arg(day)
                       .arg(kOrdersPerDay)
                       .arg(terminals));
    for (const char* table : {"outbox", "inbox"})
        admin.Exec(QStringLiteral("INSERT INTO %1 (datetime, terminal) SELECT CURDATE() + "
                                  "INTERVAL (seq * 86399 DIV %2) SECOND, 1 + seq MOD %3 FROM "
                                  "seq_1_to_%2")
                       .arg(QLatin1String(table))
                       .arg(kOrdersPerDay)
                       .arg(terminals));
    admin.Exec(QStringLiteral("INSERT INTO job_quenue (datetime, terminal) SELECT NOW(), 1 + seq "
                              "MOD %1 FROM seq_1_to_500")
                   .arg(terminals));
    admin.Exec(QStringLiteral("INSERT INTO parsing (kode_produk, terminal, active) SELECT "
                              "CONCAT('P', seq DIV %1), 1 + seq MOD %1, IF(seq MOD 37 = 0, '0', "
                              "'1') FROM seq_0_to_4999")
                   .arg(terminals));
    admin.Exec(QStringLiteral("ANALYZE TABLE transaksi, outbox, inbox, job_quenue, parsing"));
}

void AddMonitorIndexes(Database& admin) {
    for (const QString& statement :
         SchemaStatements(QStringLiteral(RELVANE_SOURCE_DIR "/db/monitor-indexes.sql")))
        admin.Exec(statement);
    admin.Exec(QStringLiteral("ANALYZE TABLE transaksi, parsing"));
}

void ReportRefresh(Database& db, const char* title) {
    std::printf("\n%s\n", title);
    const QDateTime now = QDateTime::currentDateTime();
    int n = 0;
    for (const auto& [sql, params] : FleetSnapshot::Statements(now)) {
        const DbResult plan = db.Exec(QStringLiteral("EXPLAIN ") + sql, params);
        std::printf("  %d. %s\n", ++n, qPrintable(sql.left(100)));
        for (int i = 0; i < plan.RecordCount(); ++i)
            std::printf("     plan: table %s, type %s, key %s, rows %s, %s\n",
                        qPrintable(plan.Text(i, QStringLiteral("table"))),
                        qPrintable(plan.Text(i, QStringLiteral("type"))),
                        qPrintable(plan.Text(i, QStringLiteral("key"))),
                        qPrintable(plan.Text(i, QStringLiteral("rows"))),
                        qPrintable(plan.Text(i, QStringLiteral("Extra"))));
    }
    FleetSnapshot snapshot;
    std::vector<double> ms;
    for (int i = 0; i < 10; ++i) {
        QElapsedTimer t;
        t.start();
        snapshot.Refresh(db);
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("  refresh: %d statements, %zu terminals, %.1f ms median, %.1f ms worst of %zu%s\n",
                snapshot.statements, static_cast<size_t>(snapshot.terminals.size()),
                ms[ms.size() / 2], ms.back(), ms.size(), snapshot.stale ? " (STALE)" : "");
}

int FreeTcpPort() {
    QTcpServer s;
    s.listen(QHostAddress(QHostAddress::LocalHost), 0);
    return s.serverPort();
}

void Pump(int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
}

// Runs the monitor program with `terminals` senders for `seconds`, and prints what it cost.
void ReportProgram(const DbTarget& target, int terminals, int seconds) {
    QTemporaryDir home;
    WriteBenchSettingIni(home.path(), target, kDatabase);
    QFile password(home.filePath(QStringLiteral("db-password")));
    password.open(QIODevice::WriteOnly);
    password.write(target.password.toUtf8());
    password.close();

    QUdpSocket probe;
    probe.bind(QHostAddress(QHostAddress::LocalHost), 0);
    const quint16 feedPort = probe.localPort();
    probe.close();
    const int pagePort = FreeTcpPort();
    QProcess monitor;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("RELVANE_MONITOR_PORT"), QString::number(feedPort));
    env.insert(QStringLiteral("RELVANE_DB_PASSWORD_FILE"), password.fileName());
    monitor.setProcessEnvironment(env);
    monitor.start(QStringLiteral(RELVANE_BINARY),
                  {QStringLiteral("monitor"), QStringLiteral("--home"), home.path(),
                   QStringLiteral("--listen"), QStringLiteral("127.0.0.1:%1").arg(pagePort)});
    if (!monitor.waitForReadyRead(10000)) {
        std::fprintf(stderr, "the monitor did not start: %s\n",
                     monitor.readAllStandardError().constData());
        return;
    }
    const ProcessSample idle = ProcessSample::Of(monitor.processId());

    QUdpSocket sender;
    const QHostAddress loopback(QHostAddress::LocalHost);
    for (int t = 1; t <= terminals; ++t)
        sender.writeDatagram(QStringLiteral("NODE@=%1@=True").arg(t).toUtf8(), loopback, feedPort);
    httplib::Client page("127.0.0.1", pagePort);
    const ProcessSample before = ProcessSample::Of(monitor.processId());
    QElapsedTimer clock;
    clock.start();
    qint64 datagrams = 0, pages = 0, pageBytes = 0;
    for (int second = 0; second < seconds; ++second) {
        const QString stamp =
            QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        for (int t = 1; t <= terminals; ++t) {
            // What a terminal sends for an order it hands over and for the reply it takes in.
            const QString trx = QStringLiteral("%1%2").arg(t).arg(second);
            sender.writeDatagram(
                QStringLiteral("RLV #%1:> (%1->supplier%1@localhost) TrxID:%2@=08123@=R1@=S5.08123."
                               "%2@=%3@=1")
                    .arg(t)
                    .arg(trx, stamp)
                    .toUtf8(),
                loopback, feedPort);
            sender.writeDatagram(
                QStringLiteral("RLV Terminal #%1@=supplier%1@localhost@=supplier%1@"
                               "localhost@=SUKSES S5.08123.%2 SN 77.@=%3@=2")
                    .arg(t)
                    .arg(trx, stamp)
                    .toUtf8(),
                loopback, feedPort);
            datagrams += 2;
        }
        if (const auto res = page.Get("/")) {
            ++pages;
            pageBytes += static_cast<qint64>(res->body.size());
        }
        Pump(static_cast<int>(qMax<qint64>(0, (second + 1) * 1000 - clock.elapsed())));
    }
    const double wall = clock.nsecsElapsed() / 1e9;
    const ProcessSample after = ProcessSample::Of(monitor.processId());
    Pump(1500);  // the page shows the feed's last records within a second
    const auto json = page.Get("/api/fleet");
    const QByteArray fleet = json ? QByteArray::fromStdString(json->body) : QByteArray();
    const int accepted = fleet.mid(fleet.indexOf("\"accepted\":") + 11).split(',').value(0).toInt();
    std::printf(
        "\nthe monitor program, %d terminals sending for %.0f s (%lld datagrams, %.0f/s), page "
        "fetched %lld times (%lld kB each)\n"
        "  CPU: %.1f %% of one core (%.2f s)\n"
        "  memory: RSS %lld kB (idle %lld kB, peak %lld kB), PSS %lld kB\n"
        "  datagrams accepted by the monitor: %d of %lld\n",
        terminals, wall, static_cast<long long>(datagrams), datagrams / wall,
        static_cast<long long>(pages), static_cast<long long>(pages ? pageBytes / pages / 1024 : 0),
        100.0 * (after.cpuSeconds - before.cpuSeconds) / wall, after.cpuSeconds - before.cpuSeconds,
        static_cast<long long>(after.rssKb), static_cast<long long>(idle.rssKb),
        static_cast<long long>(after.peakRssKb), static_cast<long long>(after.pssKb), accepted,
        static_cast<long long>(datagrams + terminals));
    monitor.terminate();
    monitor.waitForFinished(10000);
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    DbTarget target = BenchTarget(QStringLiteral("QMYSQL"));
    target.database = QStringLiteral("mysql");
    Database admin(nullptr, QStringLiteral("bench-admin"));
    if (!admin.Open(target)) {
        std::fprintf(stderr, "private MariaDB not reachable: %s\n",
                     qPrintable(admin.LastOpenError()));
        return 1;
    }
    QElapsedTimer seeding;
    seeding.start();
    Seed(admin);
    std::printf("seeded %d terminals, %d orders today and %d on each of %d days before (%.1f s)\n",
                kTerminals, kOrdersPerDay, kOrdersPerDay, kDaysBefore, seeding.elapsed() / 1000.0);
    target.database = kDatabase;
    Database db(nullptr, QStringLiteral("bench-monitor"));
    db.Open(target);
    ReportRefresh(db, "the monitor's read with the host's indexes only:");
    AddMonitorIndexes(admin);
    ReportRefresh(db, "with db/monitor-indexes.sql:");
    ReportProgram(target, kTerminals, EnvOr("RELVANE_BENCH_MONITOR_SECONDS", "60").toInt());
    admin.Exec(QStringLiteral("DROP DATABASE IF EXISTS ") + kDatabase);
    return 0;
}
