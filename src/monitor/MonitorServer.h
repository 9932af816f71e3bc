#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <mutex>
#include <thread>

namespace httplib {
class Server;
}

// The monitor's HTTP side: "/" (the page), "/api/fleet" (JSON) and "/metrics" (the text
// format of the metrics scrapers), served from texts the owner hands over with Publish. With
// a token every request must carry "Authorization: Bearer <token>". Requests are bounded in
// size and time.
class MonitorServer {
  public:
    explicit MonitorServer(QString token = QString());
    ~MonitorServer();
    MonitorServer(const MonitorServer&) = delete;
    MonitorServer& operator=(const MonitorServer&) = delete;

    // Binds and starts serving on its own thread; port 0 takes a free one. False when the
    // address cannot be bound.
    bool Start(const QString& host, int port);
    int Port() const { return port_; }
    void Stop();

    void Publish(QByteArray html, QByteArray json, QByteArray metrics);

    // Equal texts, compared in a time that does not depend on where they differ.
    static bool SameSecret(const QByteArray& a, const QByteArray& b);
    // A loopback address (127.0.0.0/8, ::1 or "localhost").
    static bool IsLoopback(const QString& host);

  private:
    QByteArray token_;
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int port_ = 0;
    std::mutex mutex_;
    QByteArray html_, json_, metrics_;
};
