#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "store/ConnectDatabase.h"

namespace {

struct Ended {
    bool finished;
    int status;
    QString err;
    QString log;  // the terminal's own log, "Log/Terminal #5.log"
};

// Runs the program headless on an empty program folder: no database is reachable, which
// start-up survives. passwordFile: RELVANE_DB_PASSWORD_FILE, unset when empty.
Ended RunTerminal(const QStringList& words, const QString& passwordFile = QString()) {
    QTemporaryDir home, config;
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("RELVANE_CONFIG_DIR", config.path());
    env.remove("RELVANE_DB_PASSWORD_FILE");
    if (!passwordFile.isEmpty()) env.insert("RELVANE_DB_PASSWORD_FILE", passwordFile);
    p.setProcessEnvironment(env);
    p.start(RELVANE_BINARY, QStringList{"--headless", "--home", home.path()} + words);
    const bool finished = p.waitForFinished(10000);
    if (!finished) p.kill(), p.waitForFinished();
    QFile log(home.filePath("Log/Terminal #5.log"));
    return {finished, p.exitCode(), QString::fromUtf8(p.readAllStandardError()),
            log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString()};
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

TEST(StartUpCommand, APasswordFileThatCannotBeReadEndsTheProgram) {
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

TEST(StartUpCommand, APasswordFileLosesOneLineBreakAndNothingElse) {
    QTemporaryDir dir;
    const QString path = dir.filePath("db-password");
    qputenv("RELVANE_DB_PASSWORD_FILE", path.toUtf8());
    const QList<QPair<QByteArray, QString>> contents = {
        {"relvane\n", "relvane"},     {"relvane\r\n", "relvane"}, {"relvane\n\n", "relvane\n"},
        {" relvane\t", " relvane\t"}, {"relvane\r", "relvane\r"}, {"", ""}};
    for (const auto& [content, password] : contents) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        EXPECT_EQ(DatabasePassword(""), password) << content.toStdString();
    }
    EXPECT_EQ(DatabasePassword("relvane"), "relvane");  // the host's line as it always was
    qunsetenv("RELVANE_DB_PASSWORD_FILE");
    EXPECT_EQ(DatabasePassword(""), "");  // no file named: a user without a password
}
