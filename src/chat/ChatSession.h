#pragma once

#include <QXmppClient.h>

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QQueue>
#include <QTimer>

#include "store/Context.h"

class Lookups;
class MessageTables;
class Output;
class QXmppMessage;
class YmQueue;

// The terminal's chat account: login with the account's values, automatic re-login every five
// seconds after a disconnect, the merger guard, contacts, and the one place chat messages leave
// the process. In booster mode an outside program carries the chat instead. It tells what
// happened through its signals; what follows is not its business.
class ChatSession : public QObject {
    Q_OBJECT
  public:
    ChatSession(Context ctx, Output& out, MessageTables& messages, Lookups& lookups, YmQueue& ym,
                QObject* parent = nullptr);

    void LogI();
    // The login button: logs in, or out. A log-out the program makes itself (byHand false)
    // arms the automatic re-login, as a disconnect does.
    void CmdLoginYM_Click(bool byHand = true);
    void LoginYM_Click();
    bool MergerLoginBlocked();
    void tmAutoLogin_Timer();
    void tmstartLogin_Timer();
    void StartLoginTimer() { tmstartLogin_.start(); }
    QTimer& tmAutoLogin() { return tmAutoLogin_; }

    // One entry of the contact list: online when any of its resources is available; asked
    // while the request to see its presence waits for the contact's answer.
    struct Contact {
        QString id;
        bool online = false;
        bool asked = false;
    };
    // Contact menu and the contact list, sorted by account. Adding a contact also asks for its
    // presence, so that the list can show when it is online.
    QList<Contact> Contacts() const;
    void AddContact(const QString& id);
    void RemoveContact(const QString& id);

    // Sends one chat message to a supplier, with the leading nominal shortened when the
    // terminal asks for it. False when nothing was handed to the server (the reason is in the
    // log view, except for an empty message or target, which is not an error).
    bool SendChat(const QString& message, const QString& target);
    // Whether the client can take a message now; when it cannot, the log view says why, in
    // SendChat's own line.
    bool ChatReady(const QString& message);
    // "10000.0812.1234" -> "10.0812.1234": the leading nominal loses its groups of three zeros.
    static QString ShortenDenom(const QString& text);

    bool IsOnline() const { return client_->isConnected(); }
    // Whether the server acknowledges what this session sends (stream management).
    bool StreamManaged() const;
    // A login whose stream, encryption or authentication has not completed by then is ended
    // and left to the re-login: 30 s, or RELVANE_LOGIN_TIMEOUT_MS.
    static int LoginTimeoutMs();
    // After the server said another session took the account's resource, re-login waits this
    // long instead of five seconds.
    static constexpr int kConflictRetryMs = 60000;
    void Disconnect();

    // The login button's caption: "Log Out" while the account (or the booster) is in use.
    const QString& CmdLoginYM() const { return CmdLoginYM_; }
    bool LoggedIn() const { return CmdLoginYM_ == QLatin1String("Log Out"); }
    bool LoginInProgress() const { return LoginInProgress_; }
    const QString& StatusBar() const { return StatusBar_; }
    int LoginYMBorder() const { return LoginYMBorder_; }

  signals:
    void Connected();
    void Disconnected();
    // A chat message from a contact: the account without its resource, and the text.
    void MessageReceived(const QString& from, const QString& body);
    // Connected, or the booster started: the extra command is due.
    void ExtraCommandDue();
    void ContactsChanged();
    // The caption, the status text, the progress flag or the border changed.
    void StateChanged();

  private:
    void OnConnected();
    void OnDisconnected();
    void OnStateChange(QXmppClient::State state);
    void OnError(QXmppClient::Error error);
    void OnMessage(const QXmppMessage& message);
    void OnAttemptTimeout();
    // Each login starts from a new client: nothing an earlier session left unacknowledged is
    // sent again, and nothing of its stream is resumed.
    void NewClient();
    // A message seen before: the same stanza again, or a stored copy of one taken live.
    bool SeenBefore(const QString& from, const QXmppMessage& message);
    void NoteBlockers(const QList<qint16>& active);
    bool Hand(const QString& target, const QString& message, QString* error);
    QString ChatText(const QString& message) const;
    void ReportNotSent(const QString& text, const QString& error);
    template <typename T>
    void Set(T& field, const T& value);

    Context ctx_;
    Output& out_;
    MessageTables& messages_;
    Lookups& lookups_;
    YmQueue& ym_;
    QXmppClient* client_ = nullptr;  // a child; replaced at each login
    QTimer tmAutoLogin_;
    QTimer tmstartLogin_;
    QTimer attemptTimer_;
    bool attempt_ = false;       // a connect was started and has not ended yet
    bool conflict_ = false;      // the current session was thrown off by another of the account
    bool conflictSaid_ = false;  // the log says so already
    QString blockers_;           // merged terminals whose rows blocked the last login
    // Messages taken lately: key (sender and stanza id, or sender and text) -> arrival.
    QHash<QString, QDateTime> seen_;
    QQueue<QString> seenOrder_;
    QXmppClient::State lastState_ = QXmppClient::DisconnectedState;
    QString CmdLoginYM_ = QStringLiteral("Log In");
    bool LoginInProgress_ = false;
    QString StatusBar_;
    int LoginYMBorder_ = 0;
};
