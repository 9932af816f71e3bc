#include <QTemporaryDir>

#include "store/ConnectDatabase.h"
#include "support/TestTools.h"

TEST(ConnectDatabase, APasswordFileLosesOneLineBreakAndNothingElse) {
    QTemporaryDir dir;
    const QString path = dir.filePath("db-password");
    qputenv("RELVANE_DB_PASSWORD_FILE", path.toUtf8());
    const QList<QPair<QByteArray, QString>> contents = {
        {"relvane\n", "relvane"},     {"relvane\r\n", "relvane"}, {"relvane\n\n", "relvane\n"},
        {" relvane\t", " relvane\t"}, {"relvane\r", "relvane\r"}, {"", ""}};
    for (const auto& [content, password] : contents) {
        WriteFile(path, content);
        EXPECT_EQ(DatabasePassword(""), password) << content.toStdString();
    }
    EXPECT_EQ(DatabasePassword("relvane"), "relvane");  // the host's line as it always was
    qunsetenv("RELVANE_DB_PASSWORD_FILE");
    EXPECT_EQ(DatabasePassword(""), "");  // no file named: a user without a password
}
