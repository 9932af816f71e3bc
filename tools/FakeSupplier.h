#pragma once

#include <QXmppClient.h>

// A supplier's chat account for demos and benchmarks: answers every order it receives with a
// success reply that quotes it, after an optional delay.
class FakeSupplier : public QObject {
    Q_OBJECT
  public:
    FakeSupplier(const QString& jid, const QString& password, const QString& host, int port,
                 int replyDelayMs = 0, QObject* parent = nullptr);
    void Start();
    bool IsOnline() const { return client_.isConnected(); }

  signals:
    void OrderReceived(const QString& from, const QString& body);

  private:
    QXmppClient client_;
    QString jid_, password_, host_;
    int port_;
    int replyDelayMs_;
    int serial_ = 0;
};
