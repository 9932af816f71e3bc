#pragma once

#include <QXmppClient.h>

#include <memory>

// A supplier's chat account for demos, tests and benchmarks: answers every order it receives
// with a reply that quotes it, after an optional delay (a negative delay: no answer). Replies
// are successes with a serial number, a price and a stock figure, except every n-th order when
// failures are asked for: that one is refused with a re-route keyword.
class FakeSupplier : public QObject {
    Q_OBJECT
  public:
    FakeSupplier(const QString& jid, const QString& password, const QString& host, int port,
                 int replyDelayMs = 0, QObject* parent = nullptr);
    // Logs in, each time with a fresh client: a server offering stream management must not
    // see an earlier session resumed or its unacknowledged replies sent again.
    void Start();
    // Every n-th order (counting from the first) fails; 0: none, 1: all.
    void SetFailEvery(int n) { failEvery_ = n; }
    // The reply to the n-th order (1-based) with the given text.
    static QString ReplyTo(const QString& order, int n, int failEvery);
    bool IsOnline() const { return client_ && client_->isConnected(); }

  signals:
    void OrderReceived(const QString& from, const QString& body);

  private:
    std::unique_ptr<QXmppClient> client_;
    QString jid_, password_, host_;
    int port_;
    int replyDelayMs_;
    int serial_ = 0;
    int failEvery_ = 0;
};
