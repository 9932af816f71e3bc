#include "Load.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

#include "DemoWorld.h"
#include "MoneyCheck.h"
#include "store/Database.h"
#include "store/SettingsKeys.h"
#include "store/SettingsStore.h"
#include "store/Stamps.h"

namespace {

// Rows seen waiting are read again on every look; a lower id may still be committing, so the
// look starts where it started a second ago.
constexpr qint64 kWatermarkLagMs = 1000;
constexpr int kOrdersPerInsert = 50;

QString Trx(int n) {
    return QStringLiteral("LOAD%1").arg(n);
}

}  // namespace

Load::Load(Database& db, Options options, QTextStream& out, QObject* parent)
    : QObject(parent), db_(db), o_(std::move(options)), out_(out) {
    queueTimer_.setInterval(20);
    connect(&queueTimer_, &QTimer::timeout, this, &Load::QueueDue);
    watchTimer_.setInterval(50);
    connect(&watchTimer_, &QTimer::timeout, this, &Load::Watch);
    sampleTimer_.setInterval(1000);
    connect(&burstTimer_, &QTimer::timeout, this, [this] {
        const DbResult r = db_.Exec(QStringLiteral("SHOW GLOBAL STATUS LIKE 'Questions'"));
        questions_.emplace_back(NowMs(), r.Int(0, QStringLiteral("Value")));
    });
    connect(&sampleTimer_, &QTimer::timeout, this, [this] {
        for (size_t i = 0; i < terminals_.size(); ++i)
            peakRssKb_[i] =
                std::max(peakRssKb_[i], ProcessSample::Of(terminals_[i]->processId()).rssKb);
    });
}

Load::~Load() {
    StopTerminals();
}

void Load::Start() {
    clock_.start();
    total_ = static_cast<int>(std::floor(o_.rate * o_.seconds));
    queuedMs_.assign(total_, -1);
    settledMs_.assign(total_, -1);
    settledRow_.assign(total_, 0);
    for (int i = 1; i < o_.dbPorts.size(); ++i) {
        auto other = std::make_unique<Database>(nullptr, QStringLiteral("load-db%1").arg(i));
        DbTarget t = db_.Target();
        t.port = o_.dbPorts[i];
        if (!other->Open(t)) {
            out_ << "load: no database on port " << t.port << ": " << other->LastOpenError()
                 << Qt::endl;
            Finish(false);
            return;
        }
        others_.push_back(std::move(other));
    }
    Prepare();
    startDeposits_ = MoneyCheck::Deposits(db_);
    for (int n = 1; n <= o_.terminals; ++n) {
        suppliers_.push_back(std::make_unique<FakeSupplier>(
            DemoWorld::Jid(QStringLiteral("supplier"), n, o_.xmppDomain), o_.xmppPassword,
            o_.xmppHost, o_.xmppPort, o_.supplierDelayMs));
        suppliers_.back()->Start();
    }
    StartTerminals();
    out_ << "load: " << o_.terminals << " terminals starting; load average " << LoadAverage()
         << Qt::endl;
    WaitForTerminals();
}

void Load::Prepare() {
    DemoWorld::Plan plan;
    for (int n = 1; n <= o_.terminals; ++n) plan.terminals.append(n);
    for (int u = 1; u <= o_.uplines; ++u)
        plan.members.append(
            {QStringLiteral("U%1").arg(u), QStringLiteral("Agen %1").arg(u), 0, {}});
    // Deposits that no run can use up: the deposit guard never refuses an order.
    for (int r = 1; r <= o_.resellers; ++r)
        plan.members.append({QStringLiteral("L%1").arg(r), QStringLiteral("Toko %1").arg(r),
                             500000000, QStringLiteral("U%1").arg((r - 1) % o_.uplines + 1)});
    plan.xmppDomain = o_.xmppDomain;
    plan.xmppHost = o_.xmppHost;
    plan.xmppPort = o_.xmppPort;
    plan.xmppPassword = o_.xmppPassword;
    DemoWorld::PrepareTables(db_, plan);
    // The terminals' folders of an earlier run go, and only those: a run's logs are its own.
    static const QRegularExpression folder(QStringLiteral("^terminal\\d+$"));
    const QDir work(o_.workDir);
    for (const QString& name : work.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (folder.match(name).hasMatch()) QDir(work.filePath(name)).removeRecursively();
    if (o_.otherResellers > 0) {
        // The server's sequence table of that many rows; its name is built from a number.
        const QString seq = QStringLiteral(" FROM seq_1_to_%1").arg(o_.otherResellers);
        db_.Exec(QStringLiteral("INSERT INTO reseller (kode_reseller, nama_reseller, deposit, "
                                "level, kode_kelompok, kode_upline) SELECT CONCAT('X', seq), "
                                "'Toko lain', 0, 3, 'G', 'U1'") +
                 seq);
        db_.Exec(QStringLiteral("INSERT INTO reseller_log (kode_reseller, datetime) SELECT "
                                "CONCAT('X', seq), NOW()") +
                 seq);
    }
    for (int n = 1; n <= o_.terminals; ++n) {
        const QString home = o_.workDir + QStringLiteral("/terminal%1").arg(n);
        QDir().mkpath(home + QStringLiteral("/config"));
        QFile ini(home + QStringLiteral("/Setting.ini"));
        if (!ini.open(QIODevice::WriteOnly))
            throw DbError(QStringLiteral("cannot write ") + ini.fileName());
        QTextStream(&ini) << "[Database]\nDriver=" << o_.driver << "\nServer=" << o_.dbHost
                          << "\nPort=" << o_.dbPorts[(n - 1) % o_.dbPorts.size()]
                          << "\nDatabase=" << o_.database << "\nUID=" << o_.dbUser << "\n";
        const SettingsStore settings(home + QStringLiteral("/config"));
        DemoWorld::ConfigureTerminal(settings, n, plan);
        if (o_.jobsPerTick > 0)
            settings.SaveSetting(Keys::kAppNxEngine, QStringLiteral("Terminal #%1").arg(n),
                                 Keys::kJobsPerTick, QString::number(o_.jobsPerTick));
    }
}

void Load::StartTerminals() {
    for (int n = 1; n <= o_.terminals; ++n) {
        const QString home = o_.workDir + QStringLiteral("/terminal%1").arg(n);
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("RELVANE_CONFIG_DIR"), home + QStringLiteral("/config"));
        env.insert(QStringLiteral("RELVANE_MONITOR_PORT"), QString::number(o_.monitorPort));
        p->setProcessEnvironment(env);
        p->setProcessChannelMode(QProcess::MergedChannels);
        p->setStandardOutputFile(home + QStringLiteral("/out.log"));
        p->start(o_.relvane,
                 {QStringLiteral("--headless"), QStringLiteral("--home"), home,
                  QStringLiteral("Terminal #%1@@Relvane@@%1@@%2").arg(n).arg(o_.dbPassword)});
        terminals_.push_back(std::move(p));
    }
    peakRssKb_.assign(terminals_.size(), 0);
}

void Load::WaitForTerminals() {
    if (finished_) return;
    const qint64 online =
        db_.Exec(QStringLiteral("SELECT COUNT(*) AS n FROM terminal WHERE status = '1'"))
            .Int(0, QStringLiteral("n"));
    const bool suppliers = std::all_of(suppliers_.begin(), suppliers_.end(),
                                       [](const auto& s) { return s->IsOnline(); });
    if (online == o_.terminals && suppliers) {
        out_ << "load: all online after " << NowMs() / 1000.0 << " s; " << total_
             << " orders follow, " << o_.rate << " a second for " << o_.seconds << " s" << Qt::endl;
        // A moment for the log-in work (contact lists, first ticks) to pass.
        QTimer::singleShot(3000, this, &Load::Begin);
        return;
    }
    if (NowMs() > 60000 + 1500LL * o_.terminals) {
        out_ << "load: only " << online << " of " << o_.terminals
             << " terminals logged in (suppliers online: " << (suppliers ? "all" : "not all")
             << "); see " << o_.workDir << "/terminal*/out.log" << Qt::endl;
        Finish(false);
        return;
    }
    QTimer::singleShot(500, this, &Load::WaitForTerminals);
}

void Load::Begin() {
    before_ = Take();
    clock_.restart();
    before_.atMs = 0;
    out_ << "load: queuing; load average " << LoadAverage() << Qt::endl;
    QueueDue();
    queueTimer_.start();
    watchTimer_.start();
    sampleTimer_.start();
}

void Load::QueueDue() {
    const int due = std::min(total_, static_cast<int>(std::floor(o_.rate * NowMs() / 1000.0)));
    while (queued_ < due) {
        const int batch = std::min(due - queued_, kOrdersPerInsert);
        QString sql = QStringLiteral(
            "INSERT INTO job_quenue (datetime, kode_produk, tujuan, pesan, kode_reseller, "
            "hp_reseller, trx_id, terminal) VALUES ");
        QVariantList params;
        const QString now = NowStamp();
        for (int i = 0; i < batch; ++i) {
            const int k = queued_ + i;  // 0-based
            const QString product = k % 3 == 2 ? QStringLiteral("S5") : QStringLiteral("S10");
            const QString destination =
                QStringLiteral("0812%1").arg(k + 1, 8, 10, QLatin1Char('0'));
            sql +=
                (i ? QStringLiteral(", ") : QString()) + QStringLiteral("(?, ?, ?, ?, ?, ?, ?, ?)");
            params << now << product << destination
                   << product + QLatin1Char('.') + destination + QLatin1Char('.') + Trx(k + 1)
                   << QStringLiteral("L%1").arg(k % o_.resellers + 1)
                   << QStringLiteral("0813%1").arg(k % o_.resellers + 1, 8, 10, QLatin1Char('0'))
                   << Trx(k + 1) + QStringLiteral("#0#0") << (k % o_.terminals + 1);
        }
        db_.Exec(sql, params);
        const double at = clock_.nsecsElapsed() / 1e6;
        for (int i = 0; i < batch; ++i) queuedMs_[queued_ + i] = at;
        queued_ += batch;
    }
    if (queued_ == total_) queueTimer_.stop();
}

void Load::Watch() {
    const qint64 now = NowMs();
    while (watermarks_.size() > 1 && now - watermarks_[1].first >= kWatermarkLagMs)
        watermarks_.pop_front();
    const qint64 from = watermarks_.empty() || now - watermarks_.front().first < kWatermarkLagMs
                            ? 0
                            : watermarks_.front().second;
    const DbResult r =
        db_.Exec(QStringLiteral(
                     "SELECT id, kode_transaksi, status FROM transaksi WHERE id >= ? ORDER BY id"),
                 {from});
    qint64 lowestWaiting = -1, highest = from - 1;
    for (int i = 0; i < r.RecordCount(); ++i) {
        const qint64 id = r.Int(i, QStringLiteral("id"));
        const QString status = r.Text(i, QStringLiteral("status"));
        highest = std::max(highest, id);
        if (status == QLatin1String("2") && lowestWaiting < 0) lowestWaiting = id;
        Note(id, r.Text(i, QStringLiteral("kode_transaksi")), status, now);
    }
    watermarks_.emplace_back(now, lowestWaiting >= 0 ? lowestWaiting : highest + 1);

    const bool allIn = queued_ == total_ && settled_ == total_;
    if (allIn || (queued_ == total_ && now > (o_.seconds + o_.drainSeconds) * 1000LL)) End();
}

void Load::Note(qint64 id, const QString& code, const QString& status, qint64 nowMs) {
    static const QRegularExpression trx(QStringLiteral("#LOAD(\\d+)#"));
    const QRegularExpressionMatch m = trx.match(code);
    if (!m.hasMatch() || status == QLatin1String("2")) return;
    const int k = m.captured(1).toInt() - 1;
    if (k < 0 || k >= total_) return;
    if (settledMs_[k] >= 0) {
        if (settledRow_[k] != id) ++settledTwice_;
        settledRow_[k] = id;
        return;
    }
    settledMs_[k] = static_cast<double>(clock_.nsecsElapsed()) / 1e6;
    settledRow_[k] = id;
    ++settled_;
    lastSettledMs_ = nowMs;
}

void Load::End() {
    if (ended_) return;
    ended_ = true;
    queueTimer_.stop();
    watchTimer_.stop();
    sampleTimer_.stop();
    after_ = Take();
    ordersOk_ = CheckOrders();
    const MoneyCheck::Result money = MoneyCheck::Run(db_, startDeposits_, out_);
    const bool ok = ordersOk_ && money.Ok();
    out_ << "check: no order charged twice: " << (money.doubled == 0 ? "yes" : "NO") << Qt::endl;
    out_ << "check: deposits add up: " << (money.depositsAddUp ? "yes" : "NO") << Qt::endl;
    out_ << "check: rebate books and balance chains add up: " << (money.ledgerAddsUp ? "yes" : "NO")
         << Qt::endl;
    Report(before_, after_, ok);
    if (o_.idleSeconds <= 0) {
        Finish(ok);
        return;
    }
    ordersOk_ = ok;
    WaitForEmptyQueues();
}

bool Load::CheckOrders() {
    // From the rows alone: each order has exactly one transaction row and it is not waiting.
    const DbResult r = db_.Exec(QStringLiteral(
        "SELECT SUBSTRING_INDEX(SUBSTRING_INDEX(kode_transaksi, '#LOAD', -1), '#', 1) AS n, "
        "COUNT(*) AS rows_, SUM(status = '2') AS waiting, SUM(status = '1') AS ok FROM transaksi "
        "WHERE kode_transaksi LIKE '%#LOAD%' GROUP BY n"));
    std::vector<int> rows(total_, 0), waiting(total_, 0), successes(total_, 0);
    for (int i = 0; i < r.RecordCount(); ++i) {
        const int k = static_cast<int>(r.Int(i, QStringLiteral("n"))) - 1;
        if (k < 0 || k >= total_) continue;
        rows[k] = static_cast<int>(r.Int(i, QStringLiteral("rows_")));
        waiting[k] = static_cast<int>(r.Int(i, QStringLiteral("waiting")));
        successes[k] = static_cast<int>(r.Int(i, QStringLiteral("ok")));
    }
    int missing = 0, stillWaiting = 0, many = 0, failed = 0;
    for (int k = 0; k < total_; ++k) {
        if (rows[k] == 0) ++missing;
        if (waiting[k] > 0) ++stillWaiting;
        if (rows[k] > 1) ++many;
        if (rows[k] == 1 && successes[k] == 0 && waiting[k] == 0) ++failed;
    }
    const qint64 left = db_.Exec(QStringLiteral("SELECT COUNT(*) AS n FROM job_quenue WHERE "
                                                "kode_produk <> '-'"))
                            .Int(0, QStringLiteral("n"));
    out_ << "check: " << total_ << " orders queued, " << left << " still queued, " << missing
         << " without a transaction row, " << stillWaiting << " still waiting, " << many
         << " with more than one row, " << failed << " failed, " << settledTwice_
         << " seen settled twice" << Qt::endl;
    const bool ok = left == 0 && missing == 0 && stillWaiting == 0 && many == 0 && failed == 0 &&
                    settledTwice_ == 0;
    out_ << "check: every order settled exactly once: " << (ok ? "yes" : "NO") << Qt::endl;
    return ok;
}

void Load::WaitForEmptyQueues() {
    // Jobs of the terminals still to go out after the last settlement. The resellers' reply
    // messages are queued for terminal 0 (none of these resellers has a sender terminal) and
    // stay there: no terminal of the run takes them.
    const qint64 left = db_.Exec(QStringLiteral("SELECT COUNT(*) AS n FROM job_quenue WHERE "
                                                "terminal BETWEEN 1 AND ?"),
                                 {o_.terminals})
                            .Int(0, QStringLiteral("n"));
    if (left > 0 && NowMs() < (o_.seconds + o_.drainSeconds + 60) * 1000LL) {
        QTimer::singleShot(500, this, &Load::WaitForEmptyQueues);
        return;
    }
    // A few ticks with nothing to do before the measure starts.
    QTimer::singleShot(3000, this, [this] {
        idleBefore_ = Take();
        out_ << "load: idle for " << o_.idleSeconds << " s" << Qt::endl;
        questions_.clear();
        burstTimer_.setTimerType(Qt::PreciseTimer);
        burstTimer_.start(10);
        QTimer::singleShot(o_.idleSeconds * 1000, this, &Load::MeasureIdle);
    });
}

void Load::Stop() {
    out_ << "load: stopped early" << Qt::endl;
    if (before_.terminals.empty() || ended_) {
        Finish(false);
        return;
    }
    End();
    Finish(false);
}

void Load::Finish(bool ok) {
    if (finished_) return;
    finished_ = true;
    queueTimer_.stop();
    watchTimer_.stop();
    sampleTimer_.stop();
    StopTerminals();
    out_ << "load: " << (ok ? "all checks passed" : "CHECKS FAILED") << Qt::endl;
    emit Finished(ok);
}

void Load::StopTerminals() {
    for (auto& p : terminals_)
        if (p->state() != QProcess::NotRunning) p->terminate();
    for (auto& p : terminals_)
        if (!p->waitForFinished(15000)) p->kill();
    for (auto& p : terminals_) p->waitForFinished(2000);
    terminals_.clear();
}
