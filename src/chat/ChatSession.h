#pragma once

#include <QXmppClient.h>

#include <QObject>
#include <QTimer>

class Core;
class QXmppMessage;

// The terminal's chat account: login with the values on the window, automatic re-login every
// five seconds after a disconnect, the merger guard, contacts, the account frame's save and
// the menu toggles. In booster mode an outside program carries the chat instead.
class ChatSession : public QObject {
    Q_OBJECT
  public:
    explicit ChatSession(Core& core, QObject* parent = nullptr);

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

    // Contact menu and the contact list.
    QStringList Contacts() const;
    void AddContact(const QString& id);
    void RemoveContact(const QString& id);

    // Account frame "Simpan": false (and a message box) when the user ID has no "@".
    bool cmd_Login_Click(const QString& user, const QString& pass, const QString& target,
                         const QString& target2, const QString& ignore);
    // Menu toggles of "AUTOLOGIN #", "yConsole #" and "mnTrxID #"; answer the new state.
    bool mnAutoLogin_Click();
    bool mnBoster_Click();
    bool mnTrxID_Click();

    // Hands one chat message to the server; false when the client cannot (not connected or
    // the stream refused it).
    bool Send(const QString& target, const QString& message, QString* error);
    bool IsOnline() const { return client_.isConnected(); }
    void Disconnect();

  signals:
    void ContactsChanged();

  private:
    void OnConnected();
    void OnDisconnected();
    void OnStateChange(QXmppClient::State state);
    void OnError(QXmppClient::Error error);
    void OnMessage(const QXmppMessage& message);
    bool Toggle(const char* stem, bool current);

    Core& core_;
    QXmppClient client_;
    QTimer tmAutoLogin_;
    QTimer tmstartLogin_;
    bool attempt_ = false;  // a connect was started and has not ended yet
    QXmppClient::State lastState_ = QXmppClient::DisconnectedState;
};
