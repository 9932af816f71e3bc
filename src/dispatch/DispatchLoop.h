#pragma once

#include <QObject>
#include <QTimer>

class Core;
struct Job;

// Once a second: today's oldest job of this terminal goes to the supplier's chat account (or,
// in booster mode, to ym_queue), is recorded in the outbox and leaves the queue.
class DispatchLoop : public QObject {
    Q_OBJECT
  public:
    explicit DispatchLoop(Core& core, QObject* parent = nullptr);

    void Start() { tmOut_.start(); }
    void Stop() { tmOut_.stop(); }
    // One tick; at most one job. Never entered twice at once.
    void tmOut_Timer();

    // The chat target of a job: the destination itself when it is a chat ID, else the main
    // target (of the job's terminal when terminals are merged).
    QString TargetOf(const Job& job) const;

  private:
    void Tick();
    bool TableProbeFails();

    Core& core_;
    QTimer tmOut_;
    bool busy_ = false;
};
