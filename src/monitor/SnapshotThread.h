#pragma once

#include <QObject>
#include <QString>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "monitor/FleetSnapshot.h"
#include "store/Database.h"

// Reads the fleet's figures on a thread of its own, at once and then every few seconds, so that
// a database that is slow, hung or away never holds up the feed or the page. Each read (fresh,
// or the last figures marked stale) is handed to `deliver` on the thread of `receiver`.
class SnapshotThread {
  public:
    SnapshotThread(QString programFolder, DbTarget target, int refreshSeconds, QObject* receiver,
                   std::function<void(const FleetSnapshot&)> deliver);
    ~SnapshotThread();  // Stop(), waiting as long as it takes

    void Start();
    // Stops the reads; false when the read under way (a database that hangs) has not ended
    // within waitMs, and the thread is left to the end of the process.
    bool Stop(int waitMs);

  private:
    void Run();

    const QString programFolder_;
    const DbTarget target_;
    const int refreshSeconds_;
    QObject* const receiver_;
    const std::function<void(const FleetSnapshot&)> deliver_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    bool finished_ = false;
    std::thread thread_;
};
