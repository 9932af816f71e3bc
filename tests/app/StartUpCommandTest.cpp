#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

namespace {

struct Ended {
    bool finished;
    int status;
    QString err;
};

// Runs the program headless on an empty program folder: no database is reachable, which
// start-up survives.
Ended RunTerminal(const QStringList& words) {
    QTemporaryDir home, config;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("RELVANE_CONFIG_DIR", config.path());
    p.setProcessEnvironment(env);
    p.start(RELVANE_BINARY, QStringList{"--headless", "--home", home.path()} + words);
    const bool finished = p.waitForFinished(10000);
    if (!finished) p.kill(), p.waitForFinished();
    return {finished, p.exitCode(), QString::fromUtf8(p.readAllStandardError())};
}

}  // namespace

TEST(StartUpCommand, HostLinesThatEndTheProgram) {
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
