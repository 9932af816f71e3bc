#include <QCoreApplication>
#include <QFile>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTcpSocket>
#include <tuple>

#include "store/ConnectDatabase.h"
#include "store/Errors.h"
#include "support/DbFixture.h"

namespace {

class DatabaseTest : public DbTest {
  protected:
    void WriteSettingIni(const QByteArray& text) {
        QFile f(Home() + "/Setting.ini");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
};

const QString kAwkward = QString::fromUtf8("O'Brien \\ \"quoted\" `tick` ; -- é ñ 中文 😀");

}  // namespace

TEST_F(DatabaseTest, FailedOpenIsLoggedAndStatementsFailWithoutCrash) {
    WriteSettingIni("[Database]\n");
    // no port: none in the string
    EXPECT_EQ(OdbcConnectionString(ReadDatabaseSettings(Util(), "")),
              "DRIVER=;SERVER=;DATABASE=;UID=;PWD=;OPTION=18475;CONN_TIMEOUT=5;READ_TIMEOUT=5;"
              "WRITE_TIMEOUT=5");
    Database db(&Util(), "failing");
    EXPECT_FALSE(ConnectDatabase(Util(), db, ""));
    const QStringList lines = LogLines("db");
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].contains(" Konek RLV ")) << lines[0].toStdString();
    EXPECT_GT(lines[0].size(), QString("2025-01-01 00:00:00 Konek RLV ").size());
    EXPECT_THROW(db.Exec("SELECT 1"), DbError);
    EXPECT_EQ(LogLines("db").size(), 1);  // the same failure is not logged again
}

TEST_F(DatabaseTest, BothDriversOpenFromSettingIniAndBindTheSameStatement) {
    for (const QString& driver : {QStringLiteral("QMYSQL"), OdbcDriver()}) {
        SCOPED_TRACE(driver.toStdString());
        WriteSettingIni(QStringLiteral("[Database]\nDriver=%1\nServer=127.0.0.1\nDatabase=%2\n"
                                       "UID=%3\nPort=%4\n")
                            .arg(driver, DbName(), TestServers::DbUser(), TestServers::DbPort())
                            .toUtf8());
        Database db(&Util(), "door-" + driver);
        ASSERT_TRUE(ConnectDatabase(Util(), db, TestServers::DbPassword()))
            << db.LastOpenError().toStdString();
        const QString code = "R-" + driver;
        db.Exec("INSERT INTO reseller (kode_reseller, nama_reseller, deposit) VALUES (?, ?, ?)",
                {code, kAwkward, 125000});
        // the stored text is exactly the value, and a quote in a value cannot change the statement
        EXPECT_EQ(Scalar("SELECT nama_reseller FROM reseller WHERE kode_reseller = ?", {code}),
                  kAwkward);
        const DbResult r =
            db.Exec("SELECT Nama_Reseller, deposit FROM reseller WHERE kode_reseller = ?", {code});
        ASSERT_EQ(r.RecordCount(), 1);
        EXPECT_EQ(r.Text(0, "nama_reseller"), kAwkward);
        EXPECT_EQ(r.Int(0, "DEPOSIT"), 125000);
        const DbResult none = db.Exec("SELECT deposit FROM reseller WHERE kode_reseller = ?",
                                      {QString("x' OR '1'='1")});
        EXPECT_EQ(none.RecordCount(), 0);
        EXPECT_THROW(none.Text(0, "deposit"), DbError);
        const DbResult upd =
            db.Exec("UPDATE reseller SET deposit = deposit + ? WHERE kode_reseller = ?", {0, code});
        EXPECT_EQ(upd.RowsAffected(), 1);  // matched rows, as the connection options ask
        db.Exec("INSERT INTO outbox (tujuan, pesan) VALUES (?, ?)", {code, QString()});
        EXPECT_EQ(Scalar("SELECT pesan IS NULL FROM outbox WHERE tujuan = ?", {code}), "0");
    }
}

TEST_F(DatabaseTest, AUnitFailsWholeOnAnySwallowedErrorAndRunsAgainAfterAConflict) {
    Insert("reseller", {{"kode_reseller", "R1"}, {"deposit", 1000}});
    const auto debit = [&](int amount) {
        Db().Exec("UPDATE reseller SET deposit = deposit - ? WHERE kode_reseller = ?",
                  {amount, "R1"});
    };
    const auto deposit = [&] { return Scalar("SELECT deposit FROM reseller"); };
    // a step that caught its own error still fails the unit, and nothing after it runs
    EXPECT_THROW(Db().Transaction([&] {
        debit(100);
        try {
            Db().Exec("INSERT INTO no_such_table VALUES (1)");
        } catch (const DbError&) {
        }
        EXPECT_THROW(debit(1), DbError);
    }),
                 DbError);
    EXPECT_EQ(deposit(), "1000");

    // a step allowed to fail is undone alone; the rest of the unit commits
    Db().Transaction([&] {
        debit(100);
        DbError error{QString()};
        EXPECT_FALSE(Db().Attempt(
            [&] {
                debit(7);
                Db().Exec("INSERT INTO no_such_table VALUES (1)");
            },
            &error));
        EXPECT_TRUE(error.Description().contains("no_such_table"));
        debit(10);
    });
    EXPECT_EQ(deposit(), "890");
    // a step of one write sets no savepoint: the server undoes a failed statement whole, rows
    // it had written included, and the unit goes on
    Db().Transaction([&] {
        const quint64 before = Db().StatementCount();
        EXPECT_FALSE(Db().AttemptStatement([&] {
            Db().Exec("INSERT INTO reseller (kode_reseller, deposit) VALUES ('R2', 1), ('R1', 1)");
        }));
        EXPECT_EQ(Db().StatementCount() - before, 1u);
        Db().Exec("INSERT INTO reseller (kode_reseller, deposit) VALUES ('R3', 0)");
    });
    EXPECT_EQ(Column("SELECT kode_reseller FROM reseller ORDER BY 1"), (QStringList{"R1", "R3"}));
    Query("DELETE FROM reseller WHERE kode_reseller = 'R3'");

    // rolled back by the server for a deadlock: run once more from its start, and only once;
    // a lock wait that ran out goes once more only
    int runs = 0;
    Db().Transaction([&] {
        debit(100);
        if (++runs == 1) throw DbError("Deadlock found when trying to get lock", "1213");
    });
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(deposit(), "790");
    runs = 0;
    EXPECT_THROW(Db().Transaction([&] {
        ++runs;
        throw DbError("Lock wait timeout exceeded", "1205");
    }),
                 DbError);
    EXPECT_EQ(runs, 2);

    // on a cluster, a commit is confirmed by the unit's own check; one the cluster refused
    // unseen runs again, and one that cannot be confirmed is not run again, lest it count twice
    int refused = 0;
    RefuseCommitUnseen(Db(), "UPDATE reseller", refused);
    runs = 0;
    int followed = 0;
    const auto unit = [&] {
        ++runs;
        debit(90);
        Db().AfterCommit([&] { ++followed; });
    };
    Db().Transaction(unit, [&] { return deposit() == "700"; });
    EXPECT_EQ(std::make_tuple(refused, runs, followed), std::make_tuple(1, 2, 1));
    runs = 0;
    try {
        Db().Transaction(unit, [&] { return Db().Exec("SELECT * FROM no_such_table").IsEmpty(); });
        ADD_FAILURE() << "an unconfirmed commit went unnoticed";
    } catch (const DbError& e) {
        EXPECT_TRUE(e.Description().startsWith("the commit could not be confirmed: "));
        EXPECT_FALSE(Database::IsTransient(e));
    }
    EXPECT_EQ(std::make_tuple(runs, followed), std::make_tuple(1, 1));
    EXPECT_EQ(deposit(), "610");
}

TEST_F(DatabaseTest, TextsAreFitToTheirColumns) {
    EXPECT_EQ(Db().Fit("parsing", "reply", QString(60, 'x')), QString(50, 'x'));
    EXPECT_EQ(Db().Fit("PARSING", "Reply", "9850 rb"), "9850 rb");
    EXPECT_EQ(Db().Fit("inbox", "pesan", QString(70000, 'y')).size(), 70000);  // TEXT
    EXPECT_EQ(Db().Fit("no_table", "x", "as it is"), "as it is");
    // a character outside the basic plane is never cut in half
    const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");
    EXPECT_EQ(Db().Fit("parsing", "reply", QString(49, 'z') + smile), QString(49, 'z'));
}

// The connection drops: a read goes on on a new one; a write reports the failure and is not
// repeated; a unit runs again from its start on a new connection, once, and no statement of it
// goes on without what the unit held.
TEST_F(DatabaseTest, LostConnectionIsOpenedAgainAndWritesAreNotRepeated) {
    Insert("reseller", {{"kode_reseller", "R1"}, {"deposit", 1000}});
    for (const QString& driver : {QStringLiteral("QMYSQL"), OdbcDriver()}) {
        SCOPED_TRACE(driver.toStdString());
        Database db(&Util(), "lost-" + driver);
        ASSERT_TRUE(db.Open(TargetFor(driver)));
        auto killDoor = [&] {
            const QString id = db.Exec("SELECT CONNECTION_ID() AS id").Text(0, "id");
            Query("KILL CONNECTION " + QString::number(id.toLongLong()));
        };
        killDoor();
        EXPECT_EQ(db.Exec("SELECT 7 AS n").Int(0, "n"), 7);
        killDoor();
        EXPECT_THROW(db.Exec("INSERT INTO inbox (pengirim, pesan) VALUES (?, ?)", {"x", driver}),
                     DbError);
        db.Exec("INSERT INTO inbox (pengirim, pesan) VALUES (?, ?)", {"y", driver});
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM inbox WHERE pesan = ?", {driver}), "1");
        int runs = 0;
        db.Transaction([&] {
            db.Exec("UPDATE reseller SET deposit = deposit - 1 WHERE kode_reseller = 'R1'");
            if (++runs == 1) {
                killDoor();
                db.Exec("SELECT 1");
            }
        });
        EXPECT_EQ(runs, 2);
    }
    EXPECT_EQ(Scalar("SELECT deposit FROM reseller WHERE kode_reseller='R1'"), "998");
    EXPECT_GE(LogLines("db").filter(" Konek ulang RLV").size(), 4);
}

TEST_F(DatabaseTest, OdbcLogsInWhenUserAndPasswordHoldSeparatorsAndBraces) {
    const qint64 pid = QCoreApplication::applicationPid();
    DbTarget target = TargetFor(OdbcDriver());
    target.uid = QStringLiteral("rlv;{odbc}%1").arg(pid);
    target.password = "x;PWD=y}{z";
    EXPECT_TRUE(OdbcConnectionString(target).contains(
        QStringLiteral(";UID={rlv;{odbc}}%1};PWD={x;PWD=y}}{z};OPTION=18475;").arg(pid)))
        << OdbcConnectionString(target).toStdString();
    // blanks at the ends go in braces too (this driver trims them all the same)
    DbTarget blanks = target;
    blanks.password = " s3cret ";
    EXPECT_TRUE(OdbcConnectionString(blanks).contains(";PWD={ s3cret };"));

    const QString account = QStringLiteral("'%1'@'%'").arg(target.uid);
    Query("DROP USER IF EXISTS " + account);
    Query(QStringLiteral("CREATE USER %1 IDENTIFIED BY '%2'").arg(account, target.password));
    const auto dropUser = qScopeGuard([&] {
        try {
            Query("DROP USER IF EXISTS " + account);
        } catch (const DbError&) {
        }
    });
    Query(QStringLiteral("GRANT ALL PRIVILEGES ON `%1`.* TO %2").arg(DbName(), account));
    Database db(&Util(), "odbc-awkward");
    ASSERT_TRUE(db.Open(target)) << db.LastOpenError().toStdString();
    EXPECT_EQ(db.Exec("SELECT CURRENT_USER() AS u").Text(0, "u"), target.uid + "@%");
}

// The timeout of Setting.ini, and what is refused.
TEST_F(DatabaseTest, TheTimeoutComesFromSettingIni) {
    for (const auto& [line, seconds] : {std::pair<QByteArray, int>{"", 5},
                                        {"Timeout=2\n", 2},
                                        {"Timeout=abc\n", 0},
                                        {"Timeout=0\n", 0}}) {
        WriteSettingIni("[Database]\n" + line);
        if (seconds == 0) {
            EXPECT_THROW(ReadDatabaseSettings(Util(), ""), RelvaneError) << line.toStdString();
            continue;
        }
        const DbTarget target = ReadDatabaseSettings(Util(), "");
        EXPECT_EQ(target.timeout, seconds);
        EXPECT_TRUE(OdbcConnectionString(target).endsWith(
            QString(";READ_TIMEOUT=%1;WRITE_TIMEOUT=%1").arg(seconds)));
    }
}

// A statement the server does not answer fails after the timeout as a lost connection (work
// that met it may go again) and the next one opens a new connection; a server that takes
// connections and never answers is not asked again at every statement.
TEST_F(DatabaseTest, AServerThatDoesNotAnswerFailsLikeALostConnection) {
    for (const QString& driver : {QStringLiteral("QMYSQL"), OdbcDriver()}) {
        SCOPED_TRACE(driver.toStdString());
        Database db(&Util(), "hung-" + driver);
        DbTarget target = TargetFor(driver);
        target.timeout = 1;
        ASSERT_TRUE(db.Open(target)) << db.LastOpenError().toStdString();
        EXPECT_EQ(db.Exec("SELECT @@innodb_lock_wait_timeout AS w").Int(0, "w"), 1);
        for (const char* sql : {"SELECT SLEEP(4) AS s", "DO SLEEP(4)"}) {
            try {
                db.Exec(sql);
                ADD_FAILURE() << sql << " waited for its answer";
            } catch (const DbError& e) {
                EXPECT_TRUE(e.ConnectionLost() && Database::IsTransient(e)) << sql;
            }
            EXPECT_EQ(db.Exec("SELECT 7 AS n").Int(0, "n"), 7);
        }

        QTcpServer silent;  // the system takes its connections; nothing answers them
        ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
        target.port = QString::number(silent.serverPort());
        Database away(&Util(), "silent-" + driver);
        EXPECT_FALSE(away.Open(target));
        const auto connections = [&](int waitMs) {
            int n = 0;
            while (silent.waitForNewConnection(waitMs)) delete silent.nextPendingConnection(), ++n;
            return n;
        };
        EXPECT_GE(connections(0), 1);
        for (int i = 0; i < 3; ++i) EXPECT_THROW(away.Exec("SELECT 1"), DbError);
        EXPECT_EQ(connections(200), 0);
    }
}
