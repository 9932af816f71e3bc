#pragma once

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QObject>
#include <QUdpSocket>

// One record of the terminals' feed as the monitor keeps it.
struct FeedRecord {
    QDateTime received;
    int terminal = 0;   // 0 when the service text names none
    int direction = 0;  // 1 order sent, 2 message received
    QString service;
    QString party;
    QString message;
    QString time;  // as the terminal stamped it
};

// A node's last announcement: up when it started, down when it closed.
struct NodeState {
    bool up = false;
    QDateTime at;
};

// Receives the datagrams terminals send to their local monitor: node announcements
// ("NODE@=<node>@=True" or "False") and message records (six "@="-joined fields, the last one
// 1 for a sent order, 2 for a received message). Anything else is counted and dropped.
class FeedReader : public QObject {
    Q_OBJECT
  public:
    static constexpr int kKeptRecords = 50;
    static constexpr int kMaxDatagram = 8192;

    explicit FeedReader(QObject* parent = nullptr);

    // Binds the socket; false (with the reason in *error) when the address is taken or wrong.
    bool Listen(const QHostAddress& address, quint16 port, QString* error = nullptr);
    quint16 Port() const { return socket_.localPort(); }

    // Takes one datagram; false when it was dropped.
    bool Take(const QByteArray& datagram, const QDateTime& now = QDateTime::currentDateTime());

    const QMap<int, NodeState>& Nodes() const { return nodes_; }
    // Newest last.
    const QList<FeedRecord>& Recent() const { return recent_; }
    QDateTime LastSent(int terminal) const { return lastSent_.value(terminal); }
    QDateTime LastReceived(int terminal) const { return lastReceived_.value(terminal); }
    quint64 Accepted() const { return accepted_; }
    quint64 Dropped() const { return dropped_; }
    // Records per minute (minutes since the epoch) and direction, for the last hour.
    int PerMinute(qint64 minute, int direction) const;

  signals:
    void Changed();

  private:
    void ReadPending();

    QUdpSocket socket_;
    QMap<int, NodeState> nodes_;
    QList<FeedRecord> recent_;
    QMap<int, QDateTime> lastSent_;
    QMap<int, QDateTime> lastReceived_;
    QMap<qint64, QPair<int, int>> perMinute_;
    quint64 accepted_ = 0;
    quint64 dropped_ = 0;
};
