// relvane-load N RATE SECONDS [options]: the load benchmark. Starts N headless terminals on
// the private servers, each with its own program folder, settings and supplier account, queues
// RATE orders a second for SECONDS seconds, prints the figures and checks the money. The exit
// status is 0 when every check passed. bench/load starts the servers and runs it.
#include <QCoreApplication>
#include <QTextStream>
#include <atomic>
#include <csignal>

#include "Environment.h"
#include "Load.h"
#include "store/Database.h"

namespace {

std::atomic<bool> interrupted{false};

const char kUsage[] =
    "usage: relvane-load N RATE SECONDS --relvane PROGRAM --work DIR [--db-ports P1,P2,..]\n"
    "         [--drain SECONDS] [--idle SECONDS] [--driver NAME] [--supplier-delay MS]\n"
    "         [--other-resellers COUNT] [--jobs-per-tick K] [--server-pids PID,..]\n"
    "         [--result FILE]\n";

bool ParseOptions(const QStringList& args, Load::Options& o) {
    if (args.size() < 4) return false;
    o.terminals = args[1].toInt();
    o.rate = args[2].toDouble();
    o.seconds = args[3].toInt();
    for (int i = 4; i + 1 < args.size(); i += 2) {
        const QString& flag = args[i];
        const QString& value = args[i + 1];
        if (flag == QLatin1String("--relvane"))
            o.relvane = value;
        else if (flag == QLatin1String("--work"))
            o.workDir = value;
        else if (flag == QLatin1String("--db-ports"))
            o.dbPorts = value.split(QLatin1Char(','));
        else if (flag == QLatin1String("--drain"))
            o.drainSeconds = value.toInt();
        else if (flag == QLatin1String("--idle"))
            o.idleSeconds = value.toInt();
        else if (flag == QLatin1String("--driver"))
            o.driver = value;
        else if (flag == QLatin1String("--supplier-delay"))
            o.supplierDelayMs = value.toInt();
        else if (flag == QLatin1String("--result"))
            o.resultFile = value;
        else if (flag == QLatin1String("--jobs-per-tick"))
            o.jobsPerTick = value.toInt();
        else if (flag == QLatin1String("--other-resellers"))
            o.otherResellers = value.toInt();
        else if (flag == QLatin1String("--server-pids")) {
            for (const QString& pid : value.split(QLatin1Char(','), Qt::SkipEmptyParts))
                o.serverPids.append(pid.toLongLong());
        } else
            return false;
    }
    if (args.size() % 2 != 0) return false;
    return o.terminals > 0 && o.rate > 0 && o.seconds > 0 && !o.relvane.isEmpty() &&
           !o.workDir.isEmpty() && !o.dbPorts.isEmpty();
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    Load::Options o;
    o.dbHost = EnvOr("RELVANE_DB_HOST", "127.0.0.1");
    o.dbPorts = QStringList{EnvOr("RELVANE_DB_PORT", "33061")};
    o.dbUser = EnvOr("RELVANE_DB_USER", "relvane");
    o.dbPassword = EnvOr("RELVANE_DB_PASSWORD", "relvane");
    o.database = EnvOr("RELVANE_DEMO_DB", "relvane_demo");
    o.xmppDomain = EnvOr("RELVANE_XMPP_DOMAIN", "localhost");
    o.xmppPort = EnvOr("RELVANE_XMPP_PORT", "52220").toInt();
    o.xmppPassword = EnvOr("RELVANE_XMPP_PASSWORD", "relvane");
    o.monitorPort = EnvOr("RELVANE_MONITOR_PORT", "8702").toInt();
    if (!ParseOptions(app.arguments(), o)) {
        QTextStream(stderr) << kUsage;
        return 2;
    }
    DbTarget target;
    target.driver = QStringLiteral("QMYSQL");
    target.server = o.dbHost;
    target.port = o.dbPorts.first();
    target.uid = o.dbUser;
    target.password = o.dbPassword;
    target.database = o.database;
    Database db(nullptr, QStringLiteral("load"));
    if (!db.Open(target)) {
        QTextStream(stderr) << "relvane-load: no database: " << db.LastOpenError() << "\n";
        return 1;
    }
    try {
        Load load(db, o, out);
        // Queued: a run that ends at once ends before the event loop has started.
        QObject::connect(
            &load, &Load::Finished, &app, [&app](bool ok) { app.exit(ok ? 0 : 1); },
            Qt::QueuedConnection);
        std::signal(SIGINT, [](int) { interrupted = true; });
        std::signal(SIGTERM, [](int) { interrupted = true; });
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, &load, [&load] {
            if (interrupted.exchange(false)) load.Stop();
        });
        watch.start(100);
        load.Start();
        return app.exec();
    } catch (const std::exception& e) {
        QTextStream(stderr) << "relvane-load: " << Describe(e) << "\n";
        return 1;
    }
}
