// The load benchmark's figures: the database servers' statement counters and the processes'
// CPU and memory at the start and the end of a run, what they add up to per order and per
// terminal, and the cost of idle terminals.
#include <QCoreApplication>
#include <QFile>
#include <algorithm>
#include <cmath>

#include "Load.h"
#include "store/Database.h"

namespace {

const char* const kCounters[] = {"Questions",  "Com_select", "Com_insert", "Com_update",
                                 "Com_delete", "Com_begin",  "Com_commit", "Com_rollback"};

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t i = static_cast<size_t>(std::ceil(p * values.size())) - 1;
    return values[std::min(i, values.size() - 1)];
}

}  // namespace

QString Load::LoadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly)) return QString();
    return QString::fromLatin1(file.readAll()).section(QLatin1Char(' '), 0, 2);
}

void Load::Report(const Snapshot& before, const Snapshot& after, bool ok) {
    std::vector<double> latencies;
    for (int k = 0; k < total_; ++k)
        if (settledMs_[k] >= 0 && queuedMs_[k] >= 0)
            latencies.push_back((settledMs_[k] - queuedMs_[k]) / 1000.0);
    const double wall = (after.atMs - before.atMs) / 1000.0;
    const double sustained = lastSettledMs_ > 0 ? settled_ / (lastSettledMs_ / 1000.0) : 0;
    const auto delta = [&](const char* name) {
        return after.counters.status.value(QLatin1String(name)) -
               before.counters.status.value(QLatin1String(name));
    };
    const double own = static_cast<double>(after.counters.own - before.counters.own);
    const double orders = std::max(1, settled_);
    const double perOrder = (delta("Questions") - own) / orders;

    double cpuSum = 0, cpuMax = 0, rssSum = 0, rssMax = 0, pssSum = 0, pssAnonSum = 0;
    const size_t n = std::min(before.terminals.size(), after.terminals.size());
    for (size_t i = 0; i < n; ++i) {
        const double cpu =
            100.0 * (after.terminals[i].cpuSeconds - before.terminals[i].cpuSeconds) / wall;
        cpuSum += cpu;
        cpuMax = std::max(cpuMax, cpu);
        const double rss = std::max(peakRssKb_[i], after.terminals[i].rssKb) / 1024.0;
        rssSum += rss;
        rssMax = std::max(rssMax, rss);
        pssSum += after.terminals[i].pssKb / 1024.0;
        pssAnonSum += after.terminals[i].pssAnonKb / 1024.0;
    }
    out_ << Qt::endl
         << QStringLiteral("figures: %1 terminals, %2 orders/s offered for %3 s, load average %4")
                .arg(o_.terminals)
                .arg(o_.rate)
                .arg(o_.seconds)
                .arg(LoadAverage())
         << Qt::endl;
    out_ << QStringLiteral(
                "figures: %1 of %2 orders settled, %3 orders/s sustained (settled / time "
                "from the first queued to the last settled)")
                .arg(settled_)
                .arg(total_)
                .arg(sustained, 0, 'f', 1)
         << Qt::endl;
    out_ << QStringLiteral("figures: latency queued -> settled: median %1 s, p99 %2 s, max %3 s")
                .arg(Percentile(latencies, 0.5), 0, 'f', 2)
                .arg(Percentile(latencies, 0.99), 0, 'f', 2)
                .arg(Percentile(latencies, 1.0), 0, 'f', 2)
         << Qt::endl;
    out_ << QStringLiteral(
                "figures: statements per order %1 (select %2, insert %3, update %4, "
                "delete %5, begin %6, commit %7, rollback %8; the host's own %9 left out)")
                .arg(perOrder, 0, 'f', 1)
                .arg(delta("Com_select") / orders, 0, 'f', 1)
                .arg(delta("Com_insert") / orders, 0, 'f', 1)
                .arg(delta("Com_update") / orders, 0, 'f', 1)
                .arg(delta("Com_delete") / orders, 0, 'f', 1)
                .arg(delta("Com_begin") / orders, 0, 'f', 1)
                .arg(delta("Com_commit") / orders, 0, 'f', 1)
                .arg(delta("Com_rollback") / orders, 0, 'f', 1)
                .arg(own)
         << Qt::endl;
    out_ << QStringLiteral(
                "figures: per terminal CPU %1 % mean, %2 % max; resident memory %3 MB "
                "mean, %4 MB max")
                .arg(cpuSum / std::max<size_t>(n, 1), 0, 'f', 1)
                .arg(cpuMax, 0, 'f', 1)
                .arg(rssSum / std::max<size_t>(n, 1), 0, 'f', 1)
                .arg(rssMax, 0, 'f', 1)
         << Qt::endl;
    // What they cost together: the shared libraries' pages counted once among them all.
    out_ << QStringLiteral(
                "figures: per terminal proportional memory (PSS) %1 MB mean, %2 MB of it "
                "anonymous; %3 MB for all %4")
                .arg(pssSum / std::max<size_t>(n, 1), 0, 'f', 1)
                .arg(pssAnonSum / std::max<size_t>(n, 1), 0, 'f', 1)
                .arg(pssSum, 0, 'f', 0)
                .arg(n)
         << Qt::endl;
    // The servers and this program itself (the host and the suppliers) share the machine.
    for (size_t i = 0; i < after.servers.size() && i < before.servers.size(); ++i)
        out_ << QStringLiteral("figures: %1 (pid %2) CPU %3 %")
                    .arg(i + 1 == after.servers.size() ? QStringLiteral("relvane-load")
                                                       : after.servers[i].name)
                    .arg(i + 1 == after.servers.size() ? QCoreApplication::applicationPid()
                                                       : o_.serverPids.value(static_cast<int>(i)))
                    .arg(
                        100.0 * (after.servers[i].cpuSeconds - before.servers[i].cpuSeconds) / wall,
                        0, 'f', 1)
             << Qt::endl;
    // The database's share of an order: its servers' CPU (every node of a cluster) per order.
    double dbCpu = 0;
    for (size_t i = 0; i + 1 < after.servers.size() && i < before.servers.size(); ++i)
        if (after.servers[i].name.startsWith(QLatin1String("mariadbd")) ||
            after.servers[i].name.startsWith(QLatin1String("mysqld")))
            dbCpu += after.servers[i].cpuSeconds - before.servers[i].cpuSeconds;
    out_ << QStringLiteral("figures: database servers' CPU per order %1 ms")
                .arg(1000.0 * dbCpu / orders, 0, 'f', 2)
         << Qt::endl;
    if (o_.resultFile.isEmpty()) return;
    QFile file(o_.resultFile);
    if (!file.open(QIODevice::Append)) return;
    QTextStream(&file) << o_.terminals << '\t' << o_.rate << '\t' << sustained << '\t'
                       << Percentile(latencies, 0.5) << '\t' << Percentile(latencies, 0.99) << '\t'
                       << perOrder << '\t' << cpuSum / std::max<size_t>(n, 1) << '\t' << cpuMax
                       << '\t' << rssSum / std::max<size_t>(n, 1) << '\t' << rssMax << '\t'
                       << LoadAverage().section(QLatin1Char(' '), 0, 0) << '\t'
                       << (ok ? "ok" : "FAILED") << '\t'
                       << (o_.driver == QLatin1String("QMYSQL") ? "native" : "ODBC") << '\n';
}

std::pair<double, double> Load::IdleBursts() const {
    // Statements per 10 ms slot, this program's own reading of the counter left out.
    if (questions_.size() < 20) return {0, 0};
    const qint64 start = questions_.front().first;
    std::vector<double> perSlot((questions_.back().first - start) / 10 + 1, 0.0);
    for (size_t i = 1; i < questions_.size(); ++i)
        perSlot[(questions_[i].first - start) / 10] +=
            std::max<qint64>(0, questions_[i].second - questions_[i - 1].second - 1);
    double busiest = 0, window = 0, all = 0;
    for (size_t i = 0; i < perSlot.size(); ++i) {
        all += perSlot[i];
        window += perSlot[i] - (i >= 10 ? perSlot[i - 10] : 0);
        if (i >= 9) busiest = std::max(busiest, window);
    }
    return {busiest, all / (perSlot.size() / 10.0)};
}

void Load::MeasureIdle() {
    burstTimer_.stop();
    const auto [busiest, average] = IdleBursts();
    const Snapshot idle = Take();
    const double wall = (idle.atMs - idleBefore_.atMs) / 1000.0;
    double cpu = 0;
    const size_t n = std::min(idle.terminals.size(), idleBefore_.terminals.size());
    for (size_t i = 0; i < n; ++i)
        cpu += idle.terminals[i].cpuSeconds - idleBefore_.terminals[i].cpuSeconds;
    const double statements = idle.counters.status.value(QStringLiteral("Questions")) -
                              idleBefore_.counters.status.value(QStringLiteral("Questions")) -
                              static_cast<double>(idle.counters.own - idleBefore_.counters.own);
    const double terminals = std::max<size_t>(n, 1);
    out_ << QStringLiteral(
                "figures: idle terminal (mean of %1 over %2 s): CPU %3 %, %4 statements/s")
                .arg(n)
                .arg(wall, 0, 'f', 0)
                .arg(100.0 * cpu / wall / terminals, 0, 'f', 2)
                .arg(statements / wall / terminals, 0, 'f', 2)
         << Qt::endl;
    // Terminals that wake together send their statements in one burst each second.
    out_ << QStringLiteral(
                "figures: idle database statements in its busiest 100 ms: %1, in 100 ms on "
                "average: %2")
                .arg(busiest, 0, 'f', 0)
                .arg(average, 0, 'f', 1)
         << Qt::endl;
    Finish(ordersOk_);
}

Load::Counters Load::ReadCounters() {
    Counters c;
    QString names;
    for (const char* name : kCounters)
        names += (names.isEmpty() ? QString() : QStringLiteral(", ")) + QLatin1Char('\'') +
                 QLatin1String(name) + QLatin1Char('\'');
    // The names are this program's own constants, not values from outside.
    const QString sql =
        QStringLiteral("SHOW GLOBAL STATUS WHERE Variable_name IN (") + names + QLatin1Char(')');
    std::vector<Database*> servers = {&db_};
    for (const auto& other : others_) servers.push_back(other.get());
    for (Database* db : servers) {
        const DbResult r = db->Exec(sql);
        for (int i = 0; i < r.RecordCount(); ++i)
            c.status[r.Text(i, QStringLiteral("Variable_name"))] +=
                r.Int(i, QStringLiteral("Value"));
        c.own += db->StatementCount();
    }
    return c;
}

Load::Snapshot Load::Take() {
    Snapshot s;
    s.counters = ReadCounters();
    s.atMs = NowMs();
    for (const auto& p : terminals_) s.terminals.push_back(ProcessSample::Of(p->processId()));
    for (qint64 pid : o_.serverPids) s.servers.push_back(ProcessSample::Of(pid));
    s.servers.push_back(ProcessSample::Of(QCoreApplication::applicationPid()));
    return s;
}
