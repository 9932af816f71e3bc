#pragma once

#include <QString>
#include <functional>

#include "ledger/ResellerRecord.h"
#include "ledger/TransactionRow.h"
#include "settlement/SettlementRows.h"
#include "store/Context.h"

class BillCapture;
class Deposits;
class Ledger;
class Lookups;
class MessageTables;
class PriceUpdate;
class Prices;
class PromoAndNotices;
class Rebates;
class ReplyClassifier;
class Rerouting;
class SettlementMessage;
class WaitingRecord;

// Settles supplier replies: finds the waiting order a reply speaks of, and closes it as a
// success or a failure, with the deposit, the books, the reseller's reply and, for some
// failures, a re-route to another terminal.
class Settlement {
  public:
    struct Collaborators {
        Lookups& lookups;
        Prices& prices;
        Deposits& deposits;
        Ledger& ledger;
        Rebates& rebates;
        WaitingRecord& waiting;
        ReplyClassifier& classifier;
        PriceUpdate& priceUpdate;
        BillCapture& bills;
        PromoAndNotices& promo;
        MessageTables& messages;
        Rerouting& rerouting;
        SettlementRows& rows;
        SettlementMessage& message;
    };

    // One classified reply on its way through the steps.
    struct Reply {
        SettlementRows::Pending entry;
        TransactionRow rec;
        QString text;
        qint16 terminal = 0;  // this instance's
        QString templ;
        QString stok;
        QString sn;
        qint16 source = 0;
        ResellerRecord reseller;  // the ordering reseller's row, read once for the unit
        QString nama;
        QString namaProduk;
        QString tipeProduk;
        qint32 price = 0;
        qint32 before = 0;
        qint32 after = 0;
        qint32 bill = 0;
    };

    Settlement(Context ctx, Collaborators with) : ctx_(ctx), w_(with) {}

    // Settles at most one waiting order with the reply (apostrophes already replaced, "."
    // appended, lower-cased). The order's money, rows and messages are written in one
    // database transaction, from the waiting state only: a reply that comes twice, or a
    // second instance with the same reply, finds nothing left to settle. A success reply whose
    // SN already stands on a success to the same destination (today, on these terminals)
    // settles nothing: it is the same reply again. When the order matched was settled by
    // another instance meanwhile, the reply is matched once more among the orders still
    // waiting. Errors reach the caller, with nothing of the unit written.
    void ExecuteReplaySupplier(const QString& text, qint16 terminal);
    // Settles the waiting order `id` as a failure with the internal text of a guard that
    // refused it (lower-cased): never as a success, whatever keywords the text holds.
    void SettleRefusal(qint64 id, const QString& text, qint16 terminal);

  private:
    enum class Outcome {
        Done,  // settled, or nothing to settle
        Lost,  // the order matched was no longer waiting
    };
    Outcome SettleFirstMatch(const QString& text, qint16 terminal);
    bool Matches(const SettlementRows::Pending& entry, const QString& text);
    Outcome Settle(const SettlementRows::Pending& entry, const QString& templ, bool success,
                   const QString& text, qint16 terminal);
    void SettleSuccess(Reply& r);
    void SettleFailure(Reply& r);
    // Ends the unit when the reply's SN already settled an order to the same destination.
    void CheckNotSettledBefore(const Reply& r);
    // A step after the commit: its failure is logged and the next step runs.
    void FollowUp(const QString& routine, const std::function<void()>& step);
    void LockWaiting(qint64 id);
    // The order is no longer waiting: how a cluster's commit that settled it is confirmed.
    bool LeftWaiting(qint64 id);
    void QueueToReseller(const Reply& r, const QString& message);

    Context ctx_;
    Collaborators w_;
};
