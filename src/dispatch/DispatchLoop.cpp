#include "dispatch/DispatchLoop.h"

#include "chat/ChatSession.h"
#include "chat/MonitorSocket.h"
#include "chat/Output.h"
#include "chat/SendChat.h"
#include "chat/YmQueue.h"
#include "dispatch/Core.h"
#include "dispatch/Workers.h"
#include "store/Database.h"
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

DispatchLoop::DispatchLoop(Core& core, QObject* parent) : QObject(parent), core_(core) {
    tmOut_.setInterval(1000);
    connect(&tmOut_, &QTimer::timeout, this, &DispatchLoop::tmOut_Timer);
}

void DispatchLoop::tmOut_Timer() {
    if (busy_) return;
    busy_ = true;
    try {
        Tick();
    } catch (const std::exception& e) {
        // A failed statement ends the tick; a job not handed over stays queued for the next.
        core_.Log(QStringLiteral("tmOut ") + Describe(e));
    } catch (...) {
        core_.Log(QStringLiteral("tmOut kesalahan tak dikenal"));
    }
    busy_ = false;
}

QString DispatchLoop::TargetOf(const Job& job) const {
    if (StartsWithLetter(job.tujuan)) return job.tujuan;
    if (core_.Values().TerminalList.isEmpty()) return core_.State().LblTarget;
    return core_.Settings().GetSetting(Keys::kAppHbvGate, Keys::kSecSetting,
                                       Keys::PerTerminal(Keys::kServerHbv, job.terminal));
}

bool DispatchLoop::TableProbeFails() {
    static const char* const kColumns[] = {
        "id",           "kode_transaksi", "datetime_sms",  "datetime_transaksi",
        "kode_produk",  "tujuan",         "kode_reseller", "hp_reseller",
        "deposit_awal", "deposit_akhir",  "harga_beli",    "harga_dasar",
        "terminal",     "status",         "keterangan"};
    try {
        const DbResult r =
            core_.Db().Exec(QStringLiteral("SELECT * FROM transaksi_ order by id asc limit 0,1"));
        // An empty table is sound; a missing column is not.
        for (const char* column : kColumns)
            if (!r.Columns().contains(QLatin1String(column), Qt::CaseInsensitive))
                throw DbError(QStringLiteral("Item cannot be found: ") + QLatin1String(column));
        return false;
    } catch (const std::exception& e) {
        // Not a log-out by hand: the automatic re-login brings the account back.
        core_.Chat().CmdLoginYM_Click(false);
        core_.Out().SendBox(QStringLiteral("Cek Tabel..."), Describe(e));
        return true;
    }
}

QString DispatchLoop::Unsendable(const Job& job, const QString& target, const QString& message,
                                 const QString& recipient) const {
    const bool booster = core_.Values().BoosterMode == 1;
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
    Workers& w = core_.Work();
    bool dropped = false;
    core_.Db().Transaction([&] {
        dropped = w.jobs.DelQueue(job.id);
        if (!dropped) return;  // another instance has dealt with it
        w.messages.InsertToOutbox(job.tujuan, job.pesan, 0, job.terminal, job.kodeProduk,
                                  job.kodeReseller);
    });
    if (!dropped) return;
    const QString line = QStringLiteral("Trx ") + job.pesan + QStringLiteral(" dibuang, ") +
                         reason + QStringLiteral(" (") + job.kodeReseller + QLatin1Char(')');
    core_.Out().SendBox(QStringLiteral("Info"), line);
    core_.Log(line);
}

bool DispatchLoop::Transient(const std::exception& e) const {
    const auto* db = dynamic_cast<const DbError*>(&e);
    return db != nullptr && (db->RolledBack() || !core_.Db().IsOpen());
}

std::optional<WaitingOrder> DispatchLoop::PriceOrder(const Job& job, QString* unpriced) {
    if (IsMessageJob(job) || job.kodeProduk == QLatin1String("-r-")) return std::nullopt;
    WaitingRecord& waiting = core_.Work().waiting;
    try {
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
    Workers& w = core_.Work();
    const bool booster = core_.Values().BoosterMode == 1;
    bool claimed = false;
    core_.Db().Transaction([&] {
        claimed = w.jobs.DelQueue(job.id);
        if (!claimed) return;  // taken by another instance serving the same terminal
        w.messages.InsertToOutbox(job.tujuan, job.pesan, 1, job.terminal, job.kodeProduk,
                                  job.kodeReseller);
        if (booster &&
            !core_.Ym().InsertYmQueue(target, message, QStringLiteral("GetQueue"), job.terminal))
            throw AlreadyInMailbox();
        if (waiting != nullptr) w.waiting.WriteWaiting(*waiting);
    });
    return claimed;
}

bool DispatchLoop::Guarded(const Job& job) {
    const QString order = job.pesan + QStringLiteral(" Transaksi ") + job.kodeReseller;
    switch (core_.Work().guards.Screen(job)) {
        case Guards::Verdict::Pass:
            return false;
        case Guards::Verdict::Gone:
            return true;
        case Guards::Verdict::Diverted:
            core_.Out().SendBox(order, QStringLiteral(" Pengalihan Otomatis, Sebab di Terminal[") +
                                           QString::number(job.terminal) +
                                           QStringLiteral("] Sudah Pernah Sukses Sebelumnya"));
            return true;
        case Guards::Verdict::Requeued:
            core_.Out().SendBox(order,
                                QStringLiteral(" Ditolak karena sudah melebihi batas pendingan "));
            return true;
        case Guards::Verdict::RefusedBill:
            core_.Out().SendBox(
                order, QStringLiteral(" Ditolak Mungkin masalah Saldo Atau Belum ada Status CEK"));
            return true;
        case Guards::Verdict::RefusedMove:
            core_.Out().SendBox(order,
                                QStringLiteral(" Ditolak karena tidak dapat dialihkan lagi"));
            return true;
        case Guards::Verdict::RefusedDeposit:
            core_.Out().SendBox(job.pesan + QStringLiteral(" Deposit ") + job.kodeReseller,
                                QStringLiteral("Tidak Cukup"));
            return true;
    }
    return true;
}

void DispatchLoop::Tick() {
    WindowState& s = core_.State();
    ProcessValues& v = core_.Values();
    if (s.CmdLoginYM != QLatin1String("Log Out")) return;
    s.Set(s.LoginYMImage, 2);

    const std::optional<Job> fetched = core_.Work().jobs.GetQueue(v.TerminalNo);
    if (v.BoosterMode == 1) core_.Ym().ProcessSupplierRecv();
    if (!fetched) return;
    const Job& job = *fetched;
    const QString target = TargetOf(job);

    TableProbeFails();
    if (Guarded(job)) return;

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
        return;
    }
    QString unpriced;
    std::optional<WaitingOrder> order = PriceOrder(job, &unpriced);
    if (!unpriced.isEmpty()) {
        Drop(job, unpriced);
        return;
    }
    // The chat client cannot take it now: the job stays queued for a later tick.
    if (!booster && !ChatReady(core_, message)) return;
    try {
        if (!Claim(job, target, message, order ? &*order : nullptr)) return;
    } catch (const AlreadyInMailbox&) {
        return;
    } catch (const std::exception& e) {
        // The waiting record cannot be written for a lasting reason (its row does not fit,
        // say): the order goes out without one rather than holding up the queue.
        if (!order || Transient(e)) throw;
        core_.Work().waiting.LogWaitingError(job.kodeReseller, job.hpReseller, job.kodeProduk,
                                             job.tujuan, e);
        if (!Claim(job, target, message, nullptr)) return;
    }

    // Recorded as sent: from here on the job is never handed over again. Should the chat
    // client fail now, the order stays recorded as waiting and the log says so.
    if (!booster && !SendChat(core_, message, recipient))
        core_.Log(QStringLiteral("Trx ") + job.pesan +
                  QStringLiteral(" tercatat terkirim tetapi tidak sampai ke server chat (") +
                  job.kodeReseller + QStringLiteral(") TrxID:") + job.trxId);

    const QString route = QString::number(job.terminal) + QStringLiteral("->") + target +
                          QStringLiteral(") TrxID:") + job.trxId;
    core_.Out().ShowMessageBlock(
        QStringLiteral("RLV#") + QString::number(v.TerminalNo) + QStringLiteral(":>(") + route,
        job.hpReseller, job.kodeReseller, job.pesan, NowStamp(), 1);
    core_.Monitor().SendMonitorRecord(
        QStringLiteral("RLV #") + QString::number(v.TerminalNo) + QStringLiteral(":> (") + route,
        job.hpReseller, job.kodeReseller, job.pesan, NowStamp(), 1);
}
