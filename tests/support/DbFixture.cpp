#include "support/DbFixture.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include "Environment.h"
#include "Schema.h"
#include "store/Errors.h"

namespace {

// One server-level connection per test process, for creating and dropping databases.
QSqlDatabase Admin() {
    const QString name = QStringLiteral("fixture-admin");
    if (QSqlDatabase::contains(name)) {
        QSqlDatabase db = QSqlDatabase::database(name);
        if (db.isOpen() && QSqlQuery(QStringLiteral("SELECT 1"), db).isActive()) return db;
        db.close();
        db.open();
        return db;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QMYSQL"), name);
    db.setHostName(TestServers::DbHost());
    db.setPort(TestServers::DbPort().toInt());
    db.setUserName(TestServers::DbUser());
    db.setPassword(TestServers::DbPassword());
    db.open();
    return db;
}

void AdminExec(const QString& sql) {
    QSqlDatabase admin = Admin();
    if (!admin.isOpen())
        throw RelvaneError(
            QStringLiteral("private MariaDB not reachable at %1:%2 (./run services "
                           "start): %3")
                .arg(TestServers::DbHost(), TestServers::DbPort(), admin.lastError().text()));
    QSqlQuery q(admin);
    if (!q.exec(sql))
        throw RelvaneError(sql.left(80) + QStringLiteral(": ") + q.lastError().text());
}

}  // namespace

namespace TestServers {
QString DbHost() {
    return EnvOr("RELVANE_DB_HOST", "127.0.0.1");
}
QString DbPort() {
    return EnvOr("RELVANE_DB_PORT", "33061");
}
QString DbUser() {
    return EnvOr("RELVANE_DB_USER", "relvane");
}
QString DbPassword() {
    return EnvOr("RELVANE_DB_PASSWORD", "relvane");
}
}  // namespace TestServers

void RefuseCommitUnseen(Database& db, const QString& marker, int& refused) {
    db.TreatAsClusterNode();
    auto armed = std::make_shared<bool>(false);
    db.SetProbe([&db, marker, armed, &refused](const QString& point) {
        if (refused == 0 && point.startsWith(marker)) {
            *armed = true;
        } else if (*armed && point == QLatin1String("COMMIT")) {
            *armed = false;
            ++refused;
            db.Exec(QStringLiteral("ROLLBACK"));
        }
    });
}

void DbTest::SetUp() {
    static int counter = 0;
    dbName_ =
        QStringLiteral("rlvtest_%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter);
    const QStringList schema =
        SchemaStatements(QStringLiteral(RELVANE_SOURCE_DIR "/db/schema.sql"));
    ASSERT_FALSE(schema.isEmpty()) << "db/schema.sql not found";
    try {
        AdminExec(QStringLiteral("DROP DATABASE IF EXISTS `%1`").arg(dbName_));
        AdminExec(QStringLiteral("CREATE DATABASE `%1` CHARACTER SET utf8mb4").arg(dbName_));
        AdminExec(QStringLiteral("USE `%1`").arg(dbName_));
        for (const QString& statement : schema) AdminExec(statement);
    } catch (const RelvaneError& e) {
        FAIL() << e.Description().toStdString();
    }
    values_.TerminalName = QStringLiteral("Terminal #5");
    values_.TerminalNo = 5;
    values_.ModuleName = QStringLiteral("Relvane");
    settings_ = std::make_unique<SettingsStore>(config_.path());
    util_ = std::make_unique<UtilityComponent>(home_.path(), settings_.get());
    direct_ = std::make_unique<Database>(nullptr, QStringLiteral("fixture-direct"));
    ASSERT_TRUE(direct_->Open(TargetFor(QStringLiteral("QMYSQL"))))
        << direct_->LastOpenError().toStdString();
    db_ = std::make_unique<Database>(util_.get());
    ASSERT_TRUE(db_->Open(TargetFor(QStringLiteral("QMYSQL"))))
        << db_->LastOpenError().toStdString();
}

void DbTest::TearDown() {
    db_.reset();
    direct_.reset();
    try {
        AdminExec(QStringLiteral("DROP DATABASE IF EXISTS `%1`").arg(dbName_));
    } catch (const RelvaneError&) {
    }
}

DbTarget DbTest::TargetFor(const QString& driver) const {
    DbTarget target;
    target.driver = driver;
    target.server = TestServers::DbHost();
    target.port = TestServers::DbPort();
    target.database = dbName_;
    target.uid = TestServers::DbUser();
    target.password = TestServers::DbPassword();
    return target;
}

void DbTest::Insert(const QString& table, const QVariantMap& row) {
    QStringList columns, marks;
    QVariantList values;
    for (auto it = row.cbegin(); it != row.cend(); ++it) {
        columns.append(QLatin1Char('`') + it.key() + QLatin1Char('`'));
        marks.append(QStringLiteral("?"));
        values.append(it.value());
    }
    direct_->Exec(QStringLiteral("INSERT INTO `%1` (%2) VALUES (%3)")
                      .arg(table, columns.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
                  values);
}

void DbTest::Rows(const QString& table, const QString& columns, const QList<QVariantList>& rows) {
    const QStringList names = columns.split(QLatin1Char(','));
    for (const QVariantList& values : rows) {
        QVariantMap row;
        for (int i = 0; i < values.size(); ++i) row[names[i]] = values[i];
        Insert(table, row);
    }
}

DbResult DbTest::Query(const QString& sql, const QVariantList& params) {
    return direct_->Exec(sql, params);
}

QString DbTest::Scalar(const QString& sql, const QVariantList& params) {
    const DbResult r = direct_->Exec(sql, params);
    if (r.IsEmpty() || r.Columns().isEmpty()) return QString();
    return r.Text(0, r.Columns().first());
}

QStringList DbTest::LogLines(const QString& logName) const {
    QFile file(home_.path() + QStringLiteral("/Log/") + logName + QStringLiteral(".log"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList DbTest::Column(const QString& sql, const QVariantList& params) {
    const DbResult r = direct_->Exec(sql, params);
    QStringList texts;
    for (int i = 0; i < r.RecordCount(); ++i) texts.append(r.Text(i, r.Columns().first()));
    return texts;
}
