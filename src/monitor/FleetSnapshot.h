#pragma once

#include <QDateTime>
#include <QMap>
#include <QStringList>

class Database;

// What the shared database says about one terminal.
struct TerminalFigures {
    bool inTable = false;  // has a row in `terminal` for this program
    QString status;        // "1" on, "0" off
    QString group;         // kode_kelompok ("NC": asked to close)
    int queued = 0;        // jobs in the queue for it, whatever their day
    int waiting = 0;       // today's orders waiting for the supplier
    qint64 oldestWaitingSeconds = 0;
    int succeeded = 0;    // today
    int failed = 0;       // today
    QDateTime lastSent;   // last row of outbox
    QDateTime lastReply;  // last row of inbox
    QStringList productsOff;

    // Share of today's settled orders that succeeded, or a negative value with none.
    double SuccessRate() const;
};

// The fleet as read at one time. When a read fails the previous figures stay, marked stale.
struct FleetSnapshot {
    QDateTime readAt;  // the last successful read
    bool stale = true;
    QString error;  // why the last read failed
    int statements = 0;
    QMap<int, TerminalFigures> terminals;

    // Reads the figures of today (the day of `now`) with a fixed set of bound, read-only
    // statements; on a database error keeps what it had and sets stale and error.
    void Refresh(Database& db, const QDateTime& now = QDateTime::currentDateTime());
};
