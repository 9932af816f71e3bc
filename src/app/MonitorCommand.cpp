#include "app/MonitorCommand.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "monitor/FeedReader.h"
#include "monitor/FleetPages.h"
#include "monitor/FleetSnapshot.h"
#include "monitor/MonitorServer.h"
#include "monitor/SnapshotThread.h"
#include "store/ConnectDatabase.h"
#include "store/Database.h"
#include "store/SettingsStore.h"
#include "store/UtilityComponent.h"

namespace {

const char kUsage[] =
    "usage: relvane monitor [--home DIR] [--listen ADDR:PORT] [--refresh SECONDS]\n";

void Quit(int) {
    QCoreApplication::quit();
}

// The token, or an empty text; a named file that cannot be read is an error.
bool ReadToken(QString* token, QString* error) {
    *token = qEnvironmentVariable("RELVANE_MONITOR_TOKEN");
    const QString file = qEnvironmentVariable("RELVANE_MONITOR_TOKEN_FILE");
    if (token->isEmpty() && !file.isEmpty()) {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("cannot read the token file %1: %2").arg(file, f.errorString());
            return false;
        }
        *token = QString::fromUtf8(f.readAll()).trimmed();
    }
    return true;
}

}  // namespace

int RunMonitorCommand(const QStringList& arguments) {
    QTextStream out(stdout), err(stderr);
    QString home = qEnvironmentVariable("RELVANE_HOME");
    QString listen = QStringLiteral("127.0.0.1:8780");
    int refreshSeconds = 5;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        const QString value = arguments.value(i + 1);
        if (a == QLatin1String("--home") && !value.isEmpty()) {
            home = value;
        } else if (a == QLatin1String("--listen") && !value.isEmpty()) {
            listen = value;
        } else if (a == QLatin1String("--refresh") && value.toInt() > 0) {
            refreshSeconds = value.toInt();
        } else {
            err << kUsage << Qt::flush;
            return 2;
        }
        ++i;
    }
    if (home.isEmpty()) home = QCoreApplication::applicationDirPath();
    home = QDir(home).absolutePath();

    const int colon = listen.lastIndexOf(QLatin1Char(':'));
    QString listenHost = listen.left(colon);
    if (listenHost.startsWith(QLatin1Char('[')) && listenHost.endsWith(QLatin1Char(']')))
        listenHost = listenHost.mid(1, listenHost.size() - 2);
    bool portOk = false;
    const int listenPort = listen.mid(colon + 1).toInt(&portOk);
    if (colon <= 0 || !portOk || listenPort <= 0 || listenPort > 65535) {
        err << "--listen wants ADDR:PORT, not " << listen << Qt::endl;
        return 2;
    }
    QString token, tokenError;
    if (!ReadToken(&token, &tokenError)) {
        err << tokenError << Qt::endl;
        return 1;
    }
    if (token.isEmpty() && !MonitorServer::IsLoopback(listenHost)) {
        err << "refusing to listen on " << listenHost
            << " without a token (RELVANE_MONITOR_TOKEN or RELVANE_MONITOR_TOKEN_FILE)" << Qt::endl;
        return 1;
    }

    const QString feedHostText = qEnvironmentVariable("RELVANE_MONITOR_HOST");
    const QHostAddress feedHost =
        feedHostText.isEmpty() ? QHostAddress(QHostAddress::LocalHost) : QHostAddress(feedHostText);
    const int feedPortSetting = qEnvironmentVariableIntValue("RELVANE_MONITOR_PORT");
    const quint16 feedPort = feedPortSetting > 0 ? static_cast<quint16>(feedPortSetting) : 8702;
    FeedReader feed;
    QString feedError;
    if (feedHost.isNull() || !feed.Listen(feedHost, feedPort, &feedError)) {
        err << "cannot receive the feed on " << feedHostText << ":" << feedPort << ": " << feedError
            << Qt::endl;
        return 1;
    }

    DbTarget target;
    try {
        const SettingsStore store;
        const UtilityComponent util(home, &store);
        target = ReadDatabaseSettings(util, DatabasePassword(QString()));
    } catch (const std::exception& e) {
        err << e.what() << Qt::endl;
        return 1;
    }

    MonitorServer server(token);
    if (!server.Start(listenHost, listenPort)) {
        err << "cannot listen on " << listen << Qt::endl;
        return 1;
    }
    FleetSnapshot snapshot;
    const auto publish = [&] {
        const QDateTime now = QDateTime::currentDateTime();
        server.Publish(FleetPages::Html(snapshot, feed, now), FleetPages::Json(snapshot, feed, now),
                       FleetPages::Metrics(snapshot, feed));
    };
    publish();
    QTimer feedTimer;  // the feed's records show within a second
    feedTimer.setSingleShot(true);
    QObject::connect(&feedTimer, &QTimer::timeout, publish);
    QObject::connect(&feed, &FeedReader::Changed, [&feedTimer] {
        if (!feedTimer.isActive()) feedTimer.start(1000);
    });
    SnapshotThread reader(home, target, refreshSeconds, &feed, [&](const FleetSnapshot& read) {
        snapshot = read;
        publish();
    });
    reader.Start();
    std::signal(SIGTERM, Quit);
    std::signal(SIGINT, Quit);
    out << "monitor: feed on " << feedHost.toString() << ":" << feed.Port() << ", page on http://"
        << listen << "/" << Qt::endl;
    const int code = QCoreApplication::exec();
    server.Stop();
    if (!reader.Stop(5000)) {
        // Its connection is still waiting for the database: end without tearing it down.
        err << "the database did not answer; stopping without waiting for it" << Qt::endl;
        std::fflush(nullptr);
        std::_Exit(code);
    }
    return code;
}
