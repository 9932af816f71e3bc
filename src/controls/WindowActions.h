#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

#include "chat/ChatSession.h"
#include "store/Context.h"

class ExtraCommand;
class Lifecycle;
class Output;
class WindowState;

// What the window's clicks do, without widgets, so that tests drive them headless: the login
// buttons, the extra command, picking another target, the log file, the account frame, the
// chat host and port, the merger switch, the menu's switches, the contacts and closing.
class WindowActions : public QObject {
    Q_OBJECT
  public:
    struct Collaborators {
        WindowState& state;
        ChatSession& chat;
        Lifecycle& life;
        ExtraCommand& extra;
    };
    WindowActions(Context ctx, ProcessValues& values, Output& out, Collaborators with,
                  QObject* parent = nullptr);

    // Runs one click of the window. An error it raises is logged under the routine's name and
    // shown in a message box, and the terminal goes on; false when the click failed.
    bool Click(const QString& routine, const std::function<void()>& work);

    void CmdLoginYM_Click();
    void LoginYM_Click();
    // Sends the extra command to the supplier.
    void ImgExtraCommand_Click();
    // Another backup target as the main target (it may stay the same).
    void PickRandomTarget();
    // The terminal's own log file.
    QString LogFile() const;
    // The window is closed: the terminal shuts down.
    void Close();

    struct Account {
        QString user, pass, target, target2, ignore;
        QString terminalName;
    };
    // The account frame's fields from the store; the ignore list takes effect at once.
    Account imgHeader_DblClick();
    // Account frame "Simpan": false (and a message box) when the user ID has no "@".
    bool cmd_Login_Click(const QString& user, const QString& pass, const QString& target,
                         const QString& target2, const QString& ignore);

    // The chat host ("NC": the account's own domain) and port, saved as typed.
    void SaveChatHost(const QString& host);
    void SaveChatPort(const QString& port);
    QString StoredChatPort() const;

    enum class Merger { Saved, Cancelled, WrongCode };
    // The merger switch; switching it on needs the access code (cancelled: null code).
    Merger chMerger_Click(bool ticked, const QString& code);

    // Check marks of the log view's menu, from the stored switches.
    struct MenuChecks {
        bool autoLogin = true, booster = false, trxId = false;
    };
    MenuChecks StoredMenuChecks() const;
    // Menu toggles of "AUTOLOGIN #", "yConsole #" and "mnTrxID #"; answer the new state.
    bool mnAutoLogin_Click();
    bool mnBoster_Click();
    bool mnTrxID_Click();

    // Contact menu and the contact list: adding a contact also asks for its presence.
    QList<ChatSession::Contact> Contacts() const;
    void AddContact(const QString& id);
    void RemoveContact(const QString& id);

  signals:
    void ContactsChanged();
    // The terminal has ended: the window goes.
    void Finished();

  private:
    QString Setting(const char* stem, const char* defaultValue) const;
    bool Toggle(const char* stem, bool current);

    Context ctx_;
    ProcessValues& values_;
    Output& out_;
    Collaborators w_;
};
