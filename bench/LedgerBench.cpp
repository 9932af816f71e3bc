// Statements and time for the money routines of one order: the waiting record (debit at order
// on, group price, purchase price, debit and row together), and the rebates of a success (the
// group-price scheme with two credits, the member chain with two steps and a per-product
// rebate). Each runs on the native and on the ODBC driver, in a database of its own.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "BenchSupport.h"
#include "Schema.h"
#include "chat/Output.h"
#include "dispatch/Workers.h"
#include "store/SettingsStore.h"
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
    return true;
}

// One terminal's objects on the given driver.
struct Terminal {
    explicit Terminal(const QString& driver)
        : settings(dir.path()), util(dir.path(), &settings), db(&util, QStringLiteral("bench")) {
        values.TerminalName = QStringLiteral("Terminal #5");
        values.TerminalNo = 5;
        values.DebitAtOrder = 1;
        values.SeparatePackageRebate = 1;
        opened = db.Open(Connection(driver, kBenchDb));
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

void ExecuteMenunggu(benchmark::State& state, const QString& driver) {
    Measure(state, driver, [](Workers& c) {
        c.waiting.ExecuteMenunggu(QStringLiteral("BA"), QStringLiteral("0811"),
                                  QStringLiteral("S10"), QStringLiteral("08123"), 0, 5,
                                  QStringLiteral("T1#2#0"));
    });
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

BENCHMARK_CAPTURE(ExecuteMenunggu, native, QStringLiteral("QMYSQL"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ExecuteMenunggu, odbc, QStringLiteral("MariaDB Unicode"))
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
