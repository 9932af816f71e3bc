#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

struct Printed {
    int status;
    QString out;
};

// Runs the program where it could not open a window (no display, the X11 platform forced) and
// with a program folder that start-up would fill with Log/.
Printed RunProgram(const QStringList& args, const QString& home) {
    QTemporaryDir config;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("RELVANE_HOME", home);
    env.insert("RELVANE_CONFIG_DIR", config.path());
    p.setProcessEnvironment(env);
    p.start(RELVANE_BINARY, args);
    if (!p.waitForFinished(10000)) p.kill(), p.waitForFinished();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput())};
}

QString ProjectVersion() {
    QFile file(RELVANE_SOURCE_DIR "/CMakeLists.txt");
    if (!file.open(QIODevice::ReadOnly)) return QString();
    return QRegularExpression("project\\(Relvane VERSION ([0-9.]+)")
        .match(QString::fromUtf8(file.readAll()))
        .captured(1);
}

}  // namespace

TEST(VersionAndHelp, AnsweredWithoutStartingAnything) {
    QTemporaryDir home;
    const Printed version = RunProgram({"--version"}, home.path());
    EXPECT_EQ(version.status, 0);
    EXPECT_FALSE(ProjectVersion().isEmpty());
    EXPECT_EQ(version.out, "relvane " + ProjectVersion() + "\n");

    const Printed help = RunProgram({"--help"}, home.path());
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.startsWith("usage: relvane [--headless] [--home DIR] "))
        << help.out.toStdString();

    EXPECT_TRUE(QDir(home.path()).isEmpty());  // no Log/: no terminal started
}
