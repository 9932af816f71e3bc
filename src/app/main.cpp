#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTextStream>
#include <csignal>
#include <cstdio>
#include <cstdlib>
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
volatile std::sig_atomic_t endSignal = 0;

void OnSignal(int signo) {
    endSignal = signo;
    const char one = 1;
    [[maybe_unused]] ssize_t n = ::write(signalPipe[1], &one, 1);
}

// SIGTERM, SIGINT and SIGHUP end the terminal through its normal shutdown (terminal marked off,
// Set.log told). Caught from before start-up: one that comes while start-up runs ends the
// program once start-up is done, which the database's timeouts keep short.
void CatchEndSignals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
    ::fcntl(signalPipe[1], F_SETFL, ::fcntl(signalPipe[1], F_GETFL) | O_NONBLOCK);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signo : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signo, &action, nullptr);
}

void EndOnSignals(Core& core) {
    if (signalPipe[0] < 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &core);
    QObject::connect(notifier, &QSocketNotifier::activated, &core, [&core] {
        char bytes[16];
        [[maybe_unused]] ssize_t n = ::read(signalPipe[0], bytes, sizeof bytes);
        core.FormUnload();
    });
}

// Says that the window has no display to open on, and how to run without one.
void NoDisplay(const char* what) {
    std::fprintf(stderr,
                 "relvane: no display: %s (DISPLAY=%s, WAYLAND_DISPLAY=%s, QT_QPA_PLATFORM=%s); "
                 "start it with --headless to run without a window\n",
                 what, qPrintable(qEnvironmentVariable("DISPLAY")),
                 qPrintable(qEnvironmentVariable("WAYLAND_DISPLAY")),
                 qPrintable(qEnvironmentVariable("QT_QPA_PLATFORM")));
}

// The window needs a display: X11's (DISPLAY) or Wayland's (WAYLAND_DISPLAY), unless the
// platform chosen (QT_QPA_PLATFORM or -platform) is one that needs neither, such as offscreen.
bool HasDisplay(int argc, char* argv[]) {
    QString platforms = qEnvironmentVariable("QT_QPA_PLATFORM");
    for (int i = 1; i + 1 < argc; ++i)
        if (QLatin1String(argv[i]) == QLatin1String("-platform"))
            platforms = QString::fromLocal8Bit(argv[i + 1]);
    const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY");
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (platforms.trimmed().isEmpty()) return x11 || wayland;
    for (const QString& p : platforms.split(QLatin1Char(';'))) {
        const QString name = p.section(QLatin1Char(':'), 0, 0).trimmed();
        if (name == QLatin1String("xcb")                ? x11
            : name.startsWith(QLatin1String("wayland")) ? wayland
                                                        : true)
            return true;
    }
    return false;
}

// While the window's platform starts: a display that is named but cannot be opened makes the
// platform give up with a fatal message, which would abort the program. It ends it instead.
QtMessageHandler platformMessages = nullptr;
void PlatformMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        NoDisplay("the window could not be opened");
        std::_Exit(1);
    }
    if (platformMessages != nullptr)
        platformMessages(type, context, text);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

QCoreApplication* WindowApplication(int& argc, char* argv[]) {
    platformMessages = qInstallMessageHandler(PlatformMessage);
    auto* app = new QApplication(argc, argv);
    qInstallMessageHandler(platformMessages);
    return app;
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
    if (!headless && !HasDisplay(argc, argv)) {
        NoDisplay("none is set that the window can use");
        return 1;
    }
    std::unique_ptr<QCoreApplication> app(headless ? new QCoreApplication(argc, argv)
                                                   : WindowApplication(argc, argv));
    CatchEndSignals();
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
    if (endSignal != 0) {  // it came during start-up
        core.FormUnload();
        return core.ExitCode();
    }
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
