#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QVariantMap>
#include <memory>

#include "store/Context.h"
#include "store/Database.h"
#include "store/Output.h"
#include "store/SettingsStore.h"
#include "store/UtilityComponent.h"

// Where the private servers that ./run starts are; the same defaults as ./run.
namespace TestServers {
QString DbHost();
QString DbPort();
QString DbUser();
QString DbPassword();
}  // namespace TestServers

// Treats db as a node of a cluster that refuses a commit unseen: the unit that runs a statement
// starting with marker is rolled back just before its COMMIT, which then answers OK with
// nothing to commit. Only the first such unit; refused counts it.
void RefuseCommitUnseen(Database& db, const QString& marker, int& refused);

// Each test gets its own fresh database loaded from db/schema.sql on the private MariaDB, a
// program folder and a settings folder of its own, and the database door opened on it
// (native driver unless the test opens another).
class DbTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Connection details of this test's database for the given driver ("QMYSQL" or an ODBC
    // driver name such as "MariaDB Unicode").
    DbTarget TargetFor(const QString& driver) const;
    static QString OdbcDriver() { return QStringLiteral("MariaDB Unicode"); }

    Database& Db() { return *db_; }
    UtilityComponent& Util() { return *util_; }
    SettingsStore& Settings() { return *settings_; }
    QString Home() const { return home_.path(); }
    const QString& DbName() const { return dbName_; }
    // The context routines run in; the values start as terminal 5's ("Terminal #5").
    Context Ctx() { return Context{*db_, *util_, *settings_, values_}; }
    ProcessValues& Values() { return values_; }
    // The log view routines write to (nobody watches it unless a test connects).
    Output& Out() { return out_; }

    // Direct access to the test database, independent of the door under test.
    void Insert(const QString& table, const QVariantMap& row);
    // Inserts rows whose values follow the order of `columns` ("a,b,c"); missing values at
    // the end keep their defaults.
    void Rows(const QString& table, const QString& columns, const QList<QVariantList>& rows);
    DbResult Query(const QString& sql, const QVariantList& params = {});
    QString Scalar(const QString& sql, const QVariantList& params = {});
    // One text per row of the statement's first column.
    QStringList Column(const QString& sql, const QVariantList& params = {});
    // The lines of a log file in the program's Log folder.
    QStringList LogLines(const QString& logName) const;

  private:
    QTemporaryDir home_;
    QTemporaryDir config_;
    QString dbName_;
    std::unique_ptr<SettingsStore> settings_;
    std::unique_ptr<UtilityComponent> util_;
    std::unique_ptr<Database> db_;
    std::unique_ptr<Database> direct_;
    ProcessValues values_;
    Output out_;
};
