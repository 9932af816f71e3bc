// The guards of the dispatch tick, and the units of work that carry out their verdicts. The
// money guards (bill payment, deposit) are in MoneyGuards.cpp.
#include "dispatch/Guards.h"

#include "ledger/WaitingRecord.h"
#include "queue/Job.h"
#include "queue/JobQueue.h"
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
    if (job.kodeProduk == QLatin1String("-")) return Verdict::Pass;
    Verdict verdict = Verdict::Pass;
    try {
        ctx_.db.Transaction([&] { verdict = Decide(job); });
    } catch (const JobGone&) {
        return Verdict::Gone;
    }
    return verdict;
}

Guards::Verdict Guards::Decide(const Job& job) {
    if (CekTrx2(job.kodeReseller, job.hpReseller, job.kodeProduk, job.tujuan, job.terminal,
                job.trxId)) {
        Take(job.id);
        return Verdict::Diverted;
    }
    if (ctx_.values.LimitPending > 0 &&
        MaxPending(job.kodeReseller, job.hpReseller, job.kodeProduk, job.tujuan, job.LineGate16(),
                   job.terminal, job.pesan, job.id, job.trxId))
        return Verdict::Requeued;
    if (job.kodeProduk.startsWith(QLatin1String("pay"), Qt::CaseInsensitive) &&
        ExecPPOB(job.kodeReseller, job.hpReseller, job.kodeProduk, job.tujuan)) {
        SettleRefused(job);
        return Verdict::RefusedBill;
    }
    if (CekDeposit(job.hpReseller, job.kodeReseller, job.kodeProduk, job.tujuan,
                   QString::number(job.terminal))) {
        SettleRefused(job);
        return Verdict::RefusedDeposit;
    }
    return Verdict::Pass;
}

void Guards::Take(qint64 jobId) {
    if (!w_.jobs.DelQueue(jobId)) throw JobGone();
}

void Guards::Failed(const QString& routine, bool writing, bool log, const std::exception& e) {
    if (log) ctx_.LogError(routine + QLatin1Char(' '), e);
    // Called from a handler: rethrows the error being handled.
    if (writing || dynamic_cast<const DbError*>(&e) != nullptr) throw;
}

void Guards::SettleRefused(const Job& job) {
    Take(job.id);
    if (job.kodeProduk == QLatin1String("-r-")) return;  // such an order keeps no waiting row
    WaitingOrder order;
    try {
        order = w_.waiting.PriceWaiting(job.kodeReseller, job.hpReseller, job.kodeProduk,
                                        job.tujuan, job.LineGate16(), job.terminal, job.trxId);
    } catch (const DbError&) {
        throw;
    } catch (const std::exception& e) {
        // An unknown reseller: the refusal stands without a waiting row, as an order sent
        // for such a reseller leaves none.
        w_.waiting.LogWaitingError(job.kodeReseller, job.hpReseller, job.kodeProduk, job.tujuan, e);
        return;
    }
    // A row the table will not take (logged) leaves the refusal without one, rather than
    // holding the job in the queue for good.
    if (!ctx_.db.Attempt([&] { w_.waiting.WriteWaiting(order); })) return;
    const QString why = QStringLiteral("Trx ") + job.tujuan + QStringLiteral(" Saldo ") +
                        job.kodeReseller + QStringLiteral(" err001 by NX Engine");
    w_.settlement.SettleRefusal(order.id, why.toLower(), job.terminal);
}

bool Guards::CEkProdukAktifDiTerminal(const QString& kdProduk) {
    const DbResult r = ctx_.db.Exec(
        QStringLiteral("select id from parsing where method='RLV' and kode_produk=? and "
                       "active='1'"),
        {kdProduk});
    return r.RecordCount() > 1;
}

bool Guards::CekTrx2(const QString& kdReseller, const QString& noHpRs, const QString& kdProduk,
                     const QString& tujuan, qint16 terminal, const QString& trxId) {
    bool diverting = false;
    try {
        if (!CEkProdukAktifDiTerminal(kdProduk)) return false;
        const DayRange day = TodayRange();
        const DbResult r = ctx_.db.Exec(
            QStringLiteral("SELECT TIMESTAMPDIFF(HOUR,datetime_transaksi,NOW()) AS "
                           "selisih,datetime_transaksi,line_gate FROM transaksi where tujuan=? "
                           "and kode_produk=? and status='1' and datetime_transaksi between ? "
                           "and ? and terminal=? ORDER BY id DESC LIMIT 1"),
            {tujuan, kdProduk, day.from, day.to, terminal});
        const qint64 hours = r.IsEmpty() ? 12 : r.Int(0, QStringLiteral("selisih"));
        if (hours >= 12) return false;

        diverting = true;
        const QString note =
            QStringLiteral("Pengalihan Otomatis dari [") + kdReseller + QStringLiteral("][") +
            noHpRs + QStringLiteral("] Produk[") + kdProduk + QStringLiteral("] Tujuan[") + tujuan +
            QStringLiteral("] TmLast[") + r.Text(0, QStringLiteral("datetime_transaksi")) +
            QStringLiteral("] Selisih[") + QString::number(hours) + QLatin1Char(']');
        const qint16 lineGate = Convert::ToInt16(r.Text(0, QStringLiteral("line_gate")));
        // Re-routing fails whole inside a unit: no diversion is reported unless its new job (or
        // the reseller's message) is written. The host's id goes along whole.
        ctx_.db.Transaction([&] {
            w_.rerouting.Pintar(kdReseller, noHpRs, kdProduk, tujuan, terminal, note, 0, lineGate,
                                QStringLiteral("0#") + trxId);
        });
        return true;
    } catch (const std::exception& e) {
        Failed(QStringLiteral("CekTrx2"), diverting, true, e);
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
        // The job leaves this queue only together with its replacement. The product is off
        // here while the new terminal is chosen, and on again afterwards.
        ctx_.db.Transaction([&] {
            Take(idx);
            w_.rerouting.OffParsing(kdProduk, terminal);
            w_.rerouting.ReulangTrx(member, number, kdProduk, tujuan, text, lineGate,
                                    QStringLiteral("0#") + trxId);
            w_.rerouting.ONParsing(kdProduk, terminal);
        });
        return true;
    } catch (const std::exception& e) {
        Failed(QStringLiteral("MaxPending"), requeuing, true, e);
        return false;
    }
}
