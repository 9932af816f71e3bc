#include "monitor/SnapshotThread.h"

#include <QMetaObject>
#include <cstdio>

#include "store/SettingsStore.h"
#include "store/UtilityComponent.h"

SnapshotThread::SnapshotThread(QString programFolder, DbTarget target, int refreshSeconds,
                               QObject* receiver, std::function<void(const FleetSnapshot&)> deliver)
    : programFolder_(std::move(programFolder)),
      target_(std::move(target)),
      refreshSeconds_(refreshSeconds),
      receiver_(receiver),
      deliver_(std::move(deliver)) {}

SnapshotThread::~SnapshotThread() {
    Stop(-1);
}

bool SnapshotThread::Stop(int waitMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    stopping_ = true;
    wake_.notify_all();
    if (!thread_.joinable()) return true;
    const auto done = [this] { return finished_; };
    if (waitMs < 0) {
        wake_.wait(lock, done);
    } else if (!wake_.wait_for(lock, std::chrono::milliseconds(waitMs), done)) {
        thread_.detach();
        return false;
    }
    lock.unlock();
    thread_.join();
    return true;
}

void SnapshotThread::Start() {
    thread_ = std::thread([this] { Run(); });
}

void SnapshotThread::Run() {
    // The connection lives and dies on this thread, as Qt's database connections must.
    const SettingsStore store;
    UtilityComponent util(programFolder_, &store);
    Database db(&util, QStringLiteral("monitor"));
    if (!db.Open(target_))
        std::fprintf(stderr,
                     "database not reached yet (%s); the figures stay stale until it answers\n",
                     qPrintable(db.LastOpenError()));
    FleetSnapshot snapshot;
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        lock.unlock();
        snapshot.Refresh(db);
        QMetaObject::invokeMethod(
            receiver_, [this, snapshot] { deliver_(snapshot); }, Qt::QueuedConnection);
        lock.lock();
        wake_.wait_for(lock, std::chrono::seconds(refreshSeconds_), [this] { return stopping_; });
    }
    finished_ = true;
    wake_.notify_all();
}
