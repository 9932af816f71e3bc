#include "app/ServiceNotify.h"

#include <systemd/sd-daemon.h>

#include <QStringList>
#include <algorithm>
#include <cstring>
#include <exception>

#include "chat/ChatSession.h"
#include "dispatch/Core.h"
#include "dispatch/Lifecycle.h"
#include "ledger/WaitingRecord.h"
#include "queue/JobQueue.h"
#include "queue/MessageTables.h"
#include "store/Errors.h"

namespace {

QString Counted(qint64 n, const char* one, const char* many) {
    return QString::number(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
}

// The first line of a driver's description, short enough for one status line.
QString Brief(const QString& description) {
    QString text = description.section(QLatin1Char('\n'), 0, 0).simplified();
    if (text.size() > 160) text = text.left(157) + QStringLiteral("...");
    return text.isEmpty() ? QStringLiteral("no answer") : text;
}

}  // namespace

ServiceNotify::ServiceNotify(Core& core, QObject* parent) : QObject(parent), core_(core) {
    active_ = !qEnvironmentVariableIsEmpty("NOTIFY_SOCKET");
    if (!active_) return;
    refresh_.setInterval(kRefreshMs);
    connect(&refresh_, &QTimer::timeout, this, &ServiceNotify::Refresh);
    connect(&core_.Chat(), &ChatSession::StateChanged, this, &ServiceNotify::OnChatState);
    connect(&core_.Life(), &Lifecycle::Unloading, this, &ServiceNotify::Stopping);

    uint64_t usec = 0;
    if (sd_watchdog_enabled(0, &usec) > 0 && usec > 0) {
        const qint64 half = static_cast<qint64>(usec / 2000);
        watchdog_.setInterval(static_cast<int>(std::clamp<qint64>(half, 1, 3600 * 1000)));
        connect(&watchdog_, &QTimer::timeout, this, [this] { Send(QStringLiteral("WATCHDOG=1")); });
        watchdog_.start();
        Send(QStringLiteral("WATCHDOG=1"));
    }
    Refresh();
    refresh_.start();
}

// Online is what lets the dispatch loop send: the account logged in, or the booster started.
bool ServiceNotify::Online() const {
    return core_.Chat().LoggedIn();
}

void ServiceNotify::OnChatState() {
    const bool online = Online();
    if (online == wasOnline_ || stopping_) return;
    Refresh();
}

void ServiceNotify::Refresh() {
    if (!active_ || stopping_) return;
    const qint16 terminal = core_.Values().TerminalNo;
    const bool online = Online();
    wasOnline_ = online;
    QString text = online ? QStringLiteral("Online") : QStringLiteral("Offline");
    if (online && core_.Values().BoosterMode == 1) text += QStringLiteral(" (booster)");
    bool answered = false;
    try {
        const qint64 queued = core_.Jobs().QueuedToday(terminal);
        const qint64 waiting = core_.Waiting().WaitingToday(terminal);
        const std::optional<SentOrder> last = core_.Messages().LastOrderToday(terminal);
        answered = true;
        text += QStringLiteral(": ") + Counted(queued, "job queued", "jobs queued") +
                QStringLiteral(", ") +
                Counted(waiting, "order waiting today", "orders waiting today") +
                QStringLiteral(", last order ");
        text += last ? last->datetime.mid(11) + QLatin1Char(' ') + last->kodeProduk +
                           QStringLiteral(" to ") + last->tujuan
                     : QStringLiteral("none today");
    } catch (const std::exception& e) {
        text += QStringLiteral(", database not answering: ") + Brief(Describe(e));
    }
    status_ = text.simplified();  // one line, whatever the rows hold
    QString message;
    if (answered && online && !ready_) {
        ready_ = true;
        message = QStringLiteral("READY=1\n");
    }
    Send(message + QStringLiteral("STATUS=") + status_);
}

void ServiceNotify::Stopping() {
    if (!active_ || stopping_) return;
    stopping_ = true;
    refresh_.stop();
    status_ = QStringLiteral("Stopping: marking terminal %1 off").arg(core_.Values().TerminalNo);
    Send(QStringLiteral("STOPPING=1\nSTATUS=") + status_);
}

void ServiceNotify::Send(const QString& assignments) {
    // Each assignment on its own line, the last one ended too, as the manager reads them.
    const int r = sd_notify(0, (assignments + QLatin1Char('\n')).toUtf8().constData());
    if (r < 0 && !sendFailed_) {
        sendFailed_ = true;
        core_.Ctx().Log(QStringLiteral("ServiceNotify cannot reach the service manager: ") +
                        QString::fromLocal8Bit(strerror(-r)));
    }
}
