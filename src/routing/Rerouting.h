#pragma once

#include <QString>

#include "store/Context.h"

class MessageTables;
class TerminalChoice;

// Moves an order that failed on this terminal to another one: the product goes off here, a new
// job is queued for a terminal chosen by the routing table, product restrictions, priority
// levels and today's usage, the old order is closed, and the product comes back on. When no
// terminal can take the order the reseller gets the "Pesan4" message instead.
class Rerouting {
  public:
    Rerouting(Context ctx, MessageTables& messages, TerminalChoice& choice)
        : ctx_(ctx), messages_(messages), choice_(choice) {}

    // Where the new job goes; all empty when no terminal can take the product. The command is
    // kept whole, whatever separators it holds.
    struct AlihCommand {
        QString command;
        QString suffix;  // "@" and the chat target, or empty for target "-"
        qint16 terminal = 0;
    };

    // A guard's move of an order not yet sent. The new job's id carries how often the order has
    // moved and the terminal it leaves ("H1#2#500#1/5"); the order never goes back to the
    // terminal it came from; and when no other terminal serves the product nothing is written:
    // the guard then refuses the order itself instead of the reseller getting "Pesan4".
    struct GuardMove {
        int moves = 0;        // moves before this one
        qint16 cameFrom = 0;  // the terminal the order came from; 0 for the host's own job
        qint16 leaving = 0;   // the terminal it leaves now
    };
    // The moves recorded in a job's id (its fourth "#" field); none for a job the host queued.
    static GuardMove MovesOf(const QString& jobTrxId);

    // The whole re-route as one unit of work; true when a new job was queued. The failed order
    // idx (none for 0) is closed with a remark naming the failure keyword that allowed the
    // re-route. Errors are logged; inside a caller's transaction they go on to the caller as
    // well, so that its unit fails whole. The product is switched on again only when it was on
    // before.
    bool Pintar(const QString& member, const QString& number, const QString& kdProduk,
                const QString& tujuan, qint16 terminal, const QString& text, qint64 idx,
                const QString& keyword, qint16 terSumber, const QString& trxId,
                const GuardMove* guard = nullptr);
    // Switches the product off on the terminal; true when it was on.
    bool OffParsing(const QString& kdProduk, qint16 terminal);
    void ONParsing(const QString& kdProduk, qint16 terminal);
    // Queues the order for another terminal (true), or tells the reseller "Pesan4" when none
    // can take it; for a guard's move nothing is written then (false).
    bool ReulangTrx(const QString& member, const QString& number, const QString& aProduk,
                    const QString& tujuan, const QString& text, qint16 lineGate,
                    const QString& trxId, const GuardMove* guard = nullptr);

    AlihCommand CariPerintahAlih(const QString& member, const QString& aProduk,
                                 const QString& tujuan);
    // The new job's text: the command with the destination, the order's code and denomination
    // put in, the terminal placeholder taken out, and the chat target after it.
    static QString IsiPerintahAlih(const AlihCommand& r, const QString& tujuan,
                                   const QString& trxid, const QString& denom);
    // The routing table's candidate list for the order, "NC" when none applies.
    QString CariTujuanHLR(const QString& member, const QString& tujuan);

    // A "#" field of a transaction code; empty past the last.
    static QString AmbilFieldTrx(const QString& trxId, int field);

  private:
    void CatatPengalihan(qint64 idx, const QString& text, qint16 terminal, const QString& keyword);
    QString CariHLRAlamat(const QString& member);
    void InsertJobAlih(const QString& member, const QString& number, const QString& aProduk,
                       const QString& tujuan, const QString& msg, qint16 lineGate, qint16 terminal,
                       const QString& trxIdField);

    Context ctx_;
    MessageTables& messages_;
    TerminalChoice& choice_;
    int avoid_ = 0;  // a terminal the order being moved may not go to; 0 for none
};
