#pragma once

#include <QList>
#include <QString>
#include <functional>

#include "store/Context.h"

class BillCapture;
class Deposits;
class Ledger;
class Lookups;
class MessageTables;
class PriceUpdate;
class Prices;
class PromoAndNotices;
class Rebates;
class ReplyClassifier;
class Rerouting;
class WaitingRecord;

// Settles supplier replies: finds the waiting order a reply speaks of, and closes it as a
// success or a failure, with the deposit, the books, the reseller's reply and, for some
// failures, a re-route to another terminal.
class Settlement {
  public:
    struct Collaborators {
        Lookups& lookups;
        Prices& prices;
        Deposits& deposits;
        Ledger& ledger;
        Rebates& rebates;
        WaitingRecord& waiting;
        ReplyClassifier& classifier;
        PriceUpdate& priceUpdate;
        BillCapture& bills;
        PromoAndNotices& promo;
        MessageTables& messages;
        Rerouting& rerouting;
    };

    // One waiting order as replies are matched against it; texts lower-cased.
    struct Pending {
        QString tujuan;
        qint64 id = 0;
        QString kode;  // the code suppliers quote; empty when the order has none
    };

    // One transaction row as settlement reads it.
    struct Record {
        bool exists = false;
        QString kodeProduk;
        QString tujuan;
        QString kodeReseller;
        QString hpReseller;
        qint32 depositAwal = 0;
        qint32 depositAkhir = 0;
        qint32 hargaBeli = 0;
        qint16 terminal = 0;
        QString kodeTransaksi;
    };

    // One classified reply on its way through the steps.
    struct Reply {
        Pending entry;
        Record rec;
        QString text;
        qint16 terminal = 0;  // this instance's
        QString templ;
        QString stok;
        QString sn;
        qint16 source = 0;
        QString nama;
        QString namaProduk;
        qint32 price = 0;
        qint32 before = 0;
        qint32 after = 0;
        qint32 bill = 0;
    };

    Settlement(Context ctx, Collaborators with) : ctx_(ctx), w_(with) {}

    // Settles at most one waiting order with the reply (apostrophes already replaced, "."
    // appended, lower-cased). The order's money, rows and messages are written in one
    // database transaction, from the waiting state only: a reply that comes twice, or a
    // second instance with the same reply, finds nothing left to settle. A success reply whose
    // SN already stands on a success to the same destination (today, on these terminals)
    // settles nothing: it is the same reply again. When the order matched was settled by
    // another instance meanwhile, the reply is matched once more among the orders still
    // waiting. Errors reach the caller, with nothing of the unit written.
    void ExecuteReplaySupplier(const QString& text, qint16 terminal);
    // Settles the waiting order `id` as a failure with the internal text of a guard that
    // refused it (lower-cased): never as a success, whatever keywords the text holds.
    void SettleRefusal(qint64 id, const QString& text, qint16 terminal);

    // Waiting orders of the terminal (or of the merged terminals) of the last 12 hours,
    // else of today, oldest first.
    QList<Pending> GetTrxPending(qint16 terminal);
    QList<Pending> GetTrxPendingHariIni(qint16 terminal);
    Record GetDataTrx(qint64 id);

    // Writes the settled row, from the waiting state only; a first statement that fails is
    // logged and run once more with a note in the remark.
    void UpdateTrxMenunggu(qint32 depositAwal, qint32 depositAkhir, quint8 status,
                           const QString& keterangan, qint64 id, const QString& namaReseller,
                           const QString& sn, qint32 hargaBeli, const QString& stok);
    double JumlahTrxSukses(const QString& kdReseller);
    QString GetNamaProduk(const QString& kdProduk);  // points, ")", name; the code when unknown
    qint16 GetTrxGagal(const QString& kdProduk, const QString& tujuan, qint16 terminal);
    void KurangiStok(const QString& kdProduk, qint32 terminal, const QString& stok);

    // The placeholders of the reseller's reply that the reply and its row fill, in their fixed
    // order, with the time stamps given; "<trx>" and "<sn-N>" are left for FillMessage.
    static QString FillMessage(const Reply& r, bool success, const QString& now,
                               const QString& shortNow);

  private:
    enum class Outcome {
        Done,  // settled, or nothing to settle
        Lost,  // the order matched was no longer waiting
    };
    Outcome SettleFirstMatch(const QString& text, qint16 terminal);
    bool Matches(const Pending& entry, const QString& text);
    Outcome Settle(const Pending& entry, const QString& templ, bool success, const QString& text,
                   qint16 terminal);
    void SettleSuccess(Reply& r);
    void SettleFailure(Reply& r);
    // Ends the unit when the reply's SN already settled an order to the same destination.
    void CheckNotSettledBefore(const Reply& r);
    // A step after the commit: its failure is logged and the next step runs.
    void FollowUp(const QString& routine, const std::function<void()>& step);
    void LockWaiting(qint64 id);
    QString FillMessage(const Reply& r, bool success);
    void QueueToReseller(const Reply& r, const QString& message);

    Context ctx_;
    Collaborators w_;
};
