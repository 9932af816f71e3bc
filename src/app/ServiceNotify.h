#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class Core;

// What a terminal running as a systemd notify service tells its manager through
// NOTIFY_SOCKET: READY=1 once the database answers and the chat account is online, a STATUS=
// line every few seconds (online or not, jobs queued, orders waiting today, the last order),
// WATCHDOG=1 from the event loop at half the watchdog interval when the manager asks for it,
// and STOPPING=1 when shutdown begins. Without NOTIFY_SOCKET it does nothing at all, not even
// the status statements.
class ServiceNotify : public QObject {
    Q_OBJECT
  public:
    static constexpr int kRefreshMs = 5000;

    // Starts at once when NOTIFY_SOCKET is set: the first status now, then every kRefreshMs.
    explicit ServiceNotify(Core& core, QObject* parent = nullptr);

    bool Active() const { return active_; }
    // Reads the terminal's figures (three statements on indexed columns), sends the STATUS=
    // line, and READY=1 with it the first time the database answers while the chat is online.
    void Refresh();
    // The last STATUS= text sent.
    const QString& Status() const { return status_; }
    bool Ready() const { return ready_; }

  private:
    bool Online() const;
    void OnChatState();
    void Stopping();
    void Send(const QString& assignments);

    Core& core_;
    QTimer refresh_;
    QTimer watchdog_;
    bool active_ = false;
    bool ready_ = false;
    bool stopping_ = false;
    bool wasOnline_ = false;
    bool sendFailed_ = false;
    QString status_;
};
