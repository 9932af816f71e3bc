// relvane-cluster-conflict: money units run at the same time on two nodes of a Galera cluster
// (bench/galera start), then a check that every amount still adds up.
//
// Two runs, each with WORKERS connections per node (alternating between the nodes), each worker
// running UNITS units through the real Deposits and Ledger classes inside Database::Transaction:
//   deposit  every unit charges the same reseller and appends to that reseller's ledger: the
//            writes of both nodes touch one row, so the cluster must refuse one of two
//            overlapping units and the door must run it again;
//   rebate   every unit charges the worker's own reseller and credits the one upline's ledger,
//            as the rebates of two terminals' sales do: the units share only the ledger.
// Printed per run: units committed, retried and lost, the errors the retries answered (by
// code), the cluster's own conflict counters (wsrep_local_cert_failures and
// wsrep_local_bf_aborts, summed over both nodes), and the checks: deposits = start - charges,
// ledger entries = units committed, each entry's balance = the previous balance + its credit.
//
// usage: relvane-cluster-conflict [--ports 33072,33073] [--workers 2] [--units 200]
//                                 [--driver QMYSQL|"MariaDB Unicode"] [--runs deposit,rebate]
// The database relvane_conflict is created afresh on the first port's node.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMap>
#include <QMutex>
#include <QTemporaryDir>
#include <QTextStream>
#include <atomic>
#include <thread>
#include <vector>

#include "Environment.h"
#include "Schema.h"
#include "ledger/Deposits.h"
#include "ledger/Ledger.h"
#include "store/Database.h"
#include "store/SettingsStore.h"
#include "store/UtilityComponent.h"

namespace {

const QString kDb = QStringLiteral("relvane_conflict");
constexpr qint32 kStartDeposit = 1000000000;
constexpr qint32 kPrice = 7;
constexpr qint32 kCredit = 3;

struct Options {
    QStringList ports;
    QString driver;
    int workers = 2;
    int units = 200;
};

DbTarget Target(const Options& o, const QString& port, const QString& database) {
    DbTarget t;
    t.driver = o.driver;
    t.server = EnvOr("RELVANE_DB_HOST", "127.0.0.1");
    t.port = port;
    t.uid = EnvOr("RELVANE_DB_USER", "relvane");
    t.password = EnvOr("RELVANE_DB_PASSWORD", "relvane");
    t.database = database;
    return t;
}

// What the workers saw, shared between their threads.
struct Tally {
    std::atomic<int> committed{0};
    std::atomic<int> attempts{0};
    std::atomic<int> lost{0};
    std::atomic<int> commitRefusals{0};  // a body that ran to its end and still ran again
    QMutex mutex;
    QMap<QString, int> retriedCodes;  // statement errors that made the door run a unit again
    QMap<QString, int> lostErrors;    // what escaped the door

    void Note(QMap<QString, int>& map, const QString& key) {
        QMutexLocker lock(&mutex);
        ++map[key];
    }
};

QString CodeOf(const DbError& e) {
    return (e.Code().isEmpty() ? QStringLiteral("(no code)") : e.Code()) +
           (e.RolledBack() ? QStringLiteral(" rolled back") : QStringLiteral(" not rolled back"));
}

// One worker: its own connection on its node, its own Deposits and Ledger.
void Work(const Options& o, const QString& port, int index, bool rebateRun, Tally& tally) {
    QTemporaryDir home;
    SettingsStore settings(home.path());
    UtilityComponent util(home.path(), &settings);
    ProcessValues values;
    values.TerminalName = QStringLiteral("Conflict #%1").arg(index);
    Database db(&util, QStringLiteral("conflict-%1").arg(index));
    if (!db.Open(Target(o, port, kDb))) {
        QTextStream(stderr) << "worker " << index << ": " << db.LastOpenError() << "\n";
        tally.lost += o.units;
        return;
    }
    // The schema was made on another node: wait until this one has applied it.
    db.Exec(QStringLiteral("SET SESSION wsrep_sync_wait = 1"));
    db.Exec(QStringLiteral("SELECT COUNT(*) AS n FROM reseller"));
    db.Exec(QStringLiteral("SET SESSION wsrep_sync_wait = 0"));
    Context ctx{db, util, settings, values};
    Deposits deposits(ctx);
    Ledger ledger(ctx, deposits);
    const QString charged = rebateRun ? QStringLiteral("D%1").arg(index) : QStringLiteral("CC");
    const QString book = rebateRun ? QStringLiteral("UP") : QStringLiteral("CC");
    for (int u = 0; u < o.units; ++u) {
        bool bodyEnded = false;
        try {
            db.Transaction([&] {
                if (bodyEnded) ++tally.commitRefusals;
                bodyEnded = false;
                ++tally.attempts;
                try {
                    deposits.UpdateDeposit(charged, kPrice, QStringLiteral("-"));
                    ledger.InsertToRekening(QStringLiteral("CONFLICT"), 0, kCredit, book,
                                            QStringLiteral("unit %1.%2").arg(index).arg(u));
                } catch (const DbError& e) {
                    tally.Note(tally.retriedCodes, CodeOf(e));
                    throw;
                }
                bodyEnded = true;
            });
            ++tally.committed;
        } catch (const DbError& e) {
            ++tally.lost;
            tally.Note(tally.lostErrors, CodeOf(e) + QStringLiteral(": ") + e.Description());
        }
    }
}

qint64 ClusterCounter(const Options& o, const QString& name) {
    qint64 sum = 0;
    for (const QString& port : o.ports) {
        Database db(nullptr, QStringLiteral("conflict-status"));
        if (!db.Open(Target(o, port, QString()))) continue;
        const DbResult r =
            db.Exec(QStringLiteral("SHOW GLOBAL STATUS LIKE '") + name + QLatin1Char('\''));
        if (!r.IsEmpty()) sum += r.Int(0, QStringLiteral("Value"));
    }
    return sum;
}

void Prepare(const Options& o) {
    {
        Database admin(nullptr, QStringLiteral("conflict-admin"));
        if (!admin.Open(Target(o, o.ports.first(), QString())))
            throw DbError(admin.LastOpenError());
        admin.Exec(QStringLiteral("DROP DATABASE IF EXISTS relvane_conflict"));
        admin.Exec(QStringLiteral("CREATE DATABASE relvane_conflict CHARACTER SET utf8mb4"));
    }
    Database db(nullptr, QStringLiteral("conflict-seed"));
    if (!db.Open(Target(o, o.ports.first(), kDb))) throw DbError(db.LastOpenError());
    for (const QString& statement :
         SchemaStatements(QStringLiteral(RELVANE_SOURCE_DIR "/db/schema.sql")))
        db.Exec(statement);
    const QString reseller =
        QStringLiteral("INSERT INTO reseller (kode_reseller, deposit) VALUES (?, ?)");
    db.Exec(reseller, {QStringLiteral("CC"), kStartDeposit});
    db.Exec(reseller, {QStringLiteral("UP"), kStartDeposit});
    for (int i = 0; i < o.workers * o.ports.size(); ++i)
        db.Exec(reseller, {QStringLiteral("D%1").arg(i), kStartDeposit});
}

// Checks from the database alone, read on the first node once it has applied every commit.
bool Check(const Options& o, bool rebateRun, int committed, QTextStream& out) {
    Database db(nullptr, QStringLiteral("conflict-check"));
    if (!db.Open(Target(o, o.ports.first(), kDb))) throw DbError(db.LastOpenError());
    db.Exec(QStringLiteral("SET SESSION wsrep_sync_wait = 1"));
    bool ok = true;
    const auto yes = [&ok](bool b) {
        ok = ok && b;
        return b ? "yes" : "NO";
    };
    const QString book = rebateRun ? QStringLiteral("UP") : QStringLiteral("CC");
    qint64 charges = 0;
    const DbResult deposits = db.Exec(
        QStringLiteral("SELECT kode_reseller, deposit FROM reseller WHERE kode_reseller <> 'UP'"));
    for (int i = 0; i < deposits.RecordCount(); ++i)
        charges += kStartDeposit - deposits.Int(i, QStringLiteral("deposit"));
    const DbResult rows = db.Exec(
        QStringLiteral("SELECT kredit, debet, saldo, uraian FROM rekening WHERE kode_reseller = ? "
                       "ORDER BY id"),
        {book});
    qint64 saldo = 0;
    int broken = 0;
    for (int i = 0; i < rows.RecordCount(); ++i) {
        saldo += rows.Int(i, QStringLiteral("kredit")) - rows.Int(i, QStringLiteral("debet"));
        if (rows.Int(i, QStringLiteral("saldo")) != saldo) {
            if (++broken <= 3)
                out << "  off the chain: " << rows.Text(i, QStringLiteral("uraian")) << "\n";
            saldo = rows.Int(i, QStringLiteral("saldo"));
        }
    }
    out << "  deposits = start - " << kPrice << " x committed units (" << charges
        << " charged): " << yes(charges == qint64{kPrice} * committed) << "\n";
    out << "  ledger entries = committed units (" << rows.RecordCount()
        << "): " << yes(rows.RecordCount() == committed) << "\n";
    out << "  ledger balance chain exact (" << broken
        << " entries off the previous balance): " << yes(broken == 0) << "\n";
    return ok;
}

bool Run(const Options& o, bool rebateRun, QTextStream& out) {
    Prepare(o);
    const qint64 cert0 = ClusterCounter(o, QStringLiteral("wsrep_local_cert_failures"));
    const qint64 bf0 = ClusterCounter(o, QStringLiteral("wsrep_local_bf_aborts"));
    Tally tally;
    QElapsedTimer clock;
    clock.start();
    std::vector<std::thread> threads;
    for (int i = 0; i < o.workers * o.ports.size(); ++i) {
        const QString port = o.ports[i % o.ports.size()];
        threads.emplace_back(
            [&o, port, i, rebateRun, &tally] { Work(o, port, i, rebateRun, tally); });
    }
    for (auto& t : threads) t.join();
    const qint64 ms = clock.elapsed();
    const qint64 cert = ClusterCounter(o, QStringLiteral("wsrep_local_cert_failures")) - cert0;
    const qint64 bf = ClusterCounter(o, QStringLiteral("wsrep_local_bf_aborts")) - bf0;
    const int units = o.workers * o.ports.size() * o.units;
    out << (rebateRun ? "rebate" : "deposit") << " run: " << units << " units, " << threads.size()
        << " connections on ports " << o.ports.join(QLatin1Char(',')) << ", driver " << o.driver
        << ", " << ms << " ms (" << (ms > 0 ? units * 1000 / ms : 0) << " units/s)\n";
    out << "  committed " << tally.committed << ", runs of a unit " << tally.attempts
        << ", retried " << tally.attempts - units << " (at commit " << tally.commitRefusals
        << "), lost " << tally.lost << "\n";
    out << "  cluster conflicts: wsrep_local_cert_failures +" << cert << ", wsrep_local_bf_aborts +"
        << bf << "\n";
    for (auto it = tally.retriedCodes.cbegin(); it != tally.retriedCodes.cend(); ++it)
        out << "  statement error " << it.key() << ": " << it.value() << "\n";
    for (auto it = tally.lostErrors.cbegin(); it != tally.lostErrors.cend(); ++it)
        out << "  lost: " << it.key() << ": " << it.value() << "\n";
    out.flush();
    return Check(o, rebateRun, tally.committed, out);
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOptions({
        {QStringLiteral("ports"), QStringLiteral("SQL ports of the nodes"), QStringLiteral("list"),
         QStringLiteral("33072,33073")},
        {QStringLiteral("workers"), QStringLiteral("connections per node"), QStringLiteral("n"),
         QStringLiteral("2")},
        {QStringLiteral("units"), QStringLiteral("units per connection"), QStringLiteral("n"),
         QStringLiteral("200")},
        {QStringLiteral("driver"), QStringLiteral("QMYSQL or an ODBC driver name"),
         QStringLiteral("name"), QStringLiteral("QMYSQL")},
        {QStringLiteral("runs"), QStringLiteral("deposit, rebate or both"), QStringLiteral("list"),
         QStringLiteral("deposit,rebate")},
    });
    parser.addHelpOption();
    parser.process(app);
    Options o;
    o.ports = parser.value(QStringLiteral("ports")).split(QLatin1Char(','), Qt::SkipEmptyParts);
    o.workers = qMax(1, parser.value(QStringLiteral("workers")).toInt());
    o.units = qMax(1, parser.value(QStringLiteral("units")).toInt());
    o.driver = parser.value(QStringLiteral("driver"));
    const QStringList runs = parser.value(QStringLiteral("runs")).split(QLatin1Char(','));
    QTextStream out(stdout);
    bool ok = true;
    try {
        if (runs.contains(QLatin1String("deposit"))) ok = Run(o, false, out) && ok;
        if (runs.contains(QLatin1String("rebate"))) ok = Run(o, true, out) && ok;
    } catch (const std::exception& e) {
        QTextStream(stderr) << "relvane-cluster-conflict: " << Describe(e) << "\n";
        return 1;
    }
    return ok ? 0 : 1;
}
