#pragma once

#include <QDateTime>
#include <QMap>
#include <QPair>
#include <QStringList>
#include <QVariantList>

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

// Orders of the fleet placed in one minute that ended in success or failure.
struct MinuteFigures {
    int succeeded = 0;
    int failed = 0;
};

// The fleet as read at one time. When a read fails the previous figures stay, marked stale.
struct FleetSnapshot {
    QDateTime readAt;  // the last successful read
    bool stale = true;
    QString error;  // why the last read failed
    int statements = 0;
    QMap<int, TerminalFigures> terminals;
    // The last hour, by minute since the epoch (local time), from the orders' own time.
    QMap<qint64, MinuteFigures> perMinute;

    // Reads the figures of today (the day of `now`) with a fixed set of bound, read-only
    // statements; on a database error keeps what it had and sets stale and error.
    void Refresh(Database& db, const QDateTime& now = QDateTime::currentDateTime());

    // The statements of one refresh with their parameters, in the order they run.
    static QList<QPair<QString, QVariantList>> Statements(const QDateTime& now);

    // Minutes since the epoch of a local time.
    static qint64 MinuteOf(const QDateTime& t) { return t.toSecsSinceEpoch() / 60; }
};
