#pragma once

#include <QObject>
#include <QUdpSocket>

#include "store/MonitorFeed.h"

class Output;
class UtilityComponent;
struct ProcessValues;

// The feed to the local monitor: one datagram per record, "@="-joined fields, to port 8702 of
// this machine (RELVANE_MONITOR_HOST and RELVANE_MONITOR_PORT name another place).
class MonitorSocket : public QObject, public MonitorFeed {
    Q_OBJECT
  public:
    static constexpr quint16 kPort = 8702;

    MonitorSocket(Output& out, UtilityComponent& util, const ProcessValues& values,
                  QObject* parent = nullptr);

    void InitMonitorSocket();
    void KirimData(const QString& text) override;
    void SendMonitorRecord(const QString& service, const QString& party, const QString& reference,
                           const QString& message, const QString& time, int direction) override;
    void Close();

  private:
    Output& out_;
    UtilityComponent& util_;
    const ProcessValues& values_;
    QUdpSocket sock1_;
    QHostAddress remote_;
    quint16 port_ = kPort;
};
