#pragma once

#include <QString>
#include <optional>

#include "ledger/ResellerRecord.h"
#include "ledger/TransactionRow.h"
#include "store/Context.h"
#include "store/Database.h"

class Deposits;
class Ledger;
class MessageTables;
class Prices;

// One order priced for its reseller, ready to be written as a waiting transaction.
struct WaitingOrder {
    ResellerRecord reseller;
    qint32 harga = 0;
    TransactionRow row;
    qint64 id = 0;  // the row's id once written
};

// The waiting record of an order sent to a supplier (or refused by a guard), the low-deposit
// warning after a sale, and the reseller activity log.
class WaitingRecord {
  public:
    WaitingRecord(Context ctx, Prices& prices, Deposits& deposits, Ledger& ledger,
                  MessageTables& messages)
        : ctx_(ctx), prices_(prices), deposits_(deposits), ledger_(ledger), messages_(messages) {}

    // Records a sent (or refused) order as a waiting transaction, debiting the deposit first
    // when the installation takes it at order time. Errors are logged, never raised.
    void ExecuteMenunggu(const QString& kdReseller, const QString& hpRs, const QString& kdProduk,
                         const QString& tujuan, qint16 lineGate, qint16 terminal,
                         const QString& trxId);

    // The two halves of ExecuteMenunggu, for a caller that writes the record inside a larger
    // unit of work. PriceWaiting only reads; it raises what the reads raise, and "Type
    // mismatch" for a reseller that does not exist. WriteWaiting debits at order time and
    // writes the row, in one database transaction (or in the caller's), and raises on
    // failure after logging InsertToTransaksi's line for a row that could not be written.
    WaitingOrder PriceWaiting(const QString& kdReseller, const QString& hpRs,
                              const QString& kdProduk, const QString& tujuan, qint16 lineGate,
                              qint16 terminal, const QString& trxId);
    // PriceWaiting for a caller that has read the reseller's row and priced the order already
    // (price and upline rebate as Prices::OrderPrice gives them): only the purchase price is
    // read.
    WaitingOrder PricedWaiting(const ResellerRecord& reseller, qint32 harga, qint32 rebat,
                               const QString& kdReseller, const QString& hpRs,
                               const QString& kdProduk, const QString& tujuan, qint16 lineGate,
                               qint16 terminal, const QString& trxId);
    void WriteWaiting(WaitingOrder& order);
    // ExecuteMenunggu's error line.
    // Probes table transaksi_ for the columns a waiting row needs; raises when one is missing
    // or the table cannot be read. An empty table is sound.
    void CheckTable();
    void LogWaitingError(const QString& kdReseller, const QString& hpRs, const QString& kdProduk,
                         const QString& tujuan, const std::exception& e);

    // How many orders of this terminal (or the merged terminals) sent today still wait for
    // their reply.
    qint64 WaitingToday(qint16 terminal);

    // resellerLog: the reseller's activity row as ReadResellerLog gave it; without it the
    // row is read by each.
    void CekLimitDeposit(const QString& kdReseller, qint32 deposit, const QString& hpReseller,
                         const DbResult* resellerLog = nullptr);
    void UpdateResellerLog(const QString& kdReseller, const QString& poin,
                           const DbResult* resellerLog = nullptr);
    // The reseller's activity row with every column the steps after a sale use (the promo,
    // the credit allowance, the activity); nothing when it cannot be read, for each step to
    // meet the failure on its own.
    std::optional<DbResult> ReadResellerLog(const QString& kdReseller);
    void CreateResellerLog();  // creates reseller_log when it is missing, never replaces it

  private:
    Context ctx_;
    Prices& prices_;
    Deposits& deposits_;
    Ledger& ledger_;
    MessageTables& messages_;
};
