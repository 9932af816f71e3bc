#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include "store/Context.h"

class ChatSession;
class DispatchLoop;
class Intake;
class Lifecycle;

// State the window shows, named after the controls that show it, with one change signal. It
// follows the running terminal: the chat session's caption and status, the account values,
// the dispatch loop's activity and the idle counter; and it keeps the window's position.
class WindowState : public QObject {
    Q_OBJECT
  public:
    WindowState(Context ctx, ChatSession& chat, Lifecycle& life, DispatchLoop& dispatch,
                Intake& intake, QObject* parent = nullptr);

    QString Caption;  // window caption
    QString CmdLoginYM = QStringLiteral("Log In");
    int LoginYMImage = 1;  // status image: 1 resting, 2 activity
    int LoginYMBorder = 0;
    QString ID;          // chat account
    QString Pass;        // chat password (plain)
    QString LblTarget;   // main target
    QString LblTarget2;  // backup targets, ";"-separated
    QString lblServer;   // chat host, "NC" for the account's domain
    QString lblCounter = QStringLiteral("0:0:0:0");
    int idleCounter = 0;  // tenths shown in lblCounter; -1 restarts it
    QString StatusBar;
    QString ExtraCommand;         // "RLV-CMD#"N
    QString FailureKeywordsText;  // "Pintar2"N as typed
    bool chMerger = false;
    bool LoginInProgress = false;
    bool WindowShown = false;  // headless: no window position to save
    bool Minimized = false;
    bool Maximized = false;
    int MainLeft = 1000, MainTop = 1000, MainWidth = 5820, MainHeight = 5385;  // twips

    // Takes the account values and the session's state again; Changed() when any differs.
    void Refresh();

    void tmSendKeAne_Timer();
    // The status image rests again after a tick showed activity.
    void Timer3_Timer();
    // "h:m:s:t" of the idle counter.
    static QString CounterText(int c);

  signals:
    void Changed();

  private:
    template <typename T>
    bool Take(T& field, const T& value);
    void OnStarted();
    void LoadPosition();
    void SavePosition();

    Context ctx_;
    ChatSession& chat_;
    QTimer tmSendKeAne_, Timer3_;
};
