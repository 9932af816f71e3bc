#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QTextStream>
#include <QTimer>
#include <memory>
#include <vector>

#include "FakeSupplier.h"

class Database;
class SettingsStore;

// The demo's world around two running terminals: the host that queues orders at a steady pace,
// the suppliers that answer them (the first terminal's supplier refuses some orders with a
// re-route keyword), and a narrator that tells each order's story from the database and ends
// with a summary that checks the money.
class Demo : public QObject {
    Q_OBJECT
  public:
    struct Options {
        int terminalA = 1;  // takes the orders; re-routes to B
        int terminalB = 2;
        int orders = 10;
        int paceMs = 1500;
        int failEvery = 4;  // of the orders supplier A receives
        int refuseAt = 5;   // the order placed by a reseller who cannot pay; 0: none
        QString xmppDomain = QStringLiteral("localhost");
        QString xmppHost = QStringLiteral("127.0.0.1");
        int xmppPort = 52220;
        QString xmppPassword = QStringLiteral("relvane");
        int loginTimeoutMs = 30000;
        int orderTimeoutMs = 30000;
    };

    struct Summary {
        int orders = 0;
        int successes = 0;
        int failures = 0;
        int refusals = 0;
        int reroutes = 0;
        int unfinished = 0;
        int doubled = 0;  // orders that succeeded more than once
        bool depositsAddUp = false;
        bool ledgerAddsUp = false;
        bool Ok() const { return unfinished == 0 && doubled == 0 && depositsAddUp && ledgerAddsUp; }
    };

    // Resets the demo's tables (resellers, prices, keywords, terminals, orders, books) and
    // writes the two terminals' settings: chat accounts, targets, re-routing on for A.
    static void Prepare(Database& db, const SettingsStore& settings, const Options& options);

    Demo(Database& db, Options options, QTextStream& out, QObject* parent = nullptr);
    ~Demo() override;

    // Suppliers online, both terminals logged in, then the orders; Finished when the last
    // order's story has ended (or Stop was called).
    void Start();
    void Stop();
    const Summary& Result() const { return summary_; }

  signals:
    void Finished(bool ok);

  private:
    // One order as the host queued it, and how far its story has been told.
    struct Order {
        int n = 0;
        QString reseller;
        QString product;
        QString destination;
        qint64 depositBefore = 0;
        QHash<qint64, QString> told;  // transaction row id -> last status told
        bool ended = false;
        QString outcome;  // "success", "failure", "refused"
        qint64 queuedAtMs = 0;
    };

    void WaitForTerminals();
    void QueueNext();
    void Watch();
    void Follow(Order& order);
    void Tell(const Order& order, const QString& what, const QString& text);
    void Finish();
    static QString ReplyText(const QString& remark);

    Database& db_;
    Options o_;
    QTextStream& out_;
    std::unique_ptr<FakeSupplier> supplierA_;
    std::unique_ptr<FakeSupplier> supplierB_;
    QTimer pace_;
    QTimer watch_;
    QElapsedTimer clock_;
    std::vector<Order> orders_;
    QHash<QString, qint64> startDeposits_;
    Summary summary_;
    bool finished_ = false;
};
