#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QStringList>

#include "monitor/FleetSnapshot.h"

class FeedReader;

// The three views of the fleet the monitor serves: the page, the JSON and the metrics text.
// Built on the thread that owns the feed, handed as finished texts to the HTTP threads.
class FleetPages {
  public:
    // A terminal is in trouble when it is off, when this many jobs wait in its queue, when
    // its oldest waiting order is older than this, or when under half of at least this many
    // settled orders succeeded today.
    static constexpr int kQueueAlarm = 20;
    static constexpr qint64 kWaitingAlarmSeconds = 300;
    static constexpr int kRateMinimumSettled = 5;

    // What is wrong with one terminal, empty when nothing.
    static QStringList Trouble(const TerminalFigures& t);

    static QByteArray Json(const FleetSnapshot& s, const FeedReader& feed, const QDateTime& now);
    static QByteArray Metrics(const FleetSnapshot& s, const FeedReader& feed);
    static QByteArray Html(const FleetSnapshot& s, const FeedReader& feed, const QDateTime& now);
};
