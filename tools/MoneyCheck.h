#pragma once

#include <QHash>
#include <QString>
#include <QTextStream>

class Database;

// The closing check of a run, from the database alone: no order charged twice, every deposit
// equal to its start less what its successful orders cost, every row's deposit movement equal
// to its price, and the uplines' rebate books equal to the rebates of the sales, each book's
// balance chain exact. The rebates due are those of group G, the one group of a DemoWorld.
// Each fault found is written to out, with the totals.
class MoneyCheck {
  public:
    struct Result {
        int doubled = 0;  // orders that succeeded more than once
        bool depositsAddUp = false;
        bool ledgerAddsUp = false;
        bool Ok() const { return doubled == 0 && depositsAddUp && ledgerAddsUp; }
    };

    // Every reseller's deposit now, by code: the start of a run.
    static QHash<QString, qint64> Deposits(Database& db);
    static Result Run(Database& db, const QHash<QString, qint64>& startDeposits, QTextStream& out);
    static QString Money(qint64 amount);

  private:
    static int Doubled(Database& db);
    static bool DepositsAddUp(Database& db, const QHash<QString, qint64>& start, QTextStream& out);
    static bool BooksAddUp(Database& db, QTextStream& out);
};
