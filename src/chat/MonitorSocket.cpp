#include "chat/MonitorSocket.h"

#include <QHostInfo>

#include "store/Output.h"
#include "store/ProcessValues.h"
#include "store/UtilityComponent.h"

MonitorSocket::MonitorSocket(Output& out, UtilityComponent& util, const ProcessValues& values,
                             QObject* parent)
    : QObject(parent), out_(out), util_(util), values_(values) {}

void MonitorSocket::InitMonitorSocket() {
    sock1_.close();
    const QString host = qEnvironmentVariable("RELVANE_MONITOR_HOST");
    const int port = qEnvironmentVariableIntValue("RELVANE_MONITOR_PORT");
    port_ = port > 0 ? static_cast<quint16>(port) : kPort;
    remote_ = host.isEmpty() ? QHostAddress(QHostAddress::LocalHost) : QHostAddress(host);
    if (remote_.isNull() && !host.isEmpty()) {
        const QHostInfo info = QHostInfo::fromName(host);
        if (!info.addresses().isEmpty()) remote_ = info.addresses().first();
    }
}

void MonitorSocket::KirimData(const QString& text) {
    const QByteArray datagram = text.toUtf8();
    if (sock1_.writeDatagram(datagram, remote_, port_) < 0) {
        out_.SendBox(QStringLiteral("Error : "), sock1_.errorString());
        if (sock1_.error() == QAbstractSocket::SocketAddressNotAvailableError) InitMonitorSocket();
    }
}

void MonitorSocket::SendMonitorRecord(const QString& service, const QString& party,
                                      const QString& reference, const QString& message,
                                      const QString& time, int direction) {
    const QString record =
        QStringList{service, party, reference, message, time, QString::number(direction)}.join(
            QStringLiteral("@="));
    if (values_.MonitorDebugOn)
        util_.PostToWindow(record);
    else
        KirimData(record);
}

void MonitorSocket::Close() {
    sock1_.close();
}
