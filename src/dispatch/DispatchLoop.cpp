#include "dispatch/DispatchLoop.h"

#include <cmath>

#include "chat/ChatSession.h"
#include "chat/YmQueue.h"
#include "dispatch/Guards.h"
#include "ledger/WaitingRecord.h"
#include "queue/JobQueue.h"
#include "queue/MessageTables.h"
#include "store/Database.h"
#include "store/MonitorFeed.h"
#include "store/Output.h"
#include "store/SettingsKeys.h"
#include "store/SettingsStore.h"
#include "store/Stamps.h"

namespace {

bool StartsWithLetter(const QString& text) {
    const QChar first = text.isEmpty() ? QChar() : text.at(0).toLower();
    return first >= QLatin1Char('a') && first <= QLatin1Char('z');
}

bool IsMessageJob(const Job& job) {
    return job.kodeProduk == QLatin1String("-");
}

// The booster's mailbox already holds the same text: the job waits for a later tick.
struct AlreadyInMailbox {};

}  // namespace

DispatchLoop::DispatchLoop(Context ctx, Output& out, MonitorFeed& monitor, ChatSession& chat,
                           YmQueue& ym, Collaborators with, QObject* parent)
    : QObject(parent), ctx_(ctx), out_(out), monitor_(monitor), chat_(chat), ym_(ym), w_(with) {
    tmOut_.setInterval(1000);
    // Precise: a coarse timer would round the terminals' phases back onto common instants.
    tmOut_.setTimerType(Qt::PreciseTimer);
    connect(&tmOut_, &QTimer::timeout, this, &DispatchLoop::tmOut_Timer);
    phase_.setSingleShot(true);
    phase_.setTimerType(Qt::PreciseTimer);
    connect(&phase_, &QTimer::timeout, &tmOut_, [this] { tmOut_.start(); });
}

void DispatchLoop::tmOut_Timer() {
    if (busy_) return;
    busy_ = true;
    try {
        Tick();
    } catch (const std::exception& e) {
        // A failed statement ends the tick; a job not handed over stays queued for the next.
        ctx_.Log(QStringLiteral("tmOut ") + Describe(e));
    } catch (...) {
        ctx_.Log(QStringLiteral("tmOut kesalahan tak dikenal"));
    }
    busy_ = false;
}

QString DispatchLoop::TargetOf(const Job& job) const {
    if (StartsWithLetter(job.tujuan)) return job.tujuan;
    if (ctx_.values.TerminalList.isEmpty()) return ctx_.values.LblTarget;
    return ctx_.settings.GetSetting(Keys::kAppHbvGate, Keys::kSecSetting,
                                    Keys::PerTerminal(Keys::kServerHbv, job.terminal));
}

bool DispatchLoop::TableProbeFails() {
    try {
        w_.waiting.CheckTable();
        return false;
    } catch (const std::exception& e) {
        // Not a log-out by hand: the automatic re-login brings the account back.
        chat_.CmdLoginYM_Click(false);
        out_.SendBox(QStringLiteral("Cek Tabel..."), Describe(e));
        return true;
    }
}

QString DispatchLoop::Unsendable(const Job& job, const QString& target, const QString& message,
                                 const QString& recipient) const {
    const bool booster = ctx_.values.BoosterMode == 1;
    // A message job names its reseller in the destination or after "@"; without either it
    // would go to the supplier's account.
    const bool nobody = IsMessageJob(job) && job.tujuan.isEmpty() &&
                        (!job.pesan.contains(QLatin1Char('@')) || recipient.isEmpty());
    if (nobody || (booster ? target : recipient).isEmpty() || message.isEmpty())
        return QStringLiteral("tujuan chat kosong");
    if (booster && !YmQueue::Fits(target, message)) return QStringLiteral("tidak muat di ym_queue");
    return QString();
}

void DispatchLoop::Drop(const Job& job, const QString& reason) {
    bool dropped = false;
    ctx_.db.Transaction(
        [&] {
            dropped = w_.jobs.DelQueue(job.id);
            if (!dropped) return;  // another instance has dealt with it
            w_.messages.InsertToOutbox(job.tujuan, job.pesan, 0, job.terminal, job.kodeProduk,
                                       job.kodeReseller);
        },
        [&] { return !dropped || w_.jobs.Gone(job.id); });
    if (!dropped) return;
    const QString line = QStringLiteral("Trx ") + job.pesan + QStringLiteral(" dibuang, ") +
                         reason + QStringLiteral(" (") + job.kodeReseller + QLatin1Char(')');
    out_.SendBox(QStringLiteral("Info"), line);
    ctx_.Log(line);
}

bool DispatchLoop::Transient(const std::exception& e) const {
    const auto* db = dynamic_cast<const DbError*>(&e);
    return db != nullptr && (db->RolledBack() || !ctx_.db.IsOpen());
}

std::optional<WaitingOrder> DispatchLoop::PriceOrder(const Job& job, QString* unpriced) {
    if (IsMessageJob(job) || job.kodeProduk == QLatin1String("-r-")) return std::nullopt;
    WaitingRecord& waiting = w_.waiting;
    try {
        // Priced by the deposit guard a moment ago: the same rows, not read again.
        if (const std::optional<MoneyGuards::Priced> priced = w_.guards.PricedFor(job.id))
            return waiting.PricedWaiting(priced->reseller, priced->harga, priced->rebat,
                                         job.kodeReseller, job.hpReseller, job.kodeProduk,
                                         job.tujuan, job.LineGate16(), job.terminal, job.trxId);
        return waiting.PriceWaiting(job.kodeReseller, job.hpReseller, job.kodeProduk, job.tujuan,
                                    job.LineGate16(), job.terminal, job.trxId);
    } catch (const std::exception& e) {
        if (Transient(e)) throw;
        // An unknown reseller, a level that is no number, an amount out of range: sent, the
        // order would cost the supplier's money and nobody would pay for it.
        waiting.LogWaitingError(job.kodeReseller, job.hpReseller, job.kodeProduk, job.tujuan, e);
        *unpriced = Describe(e) == QLatin1String(kTypeMismatch)
                        ? QStringLiteral("reseller tidak dikenal atau levelnya bukan angka")
                        : QStringLiteral("harga tidak dapat dihitung: ") + Describe(e);
        return std::nullopt;
    }
}

bool DispatchLoop::Claim(const Job& job, const QString& target, const QString& message,
                         WaitingOrder* waiting) {
    const bool booster = ctx_.values.BoosterMode == 1;
    bool claimed = false;
    // Sent only once the claim is surely committed: a claim a cluster refused unseen would
    // leave the job queued, and the next tick would send it again.
    ctx_.db.Transaction(
        [&] {
            claimed = w_.jobs.DelQueue(job.id);
            if (!claimed) return;  // taken by another instance serving the same terminal
            w_.messages.InsertToOutbox(job.tujuan, job.pesan, 1, job.terminal, job.kodeProduk,
                                       job.kodeReseller);
            if (booster &&
                !ym_.InsertYmQueue(target, message, QStringLiteral("GetQueue"), job.terminal))
                throw AlreadyInMailbox();
            if (waiting != nullptr) w_.waiting.WriteWaiting(*waiting);
        },
        [&] { return !claimed || w_.jobs.Gone(job.id); });
    return claimed;
}

bool DispatchLoop::Guarded(const Job& job) {
    const QString order = job.pesan + QStringLiteral(" Transaksi ") + job.kodeReseller;
    switch (w_.guards.Screen(job)) {
        case Guards::Verdict::Pass:
            return false;
        case Guards::Verdict::Gone:
            return true;
        case Guards::Verdict::Diverted:
            out_.SendBox(order, QStringLiteral(" Pengalihan Otomatis, Sebab di Terminal[") +
                                    QString::number(job.terminal) +
                                    QStringLiteral("] Sudah Pernah Sukses Sebelumnya"));
            return true;
        case Guards::Verdict::Requeued:
            out_.SendBox(order, QStringLiteral(" Ditolak karena sudah melebihi batas pendingan "));
            return true;
        case Guards::Verdict::RefusedBill:
            out_.SendBox(
                order, QStringLiteral(" Ditolak Mungkin masalah Saldo Atau Belum ada Status CEK"));
            return true;
        case Guards::Verdict::RefusedMove:
            out_.SendBox(order, QStringLiteral(" Ditolak karena tidak dapat dialihkan lagi"));
            return true;
        case Guards::Verdict::RefusedDeposit:
            out_.SendBox(job.pesan + QStringLiteral(" Deposit ") + job.kodeReseller,
                         QStringLiteral("Tidak Cukup"));
            return true;
    }
    return true;
}

int DispatchLoop::PhaseMs(int terminal) {
    // The fractional parts of multiples of the golden ratio spread any run of numbers evenly.
    const double golden = 0.6180339887498949;
    const double turn = terminal * golden;
    return static_cast<int>((turn - std::floor(turn)) * 1000);
}

void DispatchLoop::Start() {
    tmOut_.stop();
    phase_.start(PhaseMs(ctx_.values.TerminalNo));
}

void DispatchLoop::Stop() {
    phase_.stop();
    tmOut_.stop();
}

void DispatchLoop::Tick() {
    const ProcessValues& v = ctx_.values;
    if (!chat_.LoggedIn()) return;
    emit Busy();
    const int most = qBound(1, v.JobsPerTick, Keys::kMaxJobsPerTick);
    for (int i = 0; i < most; ++i) {
        if (i > 0 && !chat_.LoggedIn()) return;  // the table probe logged the account out
        if (!HandOverNext(i == 0)) return;
    }
}

bool DispatchLoop::HandOverNext(bool firstOfTick) {
    const ProcessValues& v = ctx_.values;
    const std::optional<Job> fetched = w_.jobs.GetQueue(v.TerminalNo);
    if (firstOfTick && v.BoosterMode == 1) ym_.ProcessSupplierRecv();
    if (!fetched) return false;
    const Job& job = *fetched;
    const QString target = TargetOf(job);

    if (firstOfTick) TableProbeFails();
    if (Guarded(job)) return true;

    // The order text goes before the first "@"; what follows names the recipient, whole: a
    // chat account has an "@" of its own.
    const int at = job.pesan.indexOf(QLatin1Char('@'));
    const QString message = at < 0 ? job.pesan : job.pesan.left(at);
    const QString recipient = at < 0 ? target : job.pesan.mid(at + 1);
    const bool booster = v.BoosterMode == 1;
    const QString unsendable = Unsendable(job, target, message, recipient);
    if (!unsendable.isEmpty()) {
        // Left alone it would hold up every job queued behind it.
        Drop(job, unsendable);
        return true;
    }
    QString unpriced;
    std::optional<WaitingOrder> order = PriceOrder(job, &unpriced);
    if (!unpriced.isEmpty()) {
        Drop(job, unpriced);
        return true;
    }
    // The chat client cannot take it now: the job stays queued for a later tick.
    if (!booster && !chat_.ChatReady(message)) return false;
    try {
        if (!Claim(job, target, message, order ? &*order : nullptr)) return false;
    } catch (const AlreadyInMailbox&) {
        return false;
    } catch (const std::exception& e) {
        // The waiting record cannot be written for a lasting reason (its row does not fit,
        // say): the order goes out without one rather than holding up the queue.
        if (!order || Transient(e)) throw;
        w_.waiting.LogWaitingError(job.kodeReseller, job.hpReseller, job.kodeProduk, job.tujuan, e);
        if (!Claim(job, target, message, nullptr)) return false;
    }

    // Recorded as sent: from here on the job is never handed over again. Should the chat
    // client fail now, the order stays recorded as waiting and the log says so.
    if (!booster && !chat_.SendChat(message, recipient))
        ctx_.Log(QStringLiteral("Trx ") + job.pesan +
                 QStringLiteral(" tercatat terkirim tetapi tidak sampai ke server chat (") +
                 job.kodeReseller + QStringLiteral(") TrxID:") + job.trxId);

    const QString route = QString::number(job.terminal) + QStringLiteral("->") + target +
                          QStringLiteral(") TrxID:") + job.trxId;
    out_.ShowMessageBlock(
        QStringLiteral("RLV#") + QString::number(v.TerminalNo) + QStringLiteral(":>(") + route,
        job.hpReseller, job.kodeReseller, job.pesan, NowStamp(), 1);
    monitor_.SendMonitorRecord(
        QStringLiteral("RLV #") + QString::number(v.TerminalNo) + QStringLiteral(":> (") + route,
        job.hpReseller, job.kodeReseller, job.pesan, NowStamp(), 1);
    return true;
}
