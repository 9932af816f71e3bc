#pragma once

#include <QDateTime>
#include <QString>

// Time stamps written into rows, from the local clock (the database shares the machine's zone).

// "yyyy-mm-dd hh:mm:ss", 24-hour: every datetime column the module writes.
QString NowStamp();
QString NowStamp(const QDateTime& at);

// "ddmmhhmm": compact stamp inside generated transaction identifiers.
QString ShortStamp();
QString ShortStamp(const QDateTime& at);

// "hh:mm:ss", 24-hour: the current time in status and log lines.
QString TimeNow();

// Today's window for the `between ... and ...` conditions of queue and guard queries.
struct DayRange {
    QString from;  // "yyyy-mm-dd 00:00:00"
    QString to;    // "yyyy-mm-dd 23:59:59"
};
DayRange TodayRange();
DayRange DayRangeOf(const QDate& day);
