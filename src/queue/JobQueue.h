#pragma once

#include <QString>
#include <optional>

#include "queue/Job.h"
#include "store/Context.h"

// The host's job queue as this terminal uses it: today's oldest job of the terminal (or of the
// merged terminals), its deletion, and whether a terminal has anything queued.
class JobQueue {
  public:
    explicit JobQueue(Context ctx) : ctx_(ctx) {}

    // Today's oldest job for this terminal (or the merged terminals); none when the queue is
    // empty.
    std::optional<Job> GetQueue(qint16 terminal);
    // Deletes the job; false when it was no longer there (taken by another instance).
    bool DelQueue(qint64 id);
    // The job is no longer queued: how a cluster's commit that took it is confirmed.
    bool Gone(qint64 id);
    // The terminal number when job_quenue holds at least one row for it, else the empty text.
    QString CekAntrian(const QString& terminal);
    // How many of today's jobs wait for this terminal (or the merged terminals).
    qint64 QueuedToday(qint16 terminal);
    // job_quenue_ when "setQueue" is on, else job_quenue.
    QString QueueTable() const;

  private:
    Context ctx_;
};
