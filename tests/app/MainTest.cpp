#include <unistd.h>

#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>

#include "support/TestTools.h"

namespace {

// A run of the program and the terminal's own log, "Log/Terminal #5.log".
struct Ended : Ran {
    QString log;
};

// Runs the program where it could not open a window (no display, the X11 platform forced) on
// the program folder home: no database is reachable, which start-up survives.
// passwordFile: RELVANE_DB_PASSWORD_FILE, unset when empty; config: the settings folder, a
// fresh one when empty. display: the environment's variables that choose the display (an empty
// value: unset).
Ended RunProgram(const QStringList& args, const QString& home,
                 const QString& passwordFile = QString(), const QString& config = QString(),
                 const QMap<QString, QString>& display = {{"QT_QPA_PLATFORM", "xcb"}}) {
    QTemporaryDir fresh;
    QStringList env = {"DISPLAY",
                       "WAYLAND_DISPLAY",
                       "QT_QPA_PLATFORM",
                       "RELVANE_DB_PASSWORD_FILE",
                       "RELVANE_HOME=" + home,
                       "RELVANE_CONFIG_DIR=" + (config.isEmpty() ? fresh.path() : config)};
    for (auto it = display.cbegin(); it != display.cend(); ++it)
        if (!it.value().isEmpty()) env << it.key() + "=" + it.value();
    if (!passwordFile.isEmpty()) env << "RELVANE_DB_PASSWORD_FILE=" + passwordFile;
    const Ran ran = RunRelvane(args, env, {}, 10000);
    QFile log(home + "/Log/Terminal #5.log");
    return {ran, log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString()};
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

// What the host, an operator or a service unit may get wrong: each ends at once with its
// status and a message naming what is wrong, and nothing is written where it does not belong.
TEST(Main, CarelessCommandLinesNamesAndValuesEndTheProgram) {
    const QByteArray unreachable =
        "[Database]\nDriver=QMYSQL\nServer=127.0.0.1\nPort=1\nDatabase=x\nUID=x\n";
    const QString line = "Terminal #5@@Relvane@@5@@pw";
    const QString usage = "usage: relvane [--headless]";
    const struct {
        QStringList args;
        QByteArray settingIni;  // Setting.ini of the program folder: none when empty, "-" no folder
        QString settingsFile;   // one file of the settings folder, "HBV-Gate.ini"
        QByteArray settings;
        int status;
        QStringList said;    // what stdout and stderr hold
        bool homeUntouched;  // no log written: nothing connected
    } cases[] = {
        {{"--headless"}, {}, {}, {}, 2, {"relvane: no host line", usage}, true},
        {{"--headless", ""}, {}, {}, {}, 2, {"no host line", usage}, true},
        {{"--headless", "Terminal #5"}, {}, {}, {}, 2, {"is not a host line"}, true},
        {{"--headless", "Terminal #x@@Relvane@@1@@pw"}, {}, {}, {}, 2, {"terminal name"}, true},
        {{"--headless", "Terminal #70000@@Relvane@@1@@pw"}, {}, {}, {}, 2, {"1 to 32767"}, true},
        {{"--headless", "Terminal #0@@Relvane@@1@@pw"}, {}, {}, {}, 2, {"terminal name"}, true},
        {{"--headless", "Terminal #5@@Relvane@@1.5@@pw"}, {}, {}, {}, 2, {"node number"}, true},
        {{"--headless", "Terminal #5@@Relvane@@@@pw"}, {}, {}, {}, 2, {"node number"}, true},
        {{"--headless", "Terminal #5\n@@Relvane@@1@@pw"}, {}, {}, {}, 2, {"terminal name"}, true},
        {{"--headless", "../../x@@Relvane@@1@@pw"}, {}, {}, {}, 2, {"\"../../x\""}, true},
        {{"--headless", "--help"}, {}, {}, {}, 0, {usage}, true},
        {{"--headless", "Reserved"}, {}, {}, {}, 0, {}, true},
        {{"--headless", "Terminal", "#5@@Hubvane@@1@@pw"}, {}, {}, {}, 0, {}, true},
        {{"--headless", line}, "-", {}, {}, 1, {"does not exist", "/Setting.ini"}, true},
        {{"--headless", line}, {}, {}, {}, 1, {"HOME: ", "/Setting.ini is missing"}, false},
        {{"--headless", line}, "[Dtbs]\n", {}, {}, 1, {"Setting.ini has no [Database]"}, false},
        {{"--headless", line},
         unreachable,
         "HBV-Gate.ini",
         "[Setting]\nAUTOLOGIN #5=256\n",
         1,
         {"HBV-Gate [Setting] AUTOLOGIN #5 = \"256\" is out of range"},
         false},
        {{"--headless", line},
         unreachable,
         "hbv-gate.ini",
         "[Setting]\njPORT #5=abc\n",
         1,
         {"HBV-Gate [Setting] jPORT #5 = \"abc\" is not a port number"},
         false},
        {{"--headless", line},
         unreachable,
         "NXEngine.ini",
         "[Terminal #5]\nLimitPending=40000\n",
         1,
         {"NXEngine [Terminal #5] LimitPending = \"40000\" is out of range"},
         false},
        {{"config", "set", "../x", "Setting", "k", "v"}, {}, {}, {}, 1, {"\"../x\""}, true},
        {{"config", "get", "a/b", "S", "k"}, {}, {}, {}, 1, {"unusable application name"}, true},
        {{"config", "get", "..", "Setting", "k"}, {}, {}, {}, 1, {"\"..\""}, true},
        {{"config", "password", "+5", "pw"}, {}, {}, {}, 2, {"not a terminal number"}, true},
        {{"config", "password", "0", "pw"}, {}, {}, {}, 2, {"not a terminal number"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        QTemporaryDir dir;
        const QString home = dir.filePath("home"), config = dir.filePath("settings");
        if (c.settingIni != "-") QDir().mkpath(home);
        if (!c.settingIni.isEmpty() && c.settingIni != "-")
            WriteFile(home + "/Setting.ini", c.settingIni);
        QDir().mkpath(config);
        if (!c.settingsFile.isEmpty()) WriteFile(config + "/" + c.settingsFile, c.settings);
        const Ended ended = RunProgram(c.args, home, QString(), config);
        EXPECT_EQ(ended.status, c.status) << ended.err.toStdString();
        for (const QString& text : c.said)
            EXPECT_TRUE((ended.out + ended.err).contains(text)) << ended.err.toStdString();
        if (c.said.isEmpty()) {
            EXPECT_EQ(ended.out + ended.err, "");
        }
        if (c.homeUntouched) {
            EXPECT_FALSE(QDir(home + "/Log").exists());
        }
        // nothing beside the program folder and the settings folder, nothing below the latter
        EXPECT_EQ(
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
            c.settingIni == "-" ? QStringList{"settings"} : QStringList({"home", "settings"}));
        EXPECT_TRUE(QDir(config).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
    }
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
        EXPECT_EQ(ended.status, 1) << file.toStdString();
        EXPECT_TRUE(ended.err.startsWith("HOME: ") &&
                    ended.err.contains("RELVANE_DB_PASSWORD_FILE"))
            << ended.err.toStdString();
        EXPECT_TRUE(ended.log.contains("HOME ") && ended.log.contains("RELVANE_DB_PASSWORD_FILE"))
            << ended.log.toStdString();
    }
}

TEST(Main, VersionIsAnsweredWithoutStartingAnything) {
    QTemporaryDir home;
    const Ended version = RunProgram({"--version"}, home.path());
    EXPECT_EQ(version.status, 0);
    EXPECT_FALSE(ProjectVersion().isEmpty());
    EXPECT_EQ(version.out, "relvane " + ProjectVersion() + "\n");

    EXPECT_TRUE(QDir(home.path()).isEmpty());  // no Log/: no terminal started
}

TEST(Main, WithoutADisplayTheWindowIsNotTriedAndHeadlessIsSuggested) {
    // nothing set; X11 asked for without its display; a display that is not there
    const QList<QMap<QString, QString>> displays = {
        {}, {{"QT_QPA_PLATFORM", "xcb"}}, {{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", ":97"}}};
    for (const auto& display : displays) {
        QTemporaryDir home;
        const Ended ended =
            RunProgram({"Terminal #5@@Relvane@@5@@pw"}, home.path(), QString(), QString(), display);
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
            WriteFile(home.filePath("Setting.ini"),
                      QString("[Database]\nDriver=QMYSQL\nServer=127.0.0.1\nPort=%1\nTimeout=1\n")
                          .arg(silent.serverPort())
                          .toUtf8());
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
