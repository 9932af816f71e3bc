#pragma once

#include <QHash>
#include <QProcess>
#include <QRandomGenerator>
#include <memory>
#include <vector>

#include "Demo.h"
#include "FakeSupplier.h"
#include "MoneyCheck.h"
#include "store/Stamps.h"
#include "support/TerminalFixture.h"

// Terminals that run as programs of their own on the demo's world (resellers with deposits,
// products with group prices and rebates, the keywords, both terminals' settings), a host that
// queues orders, supplier accounts that count what they receive, and the checks that must hold
// whatever happened: no order received twice, no rupiah lost or created, every book exact.
class FaultTest : public TerminalTest {
  protected:
    void TearDown() override {
        StopProcesses();
        suppliers_.clear();
        TerminalTest::TearDown();
    }

    // The demo's world with terminals a and b (re-routing from a to b on).
    void World(int a, int b) {
        Demo::Options o;
        o.terminalA = a;
        o.terminalB = b;
        o.xmppDomain = XmppPeer::Domain();
        o.xmppPort = XmppPeer::Port().toInt();
        o.xmppPassword = XmppPeer::Password();
        Demo::Prepare(Db(), Settings(), o);
        // Room for every order the fault tests place.
        Query("UPDATE reseller SET deposit = 10000000 WHERE kode_reseller = 'R1'");
        start_ = MoneyCheck::Deposits(Db());
    }

    // Supplier n's account, answering every order after delayMs (negative: never).
    FakeSupplier& Supplier(int n, int delayMs = 0) {
        auto s = std::make_unique<FakeSupplier>(QString("supplier%1@").arg(n) + XmppPeer::Domain(),
                                                XmppPeer::Password(), "127.0.0.1",
                                                XmppPeer::Port().toInt(), delayMs);
        QObject::connect(s.get(), &FakeSupplier::OrderReceived,
                         [this](const QString&, const QString& body) { ++received_[body]; });
        s->Start();
        EXPECT_TRUE(WaitUntil([&] { return s->IsOnline(); }, 10000));
        suppliers_.push_back(std::move(s));
        return *suppliers_.back();
    }

    // Queues an order for terminal n as the host does; the order text, which the supplier
    // receives as it is. The host keeps trying while the database is away.
    QString QueueOrder(int n) {
        const int k = ++orders_;
        const QString destination = QString("0812%1").arg(k, 7, 10, QLatin1Char('0'));
        const QString trx = QString("F%1").arg(k);
        const QString order = "S5." + destination + "." + trx;
        const QVariantMap row = {{"datetime", NowStamp()}, {"kode_produk", "S5"},
                                 {"tujuan", destination},  {"pesan", order},
                                 {"kode_reseller", "R1"},  {"hp_reseller", "0811000"},
                                 {"trx_id", trx + "#0#0"}, {"terminal", n}};
        for (int attempt = 0; attempt < 200; ++attempt) {
            try {
                Insert("job_quenue", row);
                orderTexts_.append(order);
                return order;
            } catch (const DbError&) {
                WaitUntil([] { return false; }, 100);
            }
        }
        ADD_FAILURE() << "could not queue " << order.toStdString();
        return order;
    }

    int Received(const QString& order) const { return received_.value(order); }
    const QStringList& Orders() const { return orderTexts_; }

    int Count(const QString& sql, const QVariantList& params = {}) {
        return Scalar(sql, params).toInt();
    }
    // Rows of an order: its waiting/settled transaction rows and its outbox record.
    int TransactionRows(const QString& order) {
        return Count("SELECT COUNT(*) FROM transaksi WHERE kode_transaksi LIKE ?",
                     {"%#" + order.section('.', 2) + "#%"});
    }
    // Orders still queued (the resellers' reply messages are queued too).
    int QueuedOrders() { return Count("SELECT COUNT(*) FROM job_quenue WHERE kode_produk <> '-'"); }
    int Queued(const QString& order) {
        return Count("SELECT COUNT(*) FROM job_quenue WHERE pesan = ?", {order});
    }
    int Outbox(const QString& order) {
        return Count("SELECT COUNT(*) FROM outbox WHERE pesan = ?", {order});
    }
    int Settled(const QString& order) {
        return Count(
            "SELECT COUNT(*) FROM transaksi WHERE kode_transaksi LIKE ? AND status <> "
            "'2'",
            {"%#" + order.section('.', 2) + "#%"});
    }

    // No order received twice, and every order either received once or still visible: queued,
    // or recorded as handed over (its outbox record and waiting row).
    void ExpectEachOrderAtMostOnce() {
        for (const QString& order : orderTexts_) {
            SCOPED_TRACE(order.toStdString());
            EXPECT_LE(Received(order), 1);
            EXPECT_LE(TransactionRows(order), 1);
            if (Received(order) == 0 && Queued(order) == 0) {
                EXPECT_EQ(Outbox(order), 1);
                EXPECT_EQ(TransactionRows(order), 1);
            }
        }
    }

    // From the database alone: no order charged twice, each reseller's deposit is its start
    // less the prices of its successful orders, the uplines' books hold exactly the rebates of
    // the sales and each book's balance chain is exact.
    void ExpectMoneyExact() {
        QString report;
        QTextStream out(&report);
        const MoneyCheck::Result r = MoneyCheck::Run(Db(), start_, out);
        EXPECT_TRUE(r.Ok()) << report.toStdString();
    }

    // ./run services ACTION on the private servers this test runs against.
    static void Services(const QString& action) {
        QProcess run;
        run.setProcessChannelMode(QProcess::MergedChannels);
        run.start(RELVANE_SOURCE_DIR "/run", {"services", action});
        ASSERT_TRUE(run.waitForFinished(120000));
        ASSERT_EQ(run.exitCode(), 0) << run.readAll().toStdString();
    }

  private:
    std::vector<std::unique_ptr<FakeSupplier>> suppliers_;
    QHash<QString, int> received_;
    QHash<QString, qint64> start_;
    QStringList orderTexts_;
    int orders_ = 0;
};
