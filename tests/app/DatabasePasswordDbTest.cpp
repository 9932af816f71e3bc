#include <QFile>

#include "dispatch/Core.h"
#include "store/Database.h"
#include "support/TerminalFixture.h"

// A service unit leaves the password off the line and names a file holding it.
TEST_F(TerminalTest, DatabasePasswordFromTheFileWhenTheLineGivesNone) {
    QTemporaryDir secrets;
    QFile file(secrets.filePath("db-password"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(TestServers::DbPassword().toUtf8() + "\r\n");
    file.close();
    qputenv("RELVANE_DB_PASSWORD_FILE", file.fileName().toUtf8());
    Core core(Home());
    const bool started = core.FormLoad("Terminal #5@@Relvane@@2@@");
    qunsetenv("RELVANE_DB_PASSWORD_FILE");
    ASSERT_TRUE(started);
    EXPECT_TRUE(core.Db().IsOpen()) << core.Db().LastOpenError().toStdString();
    EXPECT_EQ(core.Values().DatabasePassword, TestServers::DbPassword());  // for the booster
    core.FormUnload();
}
