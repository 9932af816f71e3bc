// A real headless terminal against the private servers: what it costs while idle (statements
// per second, CPU share, resident memory over a minute) and how long a job takes from its row
// in the queue to the message at the supplier's account. Prints figures; asserts nothing.
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>

#include "BenchSupport.h"
#include "DemoWorld.h"
#include "Environment.h"
#include "FakeSupplier.h"
#include "chat/PasswordScramble.h"
#include "store/Database.h"
#include "store/SettingsKeys.h"
#include "store/SettingsStore.h"
#include "store/Stamps.h"

namespace {

const int kTerminal = 12;
const QString kDatabase = QStringLiteral("relvane_bench_terminal");

bool Wait(const std::function<bool()>& done, int ms) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

qint64 Questions(Database& db) {
    return db.Exec(QStringLiteral("SHOW GLOBAL STATUS LIKE 'Questions'"))
        .Int(0, QStringLiteral("Value"));
}

// utime + stime in clock ticks, and the resident set in kB, of a process.
std::pair<qint64, qint64> ProcessUsage(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!stat.open(QIODevice::ReadOnly) || !status.open(QIODevice::ReadOnly)) return {0, 0};
    const QString s = QString::fromLatin1(stat.readAll());
    const QStringList f = s.mid(s.lastIndexOf(')') + 2).split(' ');
    const qint64 ticks = f.value(11).toLongLong() + f.value(12).toLongLong();
    qint64 rss = 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) rss = line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return {ticks, rss};
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int idleSeconds = EnvOr("RELVANE_BENCH_IDLE_SECONDS", "60").toInt();
    const QString domain = EnvOr("RELVANE_XMPP_DOMAIN", "localhost");
    const QString password = EnvOr("RELVANE_XMPP_PASSWORD", "relvane");
    const int xmppPort = EnvOr("RELVANE_XMPP_PORT", "52220").toInt();

    DbTarget target = BenchTarget(QStringLiteral("QMYSQL"));
    Database admin(nullptr, QStringLiteral("bench-admin"));
    target.database = QStringLiteral("mysql");
    if (!admin.Open(target)) {
        std::fprintf(stderr, "private MariaDB not reachable: %s\n",
                     qPrintable(admin.LastOpenError()));
        return 1;
    }
    RecreateBenchDatabase(admin, kDatabase);
    // The jobs' reseller and product, priced as in the demo: an order nobody can pay for
    // would be dropped, not sent.
    DemoWorld::Plan world;
    world.terminals = {kTerminal};
    world.members = {{QStringLiteral("R1"), QStringLiteral("Bench"), 100000000, QString()}};
    DemoWorld::PrepareTables(admin, world);

    QTemporaryDir home, config;
    WriteBenchSettingIni(home.path(), target, kDatabase);
    SettingsStore settings(config.path());
    const QString supplierJid = QStringLiteral("supplier%1@").arg(kTerminal) + domain;
    auto save = [&](const char* stem, const QString& value) {
        settings.SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting,
                             Keys::PerTerminal(stem, kTerminal), value);
    };
    save(Keys::kUidHbv, QStringLiteral("terminal%1@").arg(kTerminal) + domain);
    save(Keys::kPwdHbv, PasswordScramble::ScrambleText(password, Keys::kPasswordKey));
    save(Keys::kJHostname, QStringLiteral("127.0.0.1"));
    save(Keys::kJPort, QString::number(xmppPort));
    save(Keys::kServerHbv, supplierJid);

    FakeSupplier supplier(supplierJid, password, QStringLiteral("127.0.0.1"), xmppPort, -1);
    QElapsedTimer clock;
    QHash<QString, qint64> sentAt;
    QVector<qint64> latencies;
    QObject::connect(&supplier, &FakeSupplier::OrderReceived,
                     [&](const QString&, const QString& body) {
                         if (sentAt.contains(body))
                             latencies.append(clock.elapsed() - sentAt.take(body));
                     });
    supplier.Start();

    QProcess terminal;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("RELVANE_CONFIG_DIR"), config.path());
    terminal.setProcessEnvironment(env);
    terminal.setStandardOutputFile(QProcess::nullDevice());
    terminal.start(
        QStringLiteral(RELVANE_BINARY),
        {QStringLiteral("--headless"), QStringLiteral("--home"), home.path(),
         QStringLiteral("Terminal #%1@@Relvane@@1@@%2").arg(kTerminal).arg(target.password)});
    const bool online = Wait(
        [&] {
            return supplier.IsOnline() &&
                   admin.Exec(QStringLiteral("SELECT status FROM terminal WHERE terminal = ?"),
                              {kTerminal})
                           .Text(0, QStringLiteral("status")) == QLatin1String("1");
        },
        20000);
    if (!online) {
        std::fprintf(stderr, "terminal did not log in\n");
        return 1;
    }
    Wait([] { return false; }, 2000);  // let the login settle

    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    const auto before = ProcessUsage(terminal.processId());
    const qint64 q0 = Questions(admin);
    Wait([] { return false; }, idleSeconds * 1000);
    const qint64 q1 = Questions(admin);
    const auto after = ProcessUsage(terminal.processId());
    const double statements = double(q1 - q0 - 1) / idleSeconds;  // less our own SHOW STATUS
    const double cpu = 100.0 * double(after.first - before.first) / ticksPerSecond / idleSeconds;
    std::printf(
        "idle terminal over %d s: %.2f statements/s, CPU %.2f %%, resident memory %lld kB\n",
        idleSeconds, statements, cpu, static_cast<long long>(after.second));

    clock.start();
    const int jobs = 20;
    for (int i = 0; i < jobs; ++i) {
        const QString pesan = QStringLiteral("S5.0812%1.%2").arg(i, 6, 10, QLatin1Char('0')).arg(i);
        sentAt.insert(pesan, clock.elapsed());
        admin.Exec(
            QStringLiteral(
                "INSERT INTO job_quenue (datetime, kode_produk, tujuan, pesan, kode_reseller, "
                "hp_reseller, trx_id, terminal) VALUES (?, 'S5', '0812', ?, 'R1', '0811', ?, ?)"),
            {NowStamp(), pesan, QString::number(i), kTerminal});
        Wait([&] { return !sentAt.contains(pesan); }, 10000);
    }
    if (!latencies.isEmpty()) {
        std::sort(latencies.begin(), latencies.end());
        qint64 sum = 0;
        for (qint64 l : latencies) sum += l;
        std::printf(
            "job row to supplier message (%d jobs, one at a time): mean %lld ms, min %lld ms, "
            "median %lld ms, max %lld ms\n",
            int(latencies.size()), static_cast<long long>(sum / latencies.size()),
            static_cast<long long>(latencies.first()),
            static_cast<long long>(latencies[latencies.size() / 2]),
            static_cast<long long>(latencies.last()));
    }
    terminal.terminate();
    terminal.waitForFinished(5000);
    admin.Exec(QStringLiteral("DROP DATABASE IF EXISTS ") + kDatabase);
    return 0;
}
