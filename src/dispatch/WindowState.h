#pragma once

#include <QObject>
#include <QString>

// State the window shows, named after the controls that show it. The core changes it through
// Set(); the window redraws on Changed().
class WindowState : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;

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

    template <typename T>
    void Set(T& field, const T& value) {
        if (field == value) return;
        field = value;
        emit Changed();
    }

  signals:
    void Changed();
};
