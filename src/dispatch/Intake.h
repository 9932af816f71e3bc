#pragma once

#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QTimer>

#include "store/Context.h"
#include "store/ReplyJournal.h"

class Lookups;
class MessageTables;
class MonitorFeed;
class Output;
class PromoAndNotices;
class Settlement;

// Takes each supplier message in: cleans it, shows it, decides whether it is settled, stores
// it in the inbox, reports it to the monitor and forwards it to the administrator.
class Intake : public QObject {
    Q_OBJECT
  public:
    struct Collaborators {
        Lookups& lookups;
        MessageTables& messages;
        Settlement& settlement;
        PromoAndNotices& promo;
    };
    Intake(Context ctx, Output& out, MonitorFeed& monitor, Collaborators with,
           QObject* parent = nullptr);

    // A chat message as the client delivers it: the contact's account and the text.
    void IncomingMessage(const QString& contact, const QString& body);
    // One incoming chat message; held while the database is away.
    void txtPm(const QString& msisdn, const QString& pesan);
    // One booster row: not held, since the row itself waits. *taken is false when the database
    // was away before anything was written.
    void TakeRow(const QString& msisdn, const QString& pesan, bool* taken);
    bool IsIgnoredMessage(const QString& text) const;
    // By the ";"-separated phrases of an ignore list, in any letter case.
    static bool IsIgnoredMessage(const QString& text, const QString& ignoreList);
    // The terminal's own supplier accounts settle transactions; strangers do not, unless the
    // terminal accepts every contact.
    bool IsKnownSupplier(const QString& sender);

    static QString CleanText(const QString& body);
    static QString BareAccount(const QString& jid);

    // Replies held because the database could not be reached when they came.
    int HeldReplies() const { return held_.size(); }
    // At start-up: the replies an earlier run held on disk are taken again, in their order.
    void RestoreHeld();

  signals:
    // A message was stored in the inbox: the terminal is not idle.
    void MessageTaken();

  private:
    // Shows the message; the text as it is taken in.
    QString Shown(const QString& msisdn, const QString& pesan);
    // Everything after the message is shown; false when the database could not be reached
    // before anything was written.
    bool Take(const QString& msisdn, QString text);
    // False when the database was away and nothing was written: the reply is held.
    bool Settle(const QString& text);
    void Hold(const QString& msisdn, const QString& text);
    void TakeHeld();

    Context ctx_;
    Output& out_;
    MonitorFeed& monitor_;
    Collaborators w_;
    QList<ReplyJournal::Reply> held_;  // oldest first; the journal holds the same
    ReplyJournal journal_;
    QTimer heldTimer_;
};
