#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>

// ./run refuses to start a private server on a port something else holds, and says what holds
// it and which variable moves it. Its state goes to a scratch build folder, so the private
// servers of the checkout are not touched.
TEST(RunServices, APortTakenByAnotherProcessIsNamedWithItsHolderAndVariable) {
    const struct {
        const char* action;
        const char* variable;
    } cases[] = {{"start-db", "RELVANE_DB_PORT"}, {"start-xmpp", "RELVANE_XMPP_PORT"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.action);
        QTcpServer holder;
        ASSERT_TRUE(holder.listen(QHostAddress::LocalHost));
        QTemporaryDir build;
        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("RELVANE_BUILD_DIR", build.path());
        env.insert(c.variable, QString::number(holder.serverPort()));
        run.setProcessEnvironment(env);
        run.setProcessChannelMode(QProcess::MergedChannels);
        run.start(RELVANE_SOURCE_DIR "/run", {"services", c.action});
        ASSERT_TRUE(run.waitForFinished(120000));
        const QString out = QString::fromUtf8(run.readAll());
        SCOPED_TRACE(out.toStdString());
        EXPECT_NE(run.exitCode(), 0);
        EXPECT_TRUE(out.contains(QString("port %1 is taken by ").arg(holder.serverPort())));
        EXPECT_TRUE(out.contains(QString("(pid %1)").arg(QCoreApplication::applicationPid())));
        EXPECT_TRUE(out.contains(QString("set %1 to a free port").arg(c.variable)));
        // nothing was set up for a server that could not start
        EXPECT_FALSE(QDir(build.filePath("services/mariadb/data")).exists());
        EXPECT_FALSE(QDir(build.filePath("services/prosody/data")).exists());
    }
}
