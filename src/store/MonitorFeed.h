#pragma once

#include <QString>

// Where the records for the local monitor go: raw records ("NODE@=..."), and the record of
// each message sent (direction 1) or received (direction 2).
class MonitorFeed {
  public:
    virtual ~MonitorFeed() = default;

    virtual void KirimData(const QString& text) = 0;
    virtual void SendMonitorRecord(const QString& service, const QString& party,
                                   const QString& reference, const QString& message,
                                   const QString& time, int direction) = 0;
};
