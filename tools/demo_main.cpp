// relvane-demo prepare | run [ORDERS] [PACE_MS]: the demo's database and settings, then its
// host, suppliers and narrator around two running terminals (1 and 2) on the private servers.
// Ctrl-C ends the run early, with its summary. The exit status is 0 when the summary adds up.
#include <QCoreApplication>
#include <QTextStream>
#include <atomic>
#include <csignal>

#include "Demo.h"
#include "Environment.h"
#include "store/Database.h"
#include "store/SettingsStore.h"

namespace {

std::atomic<bool> interrupted{false};

DbTarget DemoDatabase() {
    DbTarget target;
    target.driver = QStringLiteral("QMYSQL");
    target.server = EnvOr("RELVANE_DB_HOST", "127.0.0.1");
    target.port = EnvOr("RELVANE_DB_PORT", "33061");
    target.uid = EnvOr("RELVANE_DB_USER", "relvane");
    target.password = EnvOr("RELVANE_DB_PASSWORD", "relvane");
    target.database = EnvOr("RELVANE_DEMO_DB", "relvane_demo");
    return target;
}

Demo::Options DemoOptions(const QStringList& args) {
    Demo::Options o;
    o.xmppDomain = EnvOr("RELVANE_XMPP_DOMAIN", "localhost");
    o.xmppPort = EnvOr("RELVANE_XMPP_PORT", "52220").toInt();
    o.xmppPassword = EnvOr("RELVANE_XMPP_PASSWORD", "relvane");
    if (args.size() > 2) o.orders = qMax(1, args[2].toInt());
    if (args.size() > 3) o.paceMs = qMax(100, args[3].toInt());
    return o;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = app.arguments();
    const QString command = args.value(1);
    if (command != QLatin1String("prepare") && command != QLatin1String("run")) {
        QTextStream(stderr) << "usage: relvane-demo prepare | run [ORDERS] [PACE_MS]\n";
        return 2;
    }
    Database db(nullptr, QStringLiteral("demo"));
    if (!db.Open(DemoDatabase())) {
        QTextStream(stderr) << "relvane-demo: no database: " << db.LastOpenError() << "\n";
        return 1;
    }
    const Demo::Options options = DemoOptions(args);
    try {
        if (command == QLatin1String("prepare")) {
            Demo::Prepare(db, SettingsStore(), options);
            return 0;
        }
        Demo demo(db, options, out);
        QObject::connect(&demo, &Demo::Finished, &app, [&app](bool ok) { app.exit(ok ? 0 : 1); });
        std::signal(SIGINT, [](int) { interrupted = true; });
        std::signal(SIGTERM, [](int) { interrupted = true; });
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, &demo, [&demo] {
            if (interrupted) demo.Stop();
        });
        watch.start(100);
        demo.Start();
        return app.exec();
    } catch (const std::exception& e) {
        QTextStream(stderr) << "relvane-demo: " << Describe(e) << "\n";
        return 1;
    }
}
