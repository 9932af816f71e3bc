#pragma once

#include <QObject>
#include <memory>

#include "store/Context.h"
#include "store/ProcessValues.h"

class ChatSession;
class Database;
class DispatchLoop;
class ExtraCommand;
class Intake;
class JobQueue;
class Lifecycle;
class Lookups;
class MessageTables;
class MonitorSocket;
class Output;
class ProcessValuesLoader;
class ReplyClassifier;
class SettingsStore;
class UtilityComponent;
class WaitingRecord;
class YmQueue;
struct Workers;

// The running terminal: owns the database door, the utility component, the chat client, the
// monitor socket, the timers and the workers for the whole run, and connects them. Reading the
// constructor tells the whole flow. The window is a view of it; headless mode runs it alone.
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
    int ExitCode() const;

    // The parts, for the program's entry point, the window's controls and tests.
    UtilityComponent& Util() { return *util_; }
    SettingsStore& Settings() { return *settings_; }
    Database& Db() { return *db_; }
    ProcessValues& Values() { return values_; }
    Context Ctx();
    Output& Out() { return *out_; }
    MonitorSocket& Monitor() { return *monitor_; }
    ChatSession& Chat() { return *chat_; }
    Intake& In() { return *intake_; }
    YmQueue& Ym() { return *ym_; }
    DispatchLoop& Dispatch() { return *dispatch_; }
    Lifecycle& Life() { return *life_; }
    ExtraCommand& Extra() { return *extra_; }
    Lookups& SharedLookups();
    ReplyClassifier& Replies();
    JobQueue& Jobs();
    MessageTables& Messages();
    WaitingRecord& Waiting();

  signals:
    // The program is to end (the host asked, or shutdown ran).
    void Finished(int exitCode);

  private:
    ProcessValues values_;
    std::unique_ptr<SettingsStore> settings_;
    std::unique_ptr<UtilityComponent> util_;
    std::unique_ptr<Database> db_;
    std::unique_ptr<Output> out_;
    std::unique_ptr<MonitorSocket> monitor_;
    std::unique_ptr<Workers> workers_;
    std::unique_ptr<ProcessValuesLoader> loader_;
    std::unique_ptr<YmQueue> ym_;
    std::unique_ptr<ChatSession> chat_;
    std::unique_ptr<ExtraCommand> extra_;
    std::unique_ptr<Intake> intake_;
    std::unique_ptr<DispatchLoop> dispatch_;
    std::unique_ptr<Lifecycle> life_;
};
