#pragma once

#include <QString>
#include <optional>

#include "dispatch/MoneyGuards.h"
#include "routing/Rerouting.h"
#include "store/Context.h"

class JobQueue;
class MessageTables;
class MoneyGuards;
class Settlement;
class WaitingRecord;
struct Job;

// What stands between a reseller's order and the supplier's money: no second top-up of a
// number that has just succeeded on this terminal, no pile of unanswered orders on a slow
// terminal, no bill payment without a fresh inquiry, no order the reseller cannot pay.
//
// The guards and what follows their verdict (the diversion, the re-queue, or the refusal with
// its message, waiting record and settlement) are one unit of work together with the job's
// deletion from the queue: either the job is gone and all of it is written, or nothing is and
// the job stays queued. A database error inside a guard ends the unit the same way: a guard
// that cannot read must neither wave an order through nor refuse it.
class Guards {
  public:
    struct Collaborators {
        JobQueue& jobs;
        MessageTables& messages;
        Rerouting& rerouting;
        WaitingRecord& waiting;
        Settlement& settlement;
        MoneyGuards& money;
    };

    // What became of a job the guards looked at.
    enum class Verdict {
        Pass,            // to be sent from this terminal
        Diverted,        // sent on to another terminal after an earlier success here
        Requeued,        // too many pending orders here: queued again elsewhere
        RefusedBill,     // bill payment without inquiry or deposit
        RefusedDeposit,  // deposit does not cover price, limit and pending orders
        RefusedMove,     // to be moved, but it has moved often enough or no terminal can take it
        Gone,            // another instance took the job meanwhile
    };

    // How often a guard may move one order from terminal to terminal.
    static constexpr int kMaxMoves = 3;

    Guards(Context ctx, Collaborators with) : ctx_(ctx), w_(with) {}

    // The guards in their order: diversion, pending limit (when one is set), bill payment
    // (products whose code begins with "pay"), deposit; the first that stops the job decides.
    // A plain message job passes them all. Every order a guard moves ends: after kMaxMoves
    // moves, or when no terminal but this one and the one it came from can take it, it is
    // refused as a failure of its own row. Database errors reach the caller with nothing
    // written and the job still queued.
    Verdict Screen(const Job& job);
    // The reseller's row and the price the deposit guard read for the job, when the last
    // Screen let that job pass; the waiting record is priced from them rather than read again.
    std::optional<MoneyGuards::Priced> PricedFor(qint64 jobId) const;

    // Diverts the order to another terminal when the same destination and product succeeded
    // on this terminal earlier today, less than 12 hours ago. True also when the order is to
    // be diverted but cannot be moved (Screen then refuses it).
    bool CekTrx2(const QString& kdReseller, const QString& noHpRs, const QString& kdProduk,
                 const QString& tujuan, qint16 terminal, const QString& trxId);
    // Removes the job and queues it again for another terminal when the terminal holds
    // LimitPending or more waiting orders of today. True also when the order is to be moved
    // but cannot be (Screen then refuses it).
    bool MaxPending(const QString& member, const QString& number, const QString& kdProduk,
                    const QString& tujuan, qint16 lineGate, qint16 terminal, const QString& text,
                    qint64 idx, const QString& trxId);

  private:
    qint32 JumlahPending(const QString& terminal);

    // The guards in their order, inside the unit of Screen.
    Verdict Decide(const Job& job);
    // Deletes the job from the queue (once per unit); ends the unit when it is no longer there.
    void Take(qint64 jobId);
    // The move a guard would make of the order now, from what its id records.
    static Rerouting::GuardMove NextMove(const QString& trxId, qint16 terminal);
    // A guard that was to move the order but cannot: Screen refuses it.
    bool Unmovable();
    // The job a guard moved leaves the queue; one it could not move is refused.
    Verdict Moved(const Job& job, Verdict moved);
    // The internal text a refused order is settled by: "Trx <destination> Saldo <reseller>
    // err001 by NX Engine" for money, "... Pengalihan ... err002 ..." for a move.
    static QString RefusalText(const Job& job, bool move);
    // The refused order leaves the queue as a waiting transaction that is settled as a
    // failure at once, by the internal text that says why.
    void SettleRefused(const Job& job, const QString& why);

    Context ctx_;
    Collaborators w_;
    bool taken_ = false;      // this unit has deleted the job
    bool unmovable_ = false;  // this unit's guard could not move the order
    qint64 pricedJob_ = 0;    // the job passed_ belongs to
    std::optional<MoneyGuards::Priced> passed_;
    QString todayStart_;
    QString todayEnd_;
};
