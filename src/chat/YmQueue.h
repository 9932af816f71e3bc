#pragma once

#include <QObject>
#include <QString>

#include "store/Context.h"

class Output;

// Table ym_queue, the mailbox shared with the booster program: outgoing texts ("GetQueue")
// wait there to be sent by it, texts it received ("GetSupplierRecv") wait there for this
// terminal. Texts are stored encoded.
class YmQueue : public QObject {
    Q_OBJECT
  public:
    YmQueue(Context ctx, Output& out, QObject* parent = nullptr);

    // Probes the table and creates it when it is missing.
    void CheckYmQueue();
    void CreateYm_queue();
    // The booster program fixes the table's columns: longer texts cannot go through it.
    static constexpr int kMsisdnLength = 100;
    static constexpr int kPesanLength = 160;
    static bool Fits(const QString& msisdn, const QString& pesan);

    // Queues one outgoing text unless the same text is already queued for the terminal.
    // False when it was a duplicate.
    bool InsertYmQueue(const QString& msisdn, const QString& pesan, const QString& trxId,
                       qint16 terminal);
    void DelPesanExpired();
    // Hands the oldest received row of this terminal on (RowReceived), then removes it. The
    // row is the only hold of the message until it is removed: a row taken in whose removal
    // failed is removed at the next call without being taken in again.
    void ProcessSupplierRecv();
    // Starts the booster program beside the program; a missing program is logged.
    void StartBooster();

  signals:
    // A text the booster program received: its sender and the decoded text. The receiver
    // clears *taken when the database was away before anything of it was written: the row
    // then stays for a later call.
    void RowReceived(const QString& msisdn, const QString& pesan, bool* taken);

  private:
    Context ctx_;
    Output& out_;
    qint64 takenId_ = 0;  // a row taken in whose removal has not succeeded yet
};
