#pragma once

#include <QString>

#include "store/Context.h"

class Output;

// Bill payments: the index number, the customer's ID and the bill amount read from a supplier's
// reply to a bill inquiry and kept in e2e_queue, for matching later replies by the customer's ID
// and for the amount in the reseller's reply.
class BillCapture {
  public:
    BillCapture(Context ctx, Output& out) : ctx_(ctx), out_(out) {}

    // The text between the markers (all lower-cased, the result trimmed of blanks); "N/A" when
    // the start marker, or a non-empty end marker after it, does not occur.
    static QString AmbilDiantara(const QString& text, const QString& awal, const QString& akhir);

    // Captures the bill values of a success reply for the destination. Failures are logged;
    // nothing is written then, and a settlement it runs in goes on.
    void GetHrgPPOB(const QString& pesan, const QString& terminal, const QString& tujuan);
    // The newest captured bill amount for a destination (by customer ID or index); 0 when none.
    qint32 GetHrgPLN(const QString& tujuan);
    // The customer's ID captured under an index number, lower-cased; "NC:NC:NC" when none.
    QString GetMsisdnE2E(const QString& value);

    struct Found {
        int k = 0;      // the pair that matched, or one past the last
        QString value;  // the text between its markers
        bool ok = false;
    };
    // The first marker pair (k-th start with k-th end of the ";"-separated lists) whose text
    // occurs in the reply. Raises RelvaneError for a start marker without an end marker.
    static Found FirstBetween(const QString& pesan, const QString& awal, const QString& akhir);

  private:
    // One line in the log view, once the work it speaks of has committed.
    void Show(const QString& label, const QString& value);
    QString Setting(const char* stem, const char* defaultValue = "") const;

    Context ctx_;
    Output& out_;
};
