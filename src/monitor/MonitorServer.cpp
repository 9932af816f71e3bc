#include "monitor/MonitorServer.h"

#include <httplib.h>

#include <QHostAddress>

MonitorServer::MonitorServer(QString token) : token_(token.toUtf8()) {}

MonitorServer::~MonitorServer() {
    Stop();
}

bool MonitorServer::SameSecret(const QByteArray& a, const QByteArray& b) {
    // Every byte of the longer text is looked at, whatever the texts hold.
    const int n = qMax(a.size(), b.size());
    unsigned difference = static_cast<unsigned>(a.size() ^ b.size());
    for (int i = 0; i < n; ++i) {
        const unsigned char x = i < a.size() ? static_cast<unsigned char>(a[i]) : 0;
        const unsigned char y = i < b.size() ? static_cast<unsigned char>(b[i]) : 0;
        difference |= static_cast<unsigned>(x ^ y);
    }
    return difference == 0;
}

bool MonitorServer::IsLoopback(const QString& host) {
    if (host == QLatin1String("localhost")) return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

bool MonitorServer::Start(const QString& host, int port) {
    server_ = std::make_unique<httplib::Server>();
    httplib::Server& s = *server_;
    s.set_payload_max_length(4096);
    s.set_read_timeout(5, 0);
    s.set_write_timeout(5, 0);
    s.set_keep_alive_max_count(20);
    s.set_keep_alive_timeout(5);
    s.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
        if (token_.isEmpty()) return httplib::Server::HandlerResponse::Unhandled;
        const QByteArray given = QByteArray::fromStdString(req.get_header_value("Authorization"));
        if (SameSecret(given, QByteArrayLiteral("Bearer ") + token_))
            return httplib::Server::HandlerResponse::Unhandled;
        res.status = 401;
        res.set_header("WWW-Authenticate", "Bearer");
        res.set_content("token required\n", "text/plain");
        return httplib::Server::HandlerResponse::Handled;
    });
    const auto serve = [this](QByteArray MonitorServer::*text, const char* type) {
        return [this, text, type](const httplib::Request&, httplib::Response& res) {
            std::lock_guard<std::mutex> lock(mutex_);
            res.set_header("Cache-Control", "no-store");
            res.set_content((this->*text).toStdString(), type);
        };
    };
    s.Get("/", serve(&MonitorServer::html_, "text/html; charset=utf-8"));
    s.Get("/api/fleet", serve(&MonitorServer::json_, "application/json"));
    s.Get("/metrics", serve(&MonitorServer::metrics_, "text/plain; version=0.0.4; charset=utf-8"));
    if (port == 0) {
        port_ = s.bind_to_any_port(host.toStdString());
        if (port_ <= 0) return false;
    } else {
        if (!s.bind_to_port(host.toStdString(), port)) return false;
        port_ = port;
    }
    thread_ = std::thread([&s] { s.listen_after_bind(); });
    return true;
}

void MonitorServer::Stop() {
    if (server_) server_->stop();
    if (thread_.joinable()) thread_.join();
    server_.reset();
}

void MonitorServer::Publish(QByteArray html, QByteArray json, QByteArray metrics) {
    std::lock_guard<std::mutex> lock(mutex_);
    html_ = std::move(html);
    json_ = std::move(json);
    metrics_ = std::move(metrics);
}
