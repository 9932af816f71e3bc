// The guards of the dispatch tick, and the units of work that carry out their verdicts. The
// money guards (bill payment, deposit) are MoneyGuards'.
#include "dispatch/Guards.h"

#include "dispatch/GuardFailure.h"
#include "dispatch/MoneyGuards.h"
#include "ledger/WaitingRecord.h"
#include "queue/Job.h"
#include "queue/JobQueue.h"
#include "queue/MessageTables.h"
#include "routing/Rerouting.h"
#include "settlement/Settlement.h"
#include "store/Convert.h"
#include "store/Database.h"
#include "store/Stamps.h"

namespace {

// The job left the queue before this instance could act on it.
struct JobGone {};

}  // namespace

Guards::Verdict Guards::Screen(const Job& job) {
    // A plain message is no order: nothing to divert, count or pay for.
    passed_.reset();
    if (job.kodeProduk == QLatin1String("-")) return Verdict::Pass;
    Verdict verdict = Verdict::Pass;
    try {
        // An order refused or moved has left the queue with the unit.
        ctx_.db.Transaction([&] { verdict = Decide(job); },
                            [&] { return !taken_ || w_.jobs.Gone(job.id); });
    } catch (const JobGone&) {
        return Verdict::Gone;
    }
    if (verdict == Verdict::Pass) {
        pricedJob_ = job.id;
        passed_ = w_.money.LastPassed();
    }
    return verdict;
}

std::optional<MoneyGuards::Priced> Guards::PricedFor(qint64 jobId) const {
    if (jobId != pricedJob_) return std::nullopt;
    return passed_;
}

Guards::Verdict Guards::Decide(const Job& job) {
    taken_ = false;
    unmovable_ = false;
    if (CekTrx2(job.kodeReseller, job.hpReseller, job.kodeProduk, job.tujuan, job.terminal,
                job.trxId))
        return Moved(job, Verdict::Diverted);
    if (ctx_.values.LimitPending > 0 &&
        MaxPending(job.kodeReseller, job.hpReseller, job.kodeProduk, job.tujuan, job.LineGate16(),
                   job.terminal, job.pesan, job.id, job.trxId))
        return Moved(job, Verdict::Requeued);
    if (job.kodeProduk.startsWith(QLatin1String("pay"), Qt::CaseInsensitive) &&
        w_.money.ExecPPOB(job.kodeReseller, job.hpReseller, job.kodeProduk, job.tujuan)) {
        SettleRefused(job, RefusalText(job, false));
        return Verdict::RefusedBill;
    }
    if (w_.money.CekDeposit(job.hpReseller, job.kodeReseller, job.kodeProduk, job.tujuan,
                            QString::number(job.terminal), job.trxId)) {
        SettleRefused(job, RefusalText(job, false));
        return Verdict::RefusedDeposit;
    }
    return Verdict::Pass;
}

Guards::Verdict Guards::Moved(const Job& job, Verdict moved) {
    if (!unmovable_) {
        Take(job.id);
        return moved;
    }
    // Moved often enough, or nowhere to go: the order ends here, as a failure the reseller hears
    // of.
    SettleRefused(job, RefusalText(job, true));
    return Verdict::RefusedMove;
}

QString Guards::RefusalText(const Job& job, bool move) {
    return QStringLiteral("Trx ") + job.tujuan +
           (move ? QStringLiteral(" Pengalihan ") : QStringLiteral(" Saldo ")) + job.kodeReseller +
           (move ? QStringLiteral(" err002 by NX Engine") : QStringLiteral(" err001 by NX Engine"));
}

void Guards::Take(qint64 jobId) {
    if (taken_) return;
    if (!w_.jobs.DelQueue(jobId)) throw JobGone();
    taken_ = true;
}

Rerouting::GuardMove Guards::NextMove(const QString& trxId, qint16 terminal) {
    Rerouting::GuardMove move = Rerouting::MovesOf(trxId);
    move.leaving = terminal;
    return move;
}

bool Guards::Unmovable() {
    unmovable_ = true;
    return true;
}

void Guards::SettleRefused(const Job& job, const QString& why) {
    Take(job.id);
    // A refused order without a waiting row of its own still leaves a row: in the outbox, as
    // not sent.
    const auto unsent = [&] {
        w_.messages.InsertToOutbox(job.tujuan, job.pesan, 0, job.terminal, job.kodeProduk,
                                   job.kodeReseller);
    };
    if (job.kodeProduk == QLatin1String("-r-")) return unsent();  // such an order keeps none
    WaitingOrder order;
    try {
        order = w_.waiting.PriceWaiting(job.kodeReseller, job.hpReseller, job.kodeProduk,
                                        job.tujuan, job.LineGate16(), job.terminal, job.trxId);
    } catch (const DbError&) {
        throw;
    } catch (const std::exception& e) {
        // An unknown reseller: there is nobody to charge or refund.
        w_.waiting.LogWaitingError(job.kodeReseller, job.hpReseller, job.kodeProduk, job.tujuan, e);
        return unsent();
    }
    // A row the table will not take (logged) leaves the refusal without one, rather than
    // holding the job in the queue for good.
    if (!ctx_.db.Attempt([&] { w_.waiting.WriteWaiting(order); })) return unsent();
    w_.settlement.SettleRefusal(order.id, why.toLower(), job.terminal);
}

bool Guards::CekTrx2(const QString& kdReseller, const QString& noHpRs, const QString& kdProduk,
                     const QString& tujuan, qint16 terminal, const QString& trxId) {
    bool diverting = false;
    try {
        // Only a product that at least two active rows of this module serve is diverted: the
        // condition is part of the statement, and without it the statement finds nothing,
        // which lets the order pass as a success long ago would.
        const DayRange day = TodayRange();
        const DbResult r = ctx_.db.Exec(
            QStringLiteral("SELECT TIMESTAMPDIFF(HOUR,datetime_transaksi,NOW()) AS "
                           "selisih,datetime_transaksi,line_gate FROM transaksi where tujuan=? "
                           "and kode_produk=? and status='1' and datetime_transaksi between ? "
                           "and ? and terminal=? and (select COUNT(*) from parsing where "
                           "method='RLV' and kode_produk=? and active='1') > 1 ORDER BY id DESC "
                           "LIMIT 1"),
            {tujuan, kdProduk, day.from, day.to, terminal, kdProduk});
        const qint64 hours = r.IsEmpty() ? 12 : r.Int(0, QStringLiteral("selisih"));
        if (hours >= 12) return false;

        diverting = true;
        const QString note =
            QStringLiteral("Pengalihan Otomatis dari [") + kdReseller + QStringLiteral("][") +
            noHpRs + QStringLiteral("] Produk[") + kdProduk + QStringLiteral("] Tujuan[") + tujuan +
            QStringLiteral("] TmLast[") + r.Text(0, QStringLiteral("datetime_transaksi")) +
            QStringLiteral("] Selisih[") + QString::number(hours) + QLatin1Char(']');
        // A line beyond the 16 bits of an order's line counts as 0, as a job's does.
        const qint16 lineGate = Job::LineGate16(r.Int(0, QStringLiteral("line_gate")));
        const Rerouting::GuardMove move = NextMove(trxId, terminal);
        if (move.moves >= kMaxMoves) return Unmovable();
        // Re-routing fails whole inside a unit: no diversion is reported unless its new job is
        // written. The host's id goes along whole.
        bool queued = false;
        ctx_.db.Transaction([&] {
            queued = w_.rerouting.Pintar(kdReseller, noHpRs, kdProduk, tujuan, terminal, note, 0,
                                         QString(), lineGate, QStringLiteral("0#") + trxId, &move);
        });
        return queued ? true : Unmovable();
    } catch (const std::exception& e) {
        GuardFailed(ctx_, QStringLiteral("CekTrx2"), diverting, true, e);
        return false;
    }
}

qint32 Guards::JumlahPending(const QString& terminal) {
    const DayRange day = TodayRange();
    todayStart_ = day.from;
    todayEnd_ = day.to;
    const DbResult r = ctx_.db.Exec(
        QStringLiteral("SELECT COUNT(*) AS n FROM transaksi where datetime_transaksi between ? "
                       "and ? and status='2' and terminal=?"),
        {todayStart_, todayEnd_, terminal});
    return Convert::CheckedInt32(r.Int(0, QStringLiteral("n")));
}

bool Guards::MaxPending(const QString& member, const QString& number, const QString& kdProduk,
                        const QString& tujuan, qint16 lineGate, qint16 terminal,
                        const QString& text, qint64 idx, const QString& trxId) {
    if (kdProduk == QLatin1String("-r-")) return false;
    bool requeuing = false;
    try {
        if (JumlahPending(QString::number(terminal)) < ctx_.values.LimitPending) return false;
        requeuing = true;
        const Rerouting::GuardMove move = NextMove(trxId, terminal);
        if (move.moves >= kMaxMoves) return Unmovable();
        // The job leaves this queue only together with its replacement. The product is off
        // here while the new terminal is chosen, and as it was afterwards.
        bool queued = false;
        ctx_.db.Transaction([&] {
            Take(idx);
            const bool wasOn = w_.rerouting.OffParsing(kdProduk, terminal);
            queued = w_.rerouting.ReulangTrx(member, number, kdProduk, tujuan, text, lineGate,
                                             QStringLiteral("0#") + trxId, &move);
            if (wasOn) w_.rerouting.ONParsing(kdProduk, terminal);
        });
        return queued ? true : Unmovable();
    } catch (const std::exception& e) {
        GuardFailed(ctx_, QStringLiteral("MaxPending"), requeuing, true, e);
        return false;
    }
}
