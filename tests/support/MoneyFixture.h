#pragma once

#include <QThread>
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "dispatch/Workers.h"
#include "support/DbFixture.h"

// Resellers, products and price groups for the money tests, and the workers of this instance
// (terminal 5) for every test of the domain classes.
class MoneyTest : public DbTest {
  protected:
    void Reseller(const QString& kode, int level, const QString& kelompok = "G",
                  const QString& upline = "", qint64 deposit = 100000) {
        Rows("reseller", "kode_reseller,level,kode_kelompok,kode_upline,deposit",
             {{kode, level, kelompok, upline, deposit}});
    }
    // Prices master, dealer, agent, then rebates master, dealer, agent.
    void Kelompok(const QString& kelompok, const QString& produk, const QVariantList& v) {
        Rows("kelompok",
             "kode_kelompok,kode_produk,harga_master,harga_dealer,harga,rebat_master,"
             "rebat_dealer,rebat",
             {QVariantList{kelompok, produk} + v});
    }
    // `member` earns `rebat` on every sale of `reseller` in the group's chain.
    void Chain(const QString& reseller, const QString& member, qint64 rebat) {
        Rows("harga_agen", "kode_kelompok,kode_reseller,kode_produk,rebat",
             {{"G", reseller, member, rebat}});
    }
    qint64 Deposit(const QString& kode) {
        return Scalar("SELECT deposit FROM reseller WHERE kode_reseller = ?", {kode}).toLongLong();
    }
    // Every row inserted into the table is refused from now on (the trigger "refuse").
    void Refuse(const QString& table) {
        Query(QString("CREATE TRIGGER refuse BEFORE INSERT ON %1 FOR EACH ROW SIGNAL SQLSTATE "
                      "'45000' SET MESSAGE_TEXT = 'refused'")
                  .arg(table));
    }
    // This instance's workers, made on first use (after the rows a test starts from).
    Workers& W() {
        if (!workers_) workers_ = std::make_unique<Workers>(Ctx(), Out());
        return *workers_;
    }
    QStringList Ledger() {
        return Column(
            "SELECT CONCAT_WS('|', kredit, kode_reseller, uraian) FROM rekening "
            "ORDER BY id");
    }

    // Runs `work` as another instance would: the workers on a connection of its own (driver
    // "QMYSQL" or ODBC) with a copy of `values`. Returns what it threw, or "".
    QString AsInstance(const QString& driver, const ProcessValues& values,
                       const std::function<void(Workers&)>& work) {
        try {
            UtilityComponent util(Home(), &Settings());
            Database db(&util, driver + QString::number(quintptr(QThread::currentThreadId())));
            if (!db.Open(TargetFor(driver))) throw RelvaneError(db.LastOpenError());
            ProcessValues mine = values;
            Output out;
            Workers w(Context{db, util, Settings(), mine}, out);
            work(w);
            return "";
        } catch (const std::exception& e) {
            return Describe(e);
        }
    }
    // Two instances, the first on the native driver and the second on ODBC, start `work(w, i)`
    // at the same moment; what each threw.
    QStringList Race(const std::array<ProcessValues, 2>& values,
                     const std::function<void(Workers&, int)>& work) {
        std::atomic<int> ready{0};
        std::array<QString, 2> failures;
        std::array<std::thread, 2> threads;
        for (int i = 0; i < 2; ++i)
            threads[i] = std::thread([&, i] {
                bool started = false;
                failures[i] =
                    AsInstance(i == 0 ? "QMYSQL" : OdbcDriver(), values[i], [&](Workers& w) {
                        started = true;
                        ++ready;
                        while (ready.load() < 2) std::this_thread::yield();
                        work(w, i);
                    });
                if (!started) ++ready;
            });
        for (std::thread& t : threads) t.join();
        return {failures[0], failures[1]};
    }

  private:
    std::unique_ptr<Workers> workers_;
};
