// Statements and time for the money routines of one order: the waiting record (debit at order
// on, group price, purchase price, debit and row together), the rebates of a success (the
// group-price scheme with two credits, the member chain with two steps and a per-product
// rebate), the guards an order passes before it is sent, and the settlement of a reply: a success
// with the member-chain rebates, and a failure re-routed to another terminal. Each runs on the
// native and on the ODBC driver, in a database of its own; "x_round_trip" is the time of one run in
// plain statement round trips
// ("SELECT 1") measured on the same driver in the same run.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QTemporaryDir>

#include "BenchSupport.h"
#include "Schema.h"
#include "dispatch/Workers.h"
#include "queue/Job.h"
#include "store/Output.h"
#include "store/SettingsKeys.h"
#include "store/SettingsStore.h"
#include "store/Stamps.h"
#include "store/UtilityComponent.h"

namespace {

const QString kBenchDb = QStringLiteral("relvane_bench_ledger");

DbTarget Connection(const QString& driver, const QString& database) {
    DbTarget target = BenchTarget(driver);
    target.database = database;
    return target;
}

// A fresh database with the schema and the resellers, prices and chains of the runs.
bool CreateBenchDatabase() {
    {
        Database admin(nullptr, QStringLiteral("bench-admin"));
        if (!admin.Open(Connection(QStringLiteral("QMYSQL"), QString()))) return false;
        admin.Exec(QStringLiteral("DROP DATABASE IF EXISTS relvane_bench_ledger"));
        admin.Exec(QStringLiteral("CREATE DATABASE relvane_bench_ledger CHARACTER SET utf8mb4"));
    }
    Database db(nullptr, QStringLiteral("bench-seed"));
    if (!db.Open(Connection(QStringLiteral("QMYSQL"), kBenchDb))) return false;
    for (const QString& statement :
         SchemaStatements(QStringLiteral(RELVANE_SOURCE_DIR "/db/schema.sql")))
        db.Exec(statement);
    const QString reseller = QStringLiteral(
        "INSERT INTO reseller (kode_reseller, deposit, kode_upline, level, kode_kelompok) "
        "VALUES (?, 2000000000, ?, ?, ?)");
    db.Exec(reseller, {QStringLiteral("BM"), QString(), 1, QStringLiteral("G")});
    db.Exec(reseller, {QStringLiteral("BD"), QStringLiteral("BM"), 2, QStringLiteral("G")});
    db.Exec(reseller, {QStringLiteral("BA"), QStringLiteral("BD"), 3, QStringLiteral("G")});
    db.Exec(reseller, {QStringLiteral("BC"), QStringLiteral("BD"), 3, QStringLiteral("GC")});
    db.Exec(
        QStringLiteral("INSERT INTO produk (kode_produk, harga_jual, harga_beli) "
                       "VALUES ('S10', 10500, 10000)"));
    db.Exec(
        QStringLiteral("INSERT INTO parsing (kode_produk, terminal, harga_jual, harga_beli) "
                       "VALUES ('S10', 5, 10600, 10050)"));
    const QString kelompok = QStringLiteral(
        "INSERT INTO kelompok (kode_kelompok, kode_produk, harga_master, harga_dealer, harga, "
        "rebat_master, rebat_dealer, rebat) VALUES (?, 'S10', 10000, 10100, 10200, 50, 20, 30)");
    db.Exec(kelompok, {QStringLiteral("G")});
    db.Exec(kelompok, {QStringLiteral("GC")});
    const QString chain = QStringLiteral(
        "INSERT INTO harga_agen (kode_kelompok, kode_reseller, kode_produk, rebat) "
        "VALUES ('GC', ?, ?, ?)");
    db.Exec(chain, {QStringLiteral("BC"), QStringLiteral("C1"), 10});
    db.Exec(chain, {QStringLiteral("C1"), QStringLiteral("C2"), 5});
    db.Exec(
        QStringLiteral("INSERT INTO temp_kelompok (kode_kelompok, nama_kelompok, kode_produk, "
                       "harga_master, harga) VALUES ('GC', 'BC', 'S10', 'BD', 7)"));
    db.Exec(
        QStringLiteral("INSERT INTO parsing (kode_produk, terminal, harga_jual, harga_beli, "
                       "cmd) VALUES ('S10', 6, 10600, 10050, 'S10.<tujuan>.<trxid>')"));
    db.Exec(
        QStringLiteral("INSERT INTO balasan (katakunci, balasan, jenis) VALUES ('sukses', "
                       "'<namaproduk> <tujuan> SN:<sn> Saldo <deposit>', 'OKE'), ('gagal', "
                       "'GAGAL <tujuan> Saldo <deposit>', 'ERROR')"));
    return true;
}

// Nanoseconds of one plain statement round trip, per driver, measured before the runs.
QHash<QString, double> roundTrip;

double MeasureRoundTrip(const QString& driver) {
    Database db(nullptr, QStringLiteral("bench-round-trip"));
    if (!db.Open(Connection(driver, kBenchDb))) return 1;
    constexpr int kRuns = 2000;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kRuns; ++i) db.Exec(QStringLiteral("SELECT 1"));
    const double ns = static_cast<double>(timer.nsecsElapsed()) / kRuns;
    fprintf(stderr, "round trip %s: %.1f us\n", driver.toStdString().c_str(), ns / 1000);
    return ns;
}

// One terminal's objects on the given driver.
struct Terminal {
    explicit Terminal(const QString& driver)
        : settings(dir.path()), util(dir.path(), &settings), db(&util, QStringLiteral("bench")) {
        values.TerminalName = QStringLiteral("Terminal #5");
        values.TerminalNo = 5;
        values.DebitAtOrder = 1;
        values.SeparatePackageRebate = 1;
        values.LimitPending = 50;
        opened = db.Open(Connection(driver, kBenchDb));
        settings.SaveSetting(Keys::kAppKzdSql, Keys::kSecSettings, QStringLiteral("Pintar5"),
                             QStringLiteral("1"));
    }
    Context Ctx() { return Context{db, util, settings, values}; }

    QTemporaryDir dir;
    SettingsStore settings;
    UtilityComponent util;
    Database db;
    ProcessValues values;
    bool opened = false;
};

template <typename Step>
void Measure(benchmark::State& state, const QString& driver, Step step) {
    Terminal t(driver);
    if (!t.opened) {
        state.SkipWithError(t.db.LastOpenError().toStdString().c_str());
        return;
    }
    Output out;
    Workers w(t.Ctx(), out);
    const quint64 before = t.db.StatementCount();
    for (auto _ : state) step(w);
    state.counters["statements"] = benchmark::Counter(
        static_cast<double>(t.db.StatementCount() - before) / state.iterations());
}

// Runs a reply against a waiting order written just before it on another connection, so
// that only the settlement's own statements and time are counted.
void Settle(benchmark::State& state, const QString& driver, const QString& words) {
    Terminal t(driver);
    Database seed(nullptr, QStringLiteral("bench-orders"));
    if (!t.opened || !seed.Open(Connection(QStringLiteral("QMYSQL"), kBenchDb))) {
        state.SkipWithError("database not reachable");
        return;
    }
    Output out;
    Workers w(t.Ctx(), out);
    quint64 statements = 0;
    qint64 nanoseconds = 0;
    // Destinations never repeat across runs: an earlier failure of the same number would turn
    // a re-route into a message.
    static int serial = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString tujuan = QStringLiteral("0899%1").arg(++serial, 7, 10, QLatin1Char('0'));
        seed.Exec(QStringLiteral("INSERT INTO transaksi (kode_transaksi, datetime_transaksi, "
                                 "kode_produk, tujuan, kode_reseller, hp_reseller, harga_beli, "
                                 "terminal, status) VALUES ('0#B1#0#0', ?, 'S10', ?, 'BC', "
                                 "'0811', 10200, 5, '2')"),
                  {NowStamp(), tujuan});
        const quint64 before = t.db.StatementCount();
        QElapsedTimer timer;
        state.ResumeTiming();
        timer.start();
        w.settlement.ExecuteReplaySupplier(words + QLatin1Char(' ') + tujuan + QLatin1Char('.'), 5);
        nanoseconds += timer.nsecsElapsed();
        statements += t.db.StatementCount() - before;
    }
    state.counters["statements"] =
        benchmark::Counter(static_cast<double>(statements) / state.iterations());
    state.counters["x_round_trip"] = benchmark::Counter(
        static_cast<double>(nanoseconds) / state.iterations() / roundTrip.value(driver, 1));
}

void SettleSuccess(benchmark::State& state, const QString& driver) {
    Settle(state, driver, QStringLiteral("sukses sn:123"));
}

void SettleRerouted(benchmark::State& state, const QString& driver) {
    Settle(state, driver, QStringLiteral("gagal stok tidak tersedia"));
}

void ExecuteMenunggu(benchmark::State& state, const QString& driver) {
    Measure(state, driver, [](Workers& c) {
        c.waiting.ExecuteMenunggu(QStringLiteral("BA"), QStringLiteral("0811"),
                                  QStringLiteral("S10"), QStringLiteral("08123"), 0, 5,
                                  QStringLiteral("T1#2#0"));
    });
}

// The guards an order passes on its way out: no success today, the pending limit (counted,
// not reached), the deposit.
void GuardsPass(benchmark::State& state, const QString& driver) {
    Job job;
    job.id = 1;
    job.kodeProduk = QStringLiteral("S10");
    job.tujuan = QStringLiteral("08123");
    job.kodeReseller = QStringLiteral("BA");
    job.trxId = QStringLiteral("T1#2#0");
    job.terminal = 6;  // no waiting orders there: the pending limit is not reached
    Measure(state, driver, [&job](Workers& c) { c.guards.Screen(job); });
}

void ProsesRebatGroup(benchmark::State& state, const QString& driver) {
    Measure(state, driver,
            [](Workers& c) { c.rebates.ProsesRebat(QStringLiteral("BA"), QStringLiteral("S10")); });
}

void ProsesRebatChain(benchmark::State& state, const QString& driver) {
    Measure(state, driver,
            [](Workers& c) { c.rebates.ProsesRebat(QStringLiteral("BC"), QStringLiteral("S10")); });
}

}  // namespace

BENCHMARK_CAPTURE(SettleSuccess, native, QStringLiteral("QMYSQL"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(SettleSuccess, odbc, QStringLiteral("MariaDB Unicode"))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(SettleRerouted, native, QStringLiteral("QMYSQL"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(SettleRerouted, odbc, QStringLiteral("MariaDB Unicode"))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ExecuteMenunggu, native, QStringLiteral("QMYSQL"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ExecuteMenunggu, odbc, QStringLiteral("MariaDB Unicode"))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(GuardsPass, native, QStringLiteral("QMYSQL"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(GuardsPass, odbc, QStringLiteral("MariaDB Unicode"))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ProsesRebatGroup, native, QStringLiteral("QMYSQL"))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ProsesRebatGroup, odbc, QStringLiteral("MariaDB Unicode"))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ProsesRebatChain, native, QStringLiteral("QMYSQL"))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ProsesRebatChain, odbc, QStringLiteral("MariaDB Unicode"))
    ->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    try {
        if (!CreateBenchDatabase()) {
            fprintf(stderr, "private MariaDB not reachable (./run services start)\n");
            return 1;
        }
        for (const QString& driver : {QStringLiteral("QMYSQL"), QStringLiteral("MariaDB Unicode")})
            roundTrip[driver] = MeasureRoundTrip(driver);
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        Database admin(nullptr, QStringLiteral("bench-admin"));
        if (admin.Open(Connection(QStringLiteral("QMYSQL"), QString())))
            admin.Exec(QStringLiteral("DROP DATABASE IF EXISTS relvane_bench_ledger"));
    } catch (const std::exception& e) {
        fprintf(stderr, "%s\n", Describe(e).toStdString().c_str());
        return 1;
    }
    return 0;
}
