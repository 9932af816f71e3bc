#pragma once

#include <QString>
#include <QVariant>
#include <optional>

#include "store/Context.h"

class Lookups;
class SenderSelection;

// An order handed to the supplier, as its outbox row has it.
struct SentOrder {
    QString datetime;  // "yyyy-mm-dd hh:mm:ss"
    QString kodeProduk;
    QString tujuan;
};

// What this terminal reports to the host: the outbox of sent orders, the inbox of supplier
// messages, message jobs for resellers and the administrator, and the terminal's on/off row.
class MessageTables {
  public:
    MessageTables(Context ctx, Lookups& lookups, SenderSelection& senders)
        : ctx_(ctx), lookups_(lookups), senders_(senders) {}

    void InsertToOutbox(const QString& tujuan, const QString& pesan, quint8 status, qint16 terminal,
                        const QString& kdProduk, const QString& kdReseller);
    void InsertToInbox(const QString& pengirim, const QString& pesan, quint8 status,
                       qint16 terminal);
    void OnOffTerminal(const QString& modul, qint16 terminal, bool onOff);
    // The newest order (not a message job) this terminal, or the merged terminals, handed over
    // today; none when there was none.
    std::optional<SentOrder> LastOrderToday(qint16 terminal);

    // Queues a plain message for a reseller (or the administrator) as a job for the host to
    // deliver; the terminal may be replaced by the sender selection.
    QVariant QueueAdminJob(const QString& kodeReseller, const QString& pesan, qint16& terminal);

  private:
    qint16 SenderTerminal(const QString& recipient, qint16 terminal);

    Context ctx_;
    Lookups& lookups_;
    SenderSelection& senders_;
};
