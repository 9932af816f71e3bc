#pragma once

#include <QObject>
#include <QTimer>

#include "store/Context.h"

class ChatSession;
class DispatchLoop;
class Lookups;
class MessageTables;
class MonitorSocket;
class Output;
class ProcessValuesLoader;
class YmQueue;

// Start-up and shutdown of one terminal instance: the host's line, the database, the process
// values, the chat login and the dispatch loop in order; the closing check every second; and
// the way out, which ends with Finished(exitCode).
class Lifecycle : public QObject {
    Q_OBJECT
  public:
    struct Collaborators {
        ProcessValuesLoader& loader;
        MonitorSocket& monitor;
        ChatSession& chat;
        YmQueue& ym;
        DispatchLoop& dispatch;
        MessageTables& messages;
        Lookups& lookups;
    };
    Lifecycle(Context ctx, Output& out, Collaborators with, QObject* parent = nullptr);

    // False when the program must end; ExitCode() says how (0: "Reserved" or another module,
    // non-zero: a start-up error, reported already).
    bool Form_Load(const QString& commandLine);
    // Shutdown in order; safe to call more than once.
    void Form_Unload();
    int ExitCode() const { return exitCode_; }

    void CatatSetLog(const QString& module, const QString& value, qint16 node);
    QString CekTutup();
    void tmClose_Timer();

  signals:
    // The settings are loaded and the loops run.
    void Started();
    // Shutdown begins: the last moment to store what the window shows.
    void Unloading();
    // The program is to end.
    void Finished(int exitCode);

  private:
    void End(int exitCode);

    Context ctx_;
    Output& out_;
    Collaborators w_;
    QTimer tmClose_;
    QTimer closePhase_;  // starts tmClose_ at the terminal's own moment of the second
    int exitCode_ = 0;
    bool unloaded_ = false;
};
