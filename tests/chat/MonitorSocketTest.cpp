#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUdpSocket>

#include "chat/MonitorSocket.h"
#include "store/Output.h"
#include "store/ProcessValues.h"
#include "store/SettingsStore.h"
#include "store/UtilityComponent.h"

// The feed to the local monitor: one datagram per record on the address and port the
// environment names, or the record in the debug log instead while debugging is on.
TEST(MonitorSocket, RecordsGoOutAsOneDatagramEachOrToTheDebugLog) {
    QUdpSocket monitor;
    ASSERT_TRUE(monitor.bind(QHostAddress(QHostAddress::LocalHost), 0));
    qputenv("RELVANE_MONITOR_HOST", "127.0.0.1");
    qputenv("RELVANE_MONITOR_PORT", QByteArray::number(monitor.localPort()));
    QTemporaryDir home;
    SettingsStore settings;
    UtilityComponent util(home.path(), &settings);
    Output out;
    ProcessValues values;
    MonitorSocket socket(out, util, values);
    socket.InitMonitorSocket();
    const auto received = [&] {
        QStringList all;
        for (int i = 0; i < 50 && all.isEmpty(); ++i) {
            monitor.waitForReadyRead(20);
            while (monitor.hasPendingDatagrams()) {
                QByteArray d(static_cast<int>(monitor.pendingDatagramSize()), '\0');
                monitor.readDatagram(d.data(), d.size());
                all.append(QString::fromUtf8(d));
            }
        }
        return all;
    };

    socket.SendMonitorRecord("RLV #5:> (5->s@x) TrxID:T1", "0811", "R1", "S5.0811.1 é",
                             "2025-01-01 10:00:00", 1);
    EXPECT_EQ(received(), QStringList{"RLV #5:> (5->s@x) TrxID:T1@=0811@=R1@=S5.0811.1 é@="
                                      "2025-01-01 10:00:00@=1"});

    values.MonitorDebugOn = true;
    QSignalSpy posted(&util, &UtilityComponent::Posted);
    socket.SendMonitorRecord("svc", "0811", "R1", "msg", "2025-01-01 10:00:01", 2);
    EXPECT_TRUE(received().isEmpty());
    ASSERT_EQ(posted.count(), 1);
    EXPECT_EQ(posted.at(0).at(0).toString(), "svc@=0811@=R1@=msg@=2025-01-01 10:00:01@=2");
    qunsetenv("RELVANE_MONITOR_HOST");
    qunsetenv("RELVANE_MONITOR_PORT");
}
