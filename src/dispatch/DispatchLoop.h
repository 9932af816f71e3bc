#pragma once

#include <QObject>
#include <QTimer>
#include <optional>

#include "store/Context.h"

class ChatSession;
class Guards;
class JobQueue;
class MessageTables;
class MonitorFeed;
class Output;
class WaitingRecord;
class YmQueue;
struct Job;
struct WaitingOrder;

// Once a second: today's oldest job of this terminal passes the guards (which may divert,
// re-queue or refuse it), goes to the supplier's chat account (or, in booster mode, to
// ym_queue), is recorded in the outbox and as a waiting transaction, and leaves the queue.
//
// A job is handed over at most once. Its deletion from the queue, its outbox row, its waiting
// record (and in booster mode its ym_queue row) are written as one unit before the chat
// message goes out: until that unit commits the job is still queued and nothing has been
// sent; once it has, no tick of any instance can take the job again.
class DispatchLoop : public QObject {
    Q_OBJECT
  public:
    struct Collaborators {
        JobQueue& jobs;
        MessageTables& messages;
        WaitingRecord& waiting;
        Guards& guards;
    };
    DispatchLoop(Context ctx, Output& out, MonitorFeed& monitor, ChatSession& chat, YmQueue& ym,
                 Collaborators with, QObject* parent = nullptr);

    // The first tick comes at the terminal's own phase within the second (PhaseMs), then one
    // a second: terminals started together do not all wake at once.
    void Start();
    void Stop();
    static int PhaseMs(int terminal);
    // One tick: up to JobsPerTick jobs (1 unless the operator chose more), each through its
    // own guards and hand-over, in queue order. Never entered twice at once.
    void tmOut_Timer();

    // The chat target of a job: the destination itself when it is a chat ID, else the main
    // target (of the job's terminal when terminals are merged).
    QString TargetOf(const Job& job) const;

  signals:
    // A tick found the account logged in and looked at the queue.
    void Busy();

  private:
    void Tick();
    // The next queued job through the guards and the hand-over (the booster's replies and the
    // table probe only with the first of a tick); false when the queue is empty or the job
    // must wait for a later tick.
    bool HandOverNext(bool firstOfTick);
    bool TableProbeFails();
    // Runs the guards; true when they diverted, re-queued or refused the job (each said in the
    // log view), or another instance took it meanwhile.
    bool Guarded(const Job& job);
    // Why the job can never be handed over; empty when it can.
    QString Unsendable(const Job& job, const QString& target, const QString& message,
                       const QString& recipient) const;
    // Leaves the job out for good: recorded in the outbox as not sent, deleted, and logged.
    void Drop(const Job& job, const QString& reason);
    // The order priced for its waiting record; none for a message job. An order that cannot
    // be priced for a lasting reason (an unknown reseller, say) is logged and gets none, with
    // the reason in *unpriced: it is not to be sent.
    std::optional<WaitingOrder> PriceOrder(const Job& job, QString* unpriced);
    // Writes the hand-over unit; false when the job is no longer queued or must wait.
    bool Claim(const Job& job, const QString& target, const QString& message,
               WaitingOrder* waiting);
    // A failure that passes: the connection is gone or the server rolled the work back.
    bool Transient(const std::exception& e) const;

    Context ctx_;
    Output& out_;
    MonitorFeed& monitor_;
    ChatSession& chat_;
    YmQueue& ym_;
    Collaborators w_;
    QTimer tmOut_;
    QTimer phase_;
    bool busy_ = false;
};
