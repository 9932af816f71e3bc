#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "store/Errors.h"

class QSqlQuery;
class UtilityComponent;

// Where the database is and how to reach it. With an ODBC driver name the connection string
// is built from these fields; "QMYSQL" selects the native driver with the same fields.
struct DbTarget {
    QString driver;
    QString server;
    QString database;
    QString uid;
    QString password;
    QString port;  // optional
    // Seconds the client waits for the server at each step: to connect, and for each read and
    // write of a statement. A server that stops answering then fails the statement like a lost
    // connection instead of holding the program.
    int timeout = kDefaultTimeout;

    static constexpr int kDefaultTimeout = 5;
    bool IsNative() const;
    // Seconds a statement waits for another connection's lock before the server gives up on
    // it: below the timeout, so that a long lock wait ends as the server's own lock-wait error
    // (the unit runs again) and not as a connection the client gave up on.
    int LockWait() const;
};

// The ODBC connection string: "DRIVER=..;SERVER=..;DATABASE=..;UID=..;PWD=..;OPTION=18475",
// with ";PORT=.." after it when a port is given, then
// ";CONN_TIMEOUT=..;READ_TIMEOUT=..;WRITE_TIMEOUT=.." (the timeout).
QString OdbcConnectionString(const DbTarget& target);

// A fully read result: every row in memory, fields by column name (any letter case).
class DbResult {
  public:
    int RecordCount() const { return rows_.size(); }
    bool IsEmpty() const { return rows_.isEmpty(); }
    int RowsAffected() const { return rowsAffected_; }
    // The new row's id where the driver reports it (native driver); invalid otherwise.
    QVariant LastInsertId() const { return lastInsertId_; }
    const QStringList& Columns() const { return columns_; }

    // Raises DbError for a row past the end or an unknown column.
    QVariant Value(int row, const QString& column) const;
    // NULL reads as the empty text; date-times as "yyyy-mm-dd hh:mm:ss".
    QString Text(int row, const QString& column) const;
    // NULL and non-numbers read as 0.
    qint64 Int(int row, const QString& column) const;
    double Double(int row, const QString& column) const;

  private:
    friend class Database;
    int ColumnIndex(const QString& column) const;

    QStringList columns_;
    QVector<QVector<QVariant>> rows_;
    int rowsAffected_ = 0;
    QVariant lastInsertId_;
};

// The one door to the shared database. Values are always bound as parameters; a failing
// statement raises DbError with the driver's description. A connection found lost is opened
// again before the next statement; a read is repeated once on the new connection, a write
// never (its outcome is unknown). An attempt to open it again that took a second or more to
// fail (a server that accepts but does not answer) is not repeated for as long as it took:
// statements until then fail at once as the connection being away.
class Database {
  public:
    explicit Database(UtilityComponent* util, QString connectionName = QStringLiteral("relvane"));
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens the connection; a failure is logged to the "db" log as "Konek RLV " and the
    // description, and false is returned.
    bool Open(const DbTarget& target);
    bool IsOpen() const;
    void Close();
    QString LastOpenError() const { return lastOpenError_; }
    const DbTarget& Target() const { return target_; }

    // Positional "?" placeholders.
    DbResult Exec(const QString& sql, const QVariantList& params = {});

    // Runs body inside one database transaction: committed when it returns, rolled back when
    // it raises (the error goes on to the caller). A unit is all or nothing: once a statement
    // inside it has failed, even one whose routine swallowed the error, every later statement
    // and the commit raise that error again, and the unit is rolled back. A transaction the
    // server rolled back for a deadlock or a certification conflict runs again from its start
    // (up to five times in all, after a short random pause); one rolled back for a lock wait,
    // or whose connection was lost before the commit, runs once more (on a fresh connection).
    // Inside another transaction the body joins it, and a body that raises fails the
    // enclosing unit too.
    //
    // On a cluster node a COMMIT can answer OK for a unit the cluster has refused. There,
    // committed (when given) is asked after the COMMIT whether the unit's work is really in
    // the database, with one read that only a committed unit satisfies; when it is not, the
    // unit runs again like any conflict. A read that fails leaves the outcome unknown: the
    // unit is not run again and the error goes on. A body joining another unit has its check
    // ignored: the enclosing unit's check speaks for it.
    void Transaction(const std::function<void()>& body,
                     const std::function<bool()>& committed = {});

    // Runs body as a step that may fail on its own: inside a transaction its statements are
    // undone back to a savepoint and the unit goes on; outside one it is simply caught. False
    // (with the error in *error) when it failed. A failure that took the whole transaction
    // with it (deadlock, lost connection) still raises.
    bool Attempt(const std::function<void()>& body, DbError* error = nullptr);
    // Attempt for a body whose one write is its last statement (reads before it change
    // nothing): the server undoes a statement that fails by itself, so no savepoint is set.
    bool AttemptStatement(const std::function<void()>& body, DbError* error = nullptr);
    // For a routine that logs its own errors and must not fail the unit it runs in: body is one
    // transaction of its own, or, inside a unit, a step undone alone back to a savepoint. Its
    // error is raised (as Attempt's is) for the routine's handler to log.
    void Step(const std::function<void()>& body);

    // Runs once the current transaction has ended (committed or rolled back), or at once
    // outside a transaction; for releasing what must be held until the commit.
    void AtTransactionEnd(std::function<void()> work);
    // Runs once the current transaction has committed, or at once outside a transaction; a
    // unit that is rolled back (and perhaps run again) drops it. For what the program keeps in
    // memory or shows about work that must have happened exactly once.
    void AfterCommit(std::function<void()> work);

    bool InTransaction() const { return transactionDepth_ > 0; }

    // The server is a node of a multi-writer cluster: a row lock taken on one node does not
    // hold writers on another node back; only rows both write make one of them fail at the
    // commit (and run again).
    bool InCluster() const { return inCluster_; }
    // A single server treated as a cluster node, so that the checks a cluster needs can be
    // seen at work without one.
    void TreatAsClusterNode() { inCluster_ = true; }

    // The text cut to the size of a text column of the connected database (in characters), so
    // that a long value taken from a reply cannot make the server refuse the row. The size is
    // read from the schema once per column; a column of no fixed size leaves the text whole.
    QString Fit(const QString& table, const QString& column, const QString& text);

    // Counts statements sent, for benchmarks and the idle-load figures.
    quint64 StatementCount() const { return statements_; }
    // Counts transactions committed.
    quint64 CommitCount() const { return commits_; }

    // Nothing was done: the server could not be reached, the connection dropped inside a unit,
    // or the server rolled the unit back. Work that met this may be done again later. A commit
    // whose connection dropped is not one of these: its outcome is unknown.
    static bool IsTransient(const std::exception& e);

    // Called before every statement, before each BEGIN and COMMIT, and after each commit
    // ("COMMITTED"): the fault tests cut the connection or end the process at any of them.
    using Probe = std::function<void(const QString& point)>;
    void SetProbe(Probe probe) { probe_ = std::move(probe); }

  private:
    using Binder = std::function<void(QSqlQuery&)>;
    DbResult Run(const QString& sql, const Binder& bind);
    // Attempt, with or without a savepoint around the body.
    bool AttemptStep(const std::function<void()>& body, DbError* error, bool savepoint);
    void RunTransaction(const std::function<void()>& body, const std::function<bool()>& committed);
    // On a cluster, after a COMMIT that answered OK: raises a conflict when committed says the
    // unit's work is not there.
    void ConfirmCommit(const std::function<bool()>& committed);
    void EndTransaction();
    void NoteUnitFailure(const DbError& e);
    // On a cluster: raises a conflict (the unit runs again) when the server no longer holds
    // the current transaction open.
    void CheckStillInTransaction();
    DbResult RunOnce(const QString& sql, const Binder& bind);
    void EnsureConnected();
    bool Reconnect();
    bool OpenConnection();
    QSqlQuery& Prepared(const QString& sql);
    void DropPrepared();

    UtilityComponent* util_;
    QString connectionName_;
    DbTarget target_;
    QString lastOpenError_;
    QElapsedTimer sinceFailedOpen_;
    qint64 reopenPauseMs_ = 0;  // how long the last failed open took, when that was long
    bool lost_ = false;
    bool inCluster_ = false;
    int transactionDepth_ = 0;
    std::optional<DbError> unitFailure_;  // the first failure inside the current transaction
    std::vector<std::function<void()>> atEnd_;
    std::vector<std::function<void()>> afterCommit_;
    quint64 statements_ = 0;
    quint64 commits_ = 0;
    Probe probe_;
    QHash<QString, std::shared_ptr<QSqlQuery>> prepared_;
    QHash<QString, qint64> columnSizes_;  // "table.column" -> characters, 0: no fixed size
};
