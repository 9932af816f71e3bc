#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>

namespace {

struct Ended {
    bool finished;
    int status;
    QString out;
    QString err;
    QString log;  // the terminal's own log, "Log/Terminal #5.log"
};

// Runs the program where it could not open a window (no display, the X11 platform forced) on
// the program folder home: no database is reachable, which start-up survives.
// passwordFile: RELVANE_DB_PASSWORD_FILE, unset when empty. display: the environment's
// variables that choose the display (an empty value: unset).
Ended RunProgram(const QStringList& args, const QString& home,
                 const QString& passwordFile = QString(),
                 const QMap<QString, QString>& display = {{"QT_QPA_PLATFORM", "xcb"}}) {
    QTemporaryDir config;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    for (auto it = display.cbegin(); it != display.cend(); ++it)
        if (!it.value().isEmpty()) env.insert(it.key(), it.value());
    env.insert("RELVANE_HOME", home);
    env.insert("RELVANE_CONFIG_DIR", config.path());
    env.remove("RELVANE_DB_PASSWORD_FILE");
    if (!passwordFile.isEmpty()) env.insert("RELVANE_DB_PASSWORD_FILE", passwordFile);
    p.setProcessEnvironment(env);
    p.start(RELVANE_BINARY, args);
    const bool finished = p.waitForFinished(10000);
    if (!finished) p.kill(), p.waitForFinished();
    QFile log(home + "/Log/Terminal #5.log");
    return {finished, finished && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError()),
            log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString()};
}

// A terminal started headless on an empty program folder.
Ended RunTerminal(const QStringList& words, const QString& passwordFile = QString()) {
    QTemporaryDir home;
    return RunProgram(QStringList{"--headless"} + words, home.path(), passwordFile);
}

QString ProjectVersion() {
    QFile file(RELVANE_SOURCE_DIR "/CMakeLists.txt");
    if (!file.open(QIODevice::ReadOnly)) return QString();
    return QRegularExpression("project\\(Relvane VERSION ([0-9.]+)")
        .match(QString::fromUtf8(file.readAll()))
        .captured(1);
}

}  // namespace

TEST(Main, HostLinesThatEndTheProgram) {
    const Ended reserved = RunTerminal({"Reserved"});
    EXPECT_TRUE(reserved.finished);
    EXPECT_EQ(reserved.status, 0);
    const Ended other =
        RunTerminal({"Terminal", "#5@@Hubvane@@1@@pw"});  // split by a shell, joined again
    EXPECT_TRUE(other.finished);
    EXPECT_EQ(other.status, 0);
    EXPECT_TRUE(other.err.isEmpty());
    const Ended broken =
        RunTerminal({"Terminal #70000@@Relvane@@1@@pw"});  // no 16-bit terminal number
    EXPECT_TRUE(broken.finished);
    EXPECT_EQ(broken.status, 1);
    EXPECT_TRUE(broken.err.contains("Informasi: Terjadi Error Proses Get data Overflow"))
        << broken.err.toStdString();
}

TEST(Main, APasswordFileThatCannotBeReadEndsTheProgram) {
    QTemporaryDir dir;
    // a file that is missing; a folder
    QList<QPair<QString, QString>> cases = {{"Terminal #5@@Relvane@@5", dir.filePath("absent")},
                                            {"Terminal #5@@Relvane@@5@@", dir.path()}};
    if (::geteuid() != 0) {  // the owner's permission bits do not stop root
        QFile locked(dir.filePath("locked"));
        ASSERT_TRUE(locked.open(QIODevice::WriteOnly));
        locked.write("relvane\n");
        locked.setPermissions(QFileDevice::Permissions());
        cases.append({"Terminal #5@@Relvane@@5@@", locked.fileName()});
    }
    for (const auto& [line, file] : cases) {
        const Ended ended = RunTerminal({line}, file);
        EXPECT_TRUE(ended.finished);
        EXPECT_EQ(ended.status, 1) << file.toStdString();
        EXPECT_TRUE(ended.err.startsWith("HOME: ") &&
                    ended.err.contains("RELVANE_DB_PASSWORD_FILE"))
            << ended.err.toStdString();
        EXPECT_TRUE(ended.log.contains("HOME ") && ended.log.contains("RELVANE_DB_PASSWORD_FILE"))
            << ended.log.toStdString();
    }
}

TEST(Main, VersionAndHelpAreAnsweredWithoutStartingAnything) {
    QTemporaryDir home;
    const Ended version = RunProgram({"--version"}, home.path());
    EXPECT_EQ(version.status, 0);
    EXPECT_FALSE(ProjectVersion().isEmpty());
    EXPECT_EQ(version.out, "relvane " + ProjectVersion() + "\n");

    const Ended help = RunProgram({"--help"}, home.path());
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.startsWith("usage: relvane [--headless] [--home DIR] "))
        << help.out.toStdString();

    EXPECT_TRUE(QDir(home.path()).isEmpty());  // no Log/: no terminal started
}

TEST(Main, WithoutADisplayTheWindowIsNotTriedAndHeadlessIsSuggested) {
    // nothing set; X11 asked for without its display; a display that is not there
    const QList<QMap<QString, QString>> displays = {
        {}, {{"QT_QPA_PLATFORM", "xcb"}}, {{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", ":97"}}};
    for (const auto& display : displays) {
        QTemporaryDir home;
        const Ended ended =
            RunProgram({"Terminal #5@@Relvane@@5@@pw"}, home.path(), QString(), display);
        EXPECT_EQ(ended.status, 1);  // not an abort
        EXPECT_TRUE(ended.err.contains("relvane: no display: ") &&
                    ended.err.contains("start it with --headless"))
            << ended.err.toStdString();
    }
}

// SIGTERM, SIGINT and SIGHUP end a terminal through its shutdown, also during a start-up that
// waits for a database that takes connections and never answers: Set.log says it no longer
// runs, and its log says the terminal table could not be told.
TEST(Main, EndSignalsEndTheTerminalCleanlyWhileTheDatabaseDoesNotAnswer) {
    for (const int signo : {SIGTERM, SIGINT, SIGHUP}) {
        for (const bool duringStartUp : {true, false}) {
            SCOPED_TRACE(testing::Message() << signo << (duringStartUp ? " in start-up" : ""));
            QTcpServer silent;  // the system takes its connections; nothing answers them
            ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
            QTemporaryDir home, config;
            const auto read = [&](const QString& name) {
                QFile f(home.filePath(name));
                return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
            };
            QFile ini(home.filePath("Setting.ini"));
            ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
            ini.write(QString("[Database]\nDriver=QMYSQL\nServer=127.0.0.1\nPort=%1\n"
                              "Timeout=1\n")
                          .arg(silent.serverPort())
                          .toUtf8());
            ini.close();
            QProcess p;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("RELVANE_CONFIG_DIR", config.path());
            p.setProcessEnvironment(env);
            p.start(RELVANE_BINARY,
                    {"--headless", "--home", home.path(), "Terminal #5@@Relvane@@5@@pw"});
            // In start-up: its first try to reach the database; after it: Set.log.
            bool reached = false;
            for (int i = 0; i < 600 && !reached; ++i, QThread::msleep(duringStartUp ? 0 : 100))
                reached = duringStartUp ? silent.waitForNewConnection(100)
                                        : read("Log/Set.log").contains("5=Terminal #5");
            ASSERT_TRUE(reached);
            ::kill(static_cast<pid_t>(p.processId()), signo);
            ASSERT_TRUE(p.waitForFinished(120000));
            EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(p.exitCode(), 0);
            EXPECT_TRUE(read("Log/Set.log").contains("5=NC"));
            EXPECT_TRUE(read("Log/Terminal #5.log")
                            .contains("Terminal 5 could not be marked off in table terminal: "))
                << read("Log/Terminal #5.log").toStdString();
        }
    }
}
