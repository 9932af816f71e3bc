#include "store/Database.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>

#include "store/Errors.h"
#include "store/UtilityComponent.h"

namespace {

const QString kDbLog = QStringLiteral("db");
constexpr int kMaxPrepared = 256;
// A unit the server rolled back for a conflict runs again up to this many times in all: on a
// cluster where several nodes take writes, two settlements of one reseller can meet more than
// once in a row.
constexpr int kConflictAttempts = 5;

// Client error numbers and ODBC states that mean the connection itself is gone.
bool IsConnectionLost(const QSqlError& error) {
    static const QStringList kLostCodes = {QStringLiteral("2002"), QStringLiteral("2003"),
                                           QStringLiteral("2006"), QStringLiteral("2013"),
                                           QStringLiteral("2055"), QStringLiteral("1927"),
                                           QStringLiteral("4031")};
    const QString code = error.nativeErrorCode();
    for (const QString& part : code.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString c = part.trimmed();
        if (kLostCodes.contains(c) || c.startsWith(QLatin1String("08"))) return true;
    }
    const QString text = error.text();
    return text.contains(QLatin1String("gone away"), Qt::CaseInsensitive) ||
           text.contains(QLatin1String("Lost connection"), Qt::CaseInsensitive) ||
           text.contains(QLatin1String("Communication link failure"), Qt::CaseInsensitive);
}

bool IsRead(const QString& sql) {
    const QString head = sql.trimmed().left(8).toUpper();
    return head.startsWith(QLatin1String("SELECT")) || head.startsWith(QLatin1String("SHOW"));
}

QString Description(const QSqlError& error) {
    const QString db = error.databaseText().trimmed();
    const QString driver = error.driverText().trimmed();
    if (db.isEmpty()) return driver;
    if (driver.isEmpty()) return db;
    return driver + QLatin1Char(' ') + db;
}

// A null QString would bind as SQL NULL; the module's empty texts are empty strings.
QVariant Bindable(const QVariant& v) {
    if (v.userType() == QMetaType::QString && v.toString().isNull()) return QString("");
    return v;
}

}  // namespace

bool DbTarget::IsNative() const {
    return driver.trimmed().compare(QLatin1String("QMYSQL"), Qt::CaseInsensitive) == 0;
}

int DbTarget::LockWait() const {
    return qMax(1, timeout - 2);
}

QString OdbcConnectionString(const DbTarget& target) {
    // A value holding ";", "{" or "}", or blanks at its ends, goes in braces with "}" doubled:
    // a password cannot end its attribute or add options of its own.
    const auto value = [](const QString& v) -> QString {
        const bool plain = !v.contains(QLatin1Char(';')) && !v.contains(QLatin1Char('{')) &&
                           !v.contains(QLatin1Char('}')) && v.trimmed() == v;
        if (plain) return v;
        QString braced = v;
        braced.replace(QLatin1String("}"), QLatin1String("}}"));
        return QLatin1Char('{') + braced + QLatin1Char('}');
    };
    QString s = QStringLiteral("DRIVER=") + value(target.driver) + QStringLiteral(";") +
                QStringLiteral("SERVER=") + value(target.server) + QStringLiteral(";") +
                QStringLiteral("DATABASE=") + value(target.database) + QStringLiteral(";") +
                QStringLiteral("UID=") + value(target.uid) + QStringLiteral(";") +
                QStringLiteral("PWD=") + value(target.password) + QStringLiteral(";") +
                QStringLiteral("OPTION=") + QString::number(18475);
    if (!target.port.trimmed().isEmpty())
        s += QStringLiteral(";PORT=") + value(target.port.trimmed());
    const QString seconds = QString::number(target.timeout);
    s += QStringLiteral(";CONN_TIMEOUT=") + seconds + QStringLiteral(";READ_TIMEOUT=") + seconds +
         QStringLiteral(";WRITE_TIMEOUT=") + seconds;
    return s;
}

// ---------------------------------------------------------------- DbResult

int DbResult::ColumnIndex(const QString& column) const {
    for (int i = 0; i < columns_.size(); ++i)
        if (columns_[i].compare(column, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QVariant DbResult::Value(int row, const QString& column) const {
    const int col = ColumnIndex(column);
    if (col < 0) throw DbError(QStringLiteral("Item cannot be found: %1").arg(column));
    if (row < 0 || row >= rows_.size())
        throw DbError(QStringLiteral("Either BOF or EOF is True (%1)").arg(column));
    return rows_[row][col];
}

QString DbResult::Text(int row, const QString& column) const {
    const QVariant v = Value(row, column);
    if (v.isNull()) return QString("");
    switch (v.userType()) {
        case QMetaType::QDateTime:
            return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        case QMetaType::QDate:
            return v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
        case QMetaType::QByteArray:
            return QString::fromUtf8(v.toByteArray());
        case QMetaType::Double:
            return QString::number(v.toDouble(), 'g', 15);
        default:
            return v.toString();
    }
}

qint64 DbResult::Int(int row, const QString& column) const {
    const QVariant v = Value(row, column);
    bool ok = false;
    const qint64 n = v.toLongLong(&ok);
    if (ok) return n;
    const double d = v.toString().trimmed().toDouble(&ok);
    return ok ? static_cast<qint64>(d) : 0;
}

double DbResult::Double(int row, const QString& column) const {
    bool ok = false;
    const double d = Value(row, column).toDouble(&ok);
    return ok ? d : 0.0;
}

// ---------------------------------------------------------------- Database

Database::Database(UtilityComponent* util, QString connectionName)
    : util_(util), connectionName_(std::move(connectionName)) {}

Database::~Database() {
    Close();
}

bool Database::Open(const DbTarget& target) {
    target_ = target;
    return OpenConnection();
}

bool Database::OpenConnection() {
    QElapsedTimer took;
    took.start();
    DropPrepared();
    if (QSqlDatabase::contains(connectionName_)) {
        QSqlDatabase::database(connectionName_, false).close();
        QSqlDatabase::removeDatabase(connectionName_);
    }
    QSqlDatabase db;
    if (target_.IsNative()) {
        db = QSqlDatabase::addDatabase(QStringLiteral("QMYSQL"), connectionName_);
        db.setHostName(target_.server);
        db.setDatabaseName(target_.database);
        db.setUserName(target_.uid);
        db.setPassword(target_.password);
        if (!target_.port.trimmed().isEmpty()) db.setPort(target_.port.trimmed().toInt());
        // Matched rather than changed rows, as the ODBC option set asks for.
        db.setConnectOptions(QStringLiteral("CLIENT_FOUND_ROWS;MYSQL_OPT_CONNECT_TIMEOUT=%1;"
                                            "MYSQL_OPT_READ_TIMEOUT=%1;MYSQL_OPT_WRITE_TIMEOUT=%1")
                                 .arg(target_.timeout));
    } else {
        db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), connectionName_);
        db.setDatabaseName(OdbcConnectionString(target_));
    }
    if (db.open()) {
        // The native client asks for 3-byte utf8; the tables hold any Unicode text.
        if (target_.IsNative()) QSqlQuery(QStringLiteral("SET NAMES utf8mb4"), db);
        // Each statement sees what other terminals and the host have committed by then: a
        // balance read under a lock must see the entry the previous holder wrote.
        QSqlQuery(QStringLiteral("SET SESSION TRANSACTION ISOLATION LEVEL READ COMMITTED"), db);
        QSqlQuery(QStringLiteral("SET SESSION innodb_lock_wait_timeout = ") +
                      QString::number(target_.LockWait()),
                  db);
        // A node of a replicating cluster certifies only rows written, not rows locked.
        QSqlQuery wsrep(QStringLiteral("SELECT @@GLOBAL.wsrep_on"), db);
        inCluster_ = wsrep.next() && wsrep.value(0).toInt() == 1;
        lastOpenError_.clear();
        reopenPauseMs_ = 0;
        lost_ = false;
        return true;
    }
    const qint64 ms = took.elapsed();
    reopenPauseMs_ = ms >= 1000 ? ms : 0;
    sinceFailedOpen_.start();
    const QString description = Description(db.lastError());
    if (lastOpenError_ != description && util_ != nullptr)
        util_->WriteLog(kDbLog, QStringLiteral("Konek RLV ") + description);
    lastOpenError_ = description;
    return false;
}

bool Database::IsOpen() const {
    return QSqlDatabase::contains(connectionName_) &&
           QSqlDatabase::database(connectionName_, false).isOpen() && !lost_;
}

void Database::Close() {
    DropPrepared();
    if (!QSqlDatabase::contains(connectionName_)) return;
    QSqlDatabase::database(connectionName_, false).close();
    QSqlDatabase::removeDatabase(connectionName_);
}

void Database::DropPrepared() {
    prepared_.clear();
}

void Database::EnsureConnected() {
    if (IsOpen()) return;
    if (transactionDepth_ > 0)
        throw DbError(QStringLiteral("connection lost in transaction"), QString(), true);
    // Nothing was sent: the work may go again once the server is back.
    if (!Reconnect()) throw DbError(lastOpenError_, QString(), true);
}

bool Database::Reconnect() {
    if (reopenPauseMs_ > 0 && sinceFailedOpen_.isValid() &&
        sinceFailedOpen_.elapsed() < reopenPauseMs_)
        return false;
    if (!OpenConnection()) return false;
    if (util_ != nullptr) util_->WriteLog(kDbLog, QStringLiteral("Konek ulang RLV"));
    return true;
}

QSqlQuery& Database::Prepared(const QString& sql) {
    auto it = prepared_.find(sql);
    if (it != prepared_.end()) return **it;
    if (prepared_.size() >= kMaxPrepared) DropPrepared();
    auto query = std::make_shared<QSqlQuery>(QSqlDatabase::database(connectionName_, false));
    query->setForwardOnly(true);
    if (!query->prepare(sql)) {
        const QSqlError error = query->lastError();
        if (IsConnectionLost(error)) lost_ = true;
        const DbError e(Description(error), error.nativeErrorCode(), IsConnectionLost(error));
        NoteUnitFailure(e);
        throw e;
    }
    return **prepared_.insert(sql, query);
}

DbResult Database::Exec(const QString& sql, const QVariantList& params) {
    return Run(sql, [&params](QSqlQuery& q) {
        for (int i = 0; i < params.size(); ++i) q.bindValue(i, Bindable(params[i]));
    });
}

DbResult Database::Run(const QString& sql, const Binder& bind) {
    if (transactionDepth_ > 0 && unitFailure_) throw *unitFailure_;
    EnsureConnected();
    try {
        return RunOnce(sql, bind);
    } catch (const DbError&) {
        // A read changes nothing, so it may go again on a fresh connection; a write may have
        // been done before the connection dropped, so it is reported, not repeated.
        if (!lost_ || transactionDepth_ > 0 || !IsRead(sql)) throw;
        if (!Reconnect()) throw DbError(lastOpenError_, QString(), true);
        return RunOnce(sql, bind);
    }
}

DbResult Database::RunOnce(const QString& sql, const Binder& bind) {
    QSqlQuery& query = Prepared(sql);
    bind(query);
    ++statements_;
    if (probe_) probe_(sql);
    const auto fail = [&] {
        const QSqlError error = query.lastError();
        if (IsConnectionLost(error)) {
            lost_ = true;
            if (util_ != nullptr)
                util_->WriteLog(kDbLog, QStringLiteral("Konek RLV ") + Description(error));
        }
        query.finish();
        const DbError e(Description(error), error.nativeErrorCode(), IsConnectionLost(error));
        NoteUnitFailure(e);
        throw e;
    };
    if (!query.exec()) fail();
    DbResult result;
    if (query.isSelect()) {
        const QSqlRecord record = query.record();
        for (int i = 0; i < record.count(); ++i) result.columns_.append(record.fieldName(i));
        while (query.next()) {
            QVector<QVariant> row(record.count());
            for (int i = 0; i < record.count(); ++i) row[i] = query.value(i);
            result.rows_.append(std::move(row));
        }
        // A row that could not be read ends the loop like the last one: a cluster node that
        // rolls the transaction back while the rows are on their way sends its deadlock
        // error there, and the rows read so far are not the answer.
        if (query.lastError().isValid()) fail();
    } else {
        result.rowsAffected_ = query.numRowsAffected();
        if (query.driver()->hasFeature(QSqlDriver::LastInsertId))
            result.lastInsertId_ = query.lastInsertId();
    }
    query.finish();
    return result;
}

bool Database::IsTransient(const std::exception& e) {
    const auto* db = dynamic_cast<const DbError*>(&e);
    return db != nullptr && (db->RolledBack() || db->ConnectionLost());
}

void Database::NoteUnitFailure(const DbError& e) {
    if (transactionDepth_ > 0 && !unitFailure_) unitFailure_ = e;
}

void Database::Transaction(const std::function<void()>& body,
                           const std::function<bool()>& committed) {
    if (transactionDepth_ > 0) {
        try {
            body();
        } catch (const DbError& e) {
            NoteUnitFailure(e);
            throw;
        } catch (const std::exception& e) {
            NoteUnitFailure(DbError(Describe(e)));
            throw;
        }
        return;
    }
    // Rolled back whole by the server, or gone with the connection before the commit: the unit
    // left nothing behind and may run again from its start; after a conflict, following a
    // short pause of random length, so that the two that met do not meet again at once.
    bool reconnected = false;
    for (int attempt = 1;; ++attempt) {
        try {
            RunTransaction(body, committed);
            return;
        } catch (const DbError& e) {
            // A lock wait that ran out has waited long already: it goes once more only.
            const int attempts = e.Code().contains(QLatin1String("1205")) ? 2 : kConflictAttempts;
            if (e.RolledBack() && attempt < attempts) {
                QThread::msleep(QRandomGenerator::global()->bounded(1, 10 * attempt));
                continue;
            }
            if (!e.ConnectionLost() || reconnected) throw;
            reconnected = true;
        }
    }
}

void Database::RunTransaction(const std::function<void()>& body,
                              const std::function<bool()>& committed) {
    EnsureConnected();
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    if (probe_) probe_(QStringLiteral("BEGIN"));
    if (!db.transaction()) {
        const QSqlError error = db.lastError();
        if (IsConnectionLost(error)) lost_ = true;
        throw DbError(Description(error), error.nativeErrorCode(), IsConnectionLost(error));
    }
    ++transactionDepth_;
    unitFailure_.reset();
    try {
        body();
        // A step that swallowed its error still fails the unit.
        if (unitFailure_) throw *unitFailure_;
        // A cluster node may have rolled the unit back without any statement reporting it;
        // the COMMIT would then succeed with nothing to commit.
        CheckStillInTransaction();
    } catch (...) {
        db.rollback();
        EndTransaction();
        throw;
    }
    if (probe_) probe_(QStringLiteral("COMMIT"));
    if (!db.commit()) {
        // The outcome of a commit that lost its connection is unknown: it is not run again.
        const QSqlError error = db.lastError();
        if (IsConnectionLost(error)) lost_ = true;
        db.rollback();
        EndTransaction();
        throw DbError(Description(error), error.nativeErrorCode());
    }
    if (probe_) probe_(QStringLiteral("COMMITTED"));
    std::vector<std::function<void()>> followUp;
    followUp.swap(afterCommit_);
    EndTransaction();
    if (inCluster_ && committed) ConfirmCommit(committed);
    ++commits_;
    for (const auto& w : followUp) w();
}

void Database::ConfirmCommit(const std::function<bool()>& committed) {
    bool there = false;
    try {
        there = committed();
    } catch (const DbError& e) {
        // Without the answer the unit may have committed: running it again could do its work
        // twice. The code is left out so that nothing takes it for a conflict.
        throw DbError(QStringLiteral("the commit could not be confirmed: ") + e.Description());
    }
    if (!there)
        throw DbError(QStringLiteral("the cluster refused the commit"), QStringLiteral("1213"));
}

void Database::EndTransaction() {
    --transactionDepth_;
    unitFailure_.reset();
    afterCommit_.clear();  // a unit rolled back leaves nothing to follow it
    std::vector<std::function<void()>> work;
    work.swap(atEnd_);
    for (const auto& w : work) w();
}

void Database::AtTransactionEnd(std::function<void()> work) {
    if (transactionDepth_ == 0) {
        work();
        return;
    }
    atEnd_.push_back(std::move(work));
}

void Database::AfterCommit(std::function<void()> work) {
    if (transactionDepth_ == 0) {
        work();
        return;
    }
    afterCommit_.push_back(std::move(work));
}

bool Database::Attempt(const std::function<void()>& body, DbError* error) {
    return AttemptStep(body, error, true);
}

bool Database::AttemptStatement(const std::function<void()>& body, DbError* error) {
    return AttemptStep(body, error, false);
}

bool Database::AttemptStep(const std::function<void()>& body, DbError* error, bool savepoint) {
    const auto failed = [error](const DbError& e) {
        if (error != nullptr) *error = e;
        return false;
    };
    if (transactionDepth_ == 0) {
        try {
            body();
            return true;
        } catch (const DbError& e) {
            return failed(e);
        }
    }
    if (unitFailure_) throw *unitFailure_;
    if (savepoint) Exec(QStringLiteral("SAVEPOINT relvane_attempt"));
    // A cluster node may roll a transaction back for another node's write without telling the
    // savepoint: the step would then run, and be kept, outside any transaction.
    CheckStillInTransaction();
    try {
        body();
    } catch (const DbError& e) {
        if (e.RolledBack() || e.ConnectionLost()) throw;
        unitFailure_.reset();
        if (savepoint) Exec(QStringLiteral("ROLLBACK TO SAVEPOINT relvane_attempt"));
        return failed(e);
    }
    if (savepoint) Exec(QStringLiteral("RELEASE SAVEPOINT relvane_attempt"));
    return true;
}

void Database::Step(const std::function<void()>& body) {
    DbError failed{QString()};
    if (!Attempt([&] { Transaction(body); }, &failed)) throw failed;
}

void Database::CheckStillInTransaction() {
    if (!inCluster_ ||
        Exec(QStringLiteral("SELECT @@in_transaction AS t")).Int(0, QStringLiteral("t")) != 0)
        return;
    const DbError lost(QStringLiteral("the cluster rolled the transaction back"),
                       QStringLiteral("1213"));
    NoteUnitFailure(lost);
    throw lost;
}

QString Database::Fit(const QString& table, const QString& column, const QString& text) {
    const QString name = table.toLower() + QLatin1Char('.') + column.toLower();
    auto it = columnSizes_.find(name);
    if (it == columnSizes_.end()) {
        const DbResult r = Exec(QStringLiteral("SELECT CHARACTER_MAXIMUM_LENGTH AS size FROM "
                                               "information_schema.COLUMNS WHERE TABLE_SCHEMA = "
                                               "DATABASE() AND TABLE_NAME = ? AND COLUMN_NAME = ?"),
                                {table, column});
        // TEXT columns report sizes no reply comes near; only the varchar sizes matter.
        const qint64 size = r.IsEmpty() ? 0 : r.Int(0, QStringLiteral("size"));
        it = columnSizes_.insert(name, size > 0 && size < 65535 ? size : 0);
    }
    if (*it == 0 || text.size() <= *it) return text;
    // Counted in UTF-16 units, which never exceeds the server's count of characters; a pair
    // is never split.
    QString cut = text.left(static_cast<int>(*it));
    if (cut.at(cut.size() - 1).isHighSurrogate()) cut.chop(1);
    return cut;
}
