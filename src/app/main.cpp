#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTextStream>
#include <csignal>
#include <memory>

#include "app/CommandLine.h"
#include "app/ConfigCommand.h"
#include "app/MonitorCommand.h"
#include "app/ServiceNotify.h"
#include "controls/Controls.h"
#include "dispatch/Core.h"
#include "gui/MainWindow.h"
#include "store/Output.h"

namespace {

int signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char one = 1;
    [[maybe_unused]] ssize_t n = ::write(signalPipe[1], &one, 1);
}

// SIGTERM and SIGINT end the terminal through its normal shutdown (terminal marked off).
void EndOnSignals(Core& core) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &core);
    QObject::connect(notifier, &QSocketNotifier::activated, &core, [&core] { core.FormUnload(); });
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGINT, OnSignal);
}

void PrintHeadless(Core& core) {
    auto* out = new QTextStream(stdout);
    auto* err = new QTextStream(stderr);
    QObject::connect(&core.Out(), &Output::Line, &core,
                     [out](const QString& label, const QString& text) {
                         *out << Output::LineText(label, text) << Qt::endl;
                     });
    QObject::connect(&core.Out(), &Output::Block, &core, [out](const MessageBlock& block) {
        *out << Output::BlockText(block) << Qt::flush;
    });
    QObject::connect(&core.Out(), &Output::Box, &core,
                     [err](const QString& title, const QString& text) {
                         *err << title << ": " << text << Qt::endl;
                     });
}

}  // namespace

int main(int argc, char* argv[]) {
    // Answered before any application object exists: no display, no program folder needed.
    QStringList words;
    for (int i = 0; i < argc; ++i) words.append(QString::fromLocal8Bit(argv[i]));
    const QString information = CommandLine::Information(words);
    if (!information.isEmpty()) {
        QTextStream(stdout) << information;
        return 0;
    }
    if (argc > 1 && QString::fromLocal8Bit(argv[1]) == QLatin1String("config")) {
        QCoreApplication app(argc, argv);
        return RunConfigCommand(app.arguments().mid(2));
    }
    if (argc > 1 && QString::fromLocal8Bit(argv[1]) == QLatin1String("monitor")) {
        QCoreApplication app(argc, argv);
        return RunMonitorCommand(app.arguments().mid(2));
    }
    // A line that starts no terminal ends here, before a window or the database is opened.
    const QString executable = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    QTextStream err(stderr);
    const int end =
        CommandLine::Parse(words, QFileInfo(executable).absolutePath()).EndBeforeStart(err);
    if (end >= 0) return end;
    bool headless = qEnvironmentVariable("RELVANE_HEADLESS") == QLatin1String("1");
    for (int i = 1; i < argc; ++i)
        headless = headless || QLatin1String(argv[i]) == QLatin1String("--headless");
    std::unique_ptr<QCoreApplication> app(headless ? new QCoreApplication(argc, argv)
                                                   : new QApplication(argc, argv));
    const CommandLine line =
        CommandLine::Parse(app->arguments(), QCoreApplication::applicationDirPath());

    Core core(line.home);
    std::unique_ptr<Controls> controls;
    std::unique_ptr<MainWindow> window;
    if (line.headless) {
        PrintHeadless(core);
    } else {
        controls = std::make_unique<Controls>(Controls::Terminal{
            core.Ctx(), core.Values(), core.Out(), core.Chat(), core.Life(), core.Dispatch(),
            core.In(), core.Extra(), core.SharedLookups(), core.Replies()});
        window = std::make_unique<MainWindow>(controls->state, controls->actions, controls->panel,
                                              core.Out());
    }
    QObject::connect(
        &core, &Core::Finished, app.get(), [&app](int code) { app->exit(code); },
        Qt::QueuedConnection);
    // Start-up errors reach stderr in both modes.
    QObject::connect(&core.Out(), &Output::Box, &core,
                     [&line](const QString& title, const QString& text) {
                         if (!line.headless)
                             QTextStream(stderr) << title << ": " << text << Qt::endl;
                     });
    if (!core.FormLoad(line.hostLine)) return core.ExitCode();
    if (window) {
        window->ApplyPosition();
        window->show();
    }
    EndOnSignals(core);
    ServiceNotify notify(core);  // as a systemd service: readiness, status, watchdog
    const int code = app->exec();
    core.FormUnload();
    return code;
}
