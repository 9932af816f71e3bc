// One bound SELECT round trip through the database door, on the native and the ODBC driver,
// against the raw Qt driver call on the same connection kind.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>

#include "BenchSupport.h"
#include "store/Database.h"

namespace {

const QString kSelect = QStringLiteral("SELECT deposit FROM reseller WHERE kode_reseller = ?");

void Seed() {
    Database db(nullptr, QStringLiteral("bench-seed"));
    if (!db.Open(BenchTarget(QStringLiteral("QMYSQL")))) return;
    db.Exec(
        QStringLiteral("INSERT IGNORE INTO reseller (kode_reseller, nama_reseller, deposit) "
                       "VALUES ('BENCH1', 'Bench', 100000)"));
}

void Door(benchmark::State& state, const QString& driver) {
    Database db(nullptr, QStringLiteral("bench-door"));
    if (!db.Open(BenchTarget(driver))) {
        state.SkipWithError(db.LastOpenError().toStdString().c_str());
        return;
    }
    for (auto _ : state) {
        const DbResult r = db.Exec(kSelect, {QStringLiteral("BENCH1")});
        benchmark::DoNotOptimize(r.Int(0, QStringLiteral("deposit")));
    }
}

void Raw(benchmark::State& state, const QString& driver) {
    Database door(nullptr, QStringLiteral("bench-raw"));
    if (!door.Open(BenchTarget(driver))) {
        state.SkipWithError(door.LastOpenError().toStdString().c_str());
        return;
    }
    QSqlQuery q(QSqlDatabase::database(QStringLiteral("bench-raw")));
    q.setForwardOnly(true);
    q.prepare(kSelect);
    for (auto _ : state) {
        q.bindValue(0, QStringLiteral("BENCH1"));
        q.exec();
        q.next();
        benchmark::DoNotOptimize(q.value(0).toLongLong());
        q.finish();
    }
}

}  // namespace

BENCHMARK_CAPTURE(Door, native, QStringLiteral("QMYSQL"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Raw, native, QStringLiteral("QMYSQL"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Door, odbc, QStringLiteral("MariaDB Unicode"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Raw, odbc, QStringLiteral("MariaDB Unicode"))->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Seed();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
