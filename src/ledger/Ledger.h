#pragma once

#include <QObject>
#include <QString>

#include "ledger/TransactionRow.h"
#include "store/Context.h"

class Deposits;

// The books: ledger entries that carry each reseller's balance forward, transaction rows,
// and the administration fee that is both a deposit movement and a transaction row.
class Ledger : public QObject {
    Q_OBJECT
  public:
    Ledger(Context ctx, Deposits& deposits, QObject* parent = nullptr)
        : QObject(parent), ctx_(ctx), deposits_(deposits) {}

    // Appends a ledger entry carrying the reseller's balance forward; failures are logged and
    // reported to the monitor, and an entry refused for a duplicate key is written once more
    // after the counter has been moved.
    // With resellersOnly, a code that names no reseller gets no entry (and no lock): the row
    // lock the entry takes anyway tells whether the reseller exists.
    void InsertToRekening(const QString& kodeRek, qint32 debet, qint32 kredit,
                          const QString& kodeRS, const QString& uraian, bool resellersOnly = false);
    qint32 GetAutoIncrement();  // the ledger's next id in this database, 0 when unreadable
    void DuplicateEntry();
    void InsertToTransaksi(const TransactionRow& row);  // failures are logged
    // Charges an administration fee (0: the fee stored under kode) and records it.
    void Biaya(const QString& kdrs, qint32 mBiaya, const QString& kode);

    // Writes the row and raises on failure, for callers that write it inside a unit of work;
    // LogTransaksiError writes InsertToTransaksi's line.
    qint64 WriteTransaksi(const TransactionRow& row);  // the new row's id
    void LogTransaksiError(const TransactionRow& row, const std::exception& e);

  signals:
    // A text for the host's monitor.
    void MonitorRecord(const QString& text);

  private:
    Context ctx_;
    Deposits& deposits_;
};
