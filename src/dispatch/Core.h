#pragma once

#include <QObject>
#include <QTimer>
#include <memory>

#include "dispatch/WindowState.h"
#include "store/Context.h"
#include "store/ProcessValues.h"

class ChatSession;
class Database;
class DispatchLoop;
class Intake;
class Lifecycle;
class MonitorSocket;
class Output;
class SettingsStore;
class UtilityComponent;
class WindowActions;
class YmQueue;
struct Workers;

// The running terminal: owns the database door, the utility component, the chat client, the
// monitor socket, the timers and the workers for the whole run. The window is a view of it;
// headless mode runs it alone.
class Core : public QObject {
    Q_OBJECT
  public:
    // home: the program folder (Setting.ini, opcode.ini, Log/, the booster program).
    explicit Core(const QString& home, QObject* parent = nullptr);
    ~Core() override;

    // Start-up with the host's command line. False when the program must end; ExitCode() says
    // how (0: "Reserved" or another module, non-zero: a start-up error, reported already).
    bool FormLoad(const QString& commandLine);
    // Shutdown in order; safe to call more than once.
    void FormUnload();
    int ExitCode() const { return exitCode_; }

    UtilityComponent& Util() { return *util_; }
    SettingsStore& Settings() { return *settings_; }
    Database& Db() { return *db_; }
    ProcessValues& Values() { return values_; }
    Context Ctx();
    WindowState& State() { return state_; }
    Output& Out() { return *out_; }
    MonitorSocket& Monitor() { return *monitor_; }
    // The workers on the shared database: queue, messages, lookups, prices and the books.
    Workers& Work() { return *workers_; }
    ChatSession& Chat() { return *chat_; }
    Intake& In() { return *intake_; }
    YmQueue& Ym() { return *ym_; }
    DispatchLoop& Dispatch() { return *dispatch_; }
    Lifecycle& Life() { return *life_; }
    WindowActions& Actions() { return *actions_; }

    // The terminal's own log ("Terminal #5").
    void Log(const QString& text);

  signals:
    // The program is to end (the host asked, or shutdown ran).
    void Finished(int exitCode);
    // Connected or booster started: the extra command is due.
    void ExtraCommandDue();

  private:
    friend class Lifecycle;

    int exitCode_ = 0;
    ProcessValues values_;
    WindowState state_;
    std::unique_ptr<SettingsStore> settings_;
    std::unique_ptr<UtilityComponent> util_;
    std::unique_ptr<Database> db_;
    std::unique_ptr<Output> out_;
    std::unique_ptr<MonitorSocket> monitor_;
    std::unique_ptr<Workers> workers_;
    std::unique_ptr<ChatSession> chat_;
    std::unique_ptr<Intake> intake_;
    std::unique_ptr<YmQueue> ym_;
    std::unique_ptr<DispatchLoop> dispatch_;
    std::unique_ptr<Lifecycle> life_;
    std::unique_ptr<WindowActions> actions_;
};
