#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QTextStream>
#include <QTimer>
#include <deque>
#include <memory>
#include <vector>

#include "FakeSupplier.h"
#include "ProcessSample.h"

class Database;

// The load benchmark's world around N terminal processes it starts itself: each terminal has
// its own program folder and settings and its own supplier account answering on the private
// chat server; a host queues orders at a steady rate for a while, spread over the terminals and
// over resellers that share uplines, and watches each order's row until it is settled. At the
// end it prints throughput, latency, statements per order and the terminals' CPU and memory,
// then checks that every order was settled once and that the money adds up.
class Load : public QObject {
    Q_OBJECT
  public:
    struct Options {
        int terminals = 20;
        double rate = 10;  // orders queued per second
        int seconds = 60;
        int drainSeconds = 120;  // the longest wait for the last orders after the queuing
        int idleSeconds = 0;     // then the terminals' cost with empty queues; 0: not measured
        QString relvane;         // the terminal program
        QString workDir;         // the terminals' program folders go here
        QStringList dbPorts = {QStringLiteral("33061")};  // terminals round-robin; host: first
        QString dbHost = QStringLiteral("127.0.0.1");
        QString database = QStringLiteral("relvane_demo");
        QString dbUser = QStringLiteral("relvane");
        QString dbPassword = QStringLiteral("relvane");
        QString driver = QStringLiteral("MariaDB Unicode");
        int resellers = 24;
        int uplines = 4;
        int otherResellers = 0;  // resellers without orders in the run: a host's size
        int supplierDelayMs = 0;
        int jobsPerTick = 0;  // the terminals' JobsPerTick; 0: not set (their default)
        QString xmppDomain = QStringLiteral("localhost");
        QString xmppHost = QStringLiteral("127.0.0.1");
        int xmppPort = 52220;
        QString xmppPassword = QStringLiteral("relvane");
        int monitorPort = 8702;
        QList<qint64> serverPids;  // the database and chat servers, for their CPU figures
        QString resultFile;        // one tab-separated line per run is appended here
    };

    // db: the first database server; the others are opened for their counters.
    Load(Database& db, Options options, QTextStream& out, QObject* parent = nullptr);
    ~Load() override;

    void Start();
    void Stop();

  signals:
    void Finished(bool ok);

  private:
    // The database servers' statement counters (summed over servers) and the host's own.
    struct Counters {
        QHash<QString, qint64> status;
        quint64 own = 0;
    };
    struct Snapshot {
        qint64 atMs = 0;
        Counters counters;
        std::vector<ProcessSample> terminals;
        std::vector<ProcessSample> servers;  // the serverPids, then this program
    };

    void Prepare();
    void StartTerminals();
    void WaitForTerminals();
    void Begin();
    void QueueDue();
    void Watch();
    void Note(qint64 id, const QString& code, const QString& status, qint64 nowMs);
    void End();
    bool CheckOrders();
    void Report(const Snapshot& before, const Snapshot& after, bool ok);
    void WaitForEmptyQueues();
    void MeasureIdle();
    // The statements of the busiest 100 ms of the idle period, and of 100 ms on average.
    std::pair<double, double> IdleBursts() const;
    void Finish(bool ok);
    void StopTerminals();
    Counters ReadCounters();
    Snapshot Take();
    qint64 NowMs() const { return clock_.elapsed(); }
    // The 1, 5 and 15 minute load averages of the machine.
    static QString LoadAverage();

    Database& db_;
    Options o_;
    QTextStream& out_;
    std::vector<std::unique_ptr<Database>> others_;
    std::vector<std::unique_ptr<FakeSupplier>> suppliers_;
    std::vector<std::unique_ptr<QProcess>> terminals_;
    QHash<QString, qint64> startDeposits_;
    QElapsedTimer clock_;
    QTimer queueTimer_, watchTimer_, sampleTimer_;
    // While idle, the server's statement counter every 10 ms: (time in ms, Questions).
    QTimer burstTimer_;
    std::vector<std::pair<qint64, qint64>> questions_;
    Snapshot before_, after_, idleBefore_;
    int total_ = 0;
    int queued_ = 0;
    int settled_ = 0;
    int settledTwice_ = 0;
    qint64 lastSettledMs_ = 0;
    std::vector<double> queuedMs_;   // per order; index = order number - 1
    std::vector<double> settledMs_;  // -1 while waiting
    std::vector<qint64> settledRow_;
    std::deque<std::pair<qint64, qint64>> watermarks_;  // (time, lowest id worth reading)
    std::vector<qint64> peakRssKb_;
    bool ordersOk_ = false;
    bool ended_ = false;
    bool finished_ = false;
};
