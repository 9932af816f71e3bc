#include "dispatch/Core.h"

#include "chat/ChatSession.h"
#include "chat/MonitorSocket.h"
#include "chat/YmQueue.h"
#include "dispatch/DispatchLoop.h"
#include "dispatch/ExtraCommand.h"
#include "dispatch/Intake.h"
#include "dispatch/Lifecycle.h"
#include "dispatch/Workers.h"
#include "store/Database.h"
#include "store/Output.h"
#include "store/ProcessValuesLoader.h"
#include "store/SettingsStore.h"
#include "store/UtilityComponent.h"

Core::Core(const QString& home, QObject* parent) : QObject(parent) {
    settings_ = std::make_unique<SettingsStore>();
    util_ = std::make_unique<UtilityComponent>(home, settings_.get());
    db_ = std::make_unique<Database>(util_.get());
    out_ = std::make_unique<Output>();
    monitor_ = std::make_unique<MonitorSocket>(*out_, *util_, values_);
    workers_ = std::make_unique<Workers>(Ctx(), *out_);
    Workers& w = *workers_;
    loader_ = std::make_unique<ProcessValuesLoader>(values_, *settings_, *util_, w.lookups, *out_);
    ym_ = std::make_unique<YmQueue>(Ctx(), *out_);
    chat_ = std::make_unique<ChatSession>(Ctx(), *out_, w.messages, w.lookups, *ym_);
    extra_ = std::make_unique<ExtraCommand>(Ctx(), *out_, *chat_, *ym_);
    intake_ = std::make_unique<Intake>(
        Ctx(), *out_, *monitor_,
        Intake::Collaborators{w.lookups, w.messages, w.settlement, w.promo});
    dispatch_ = std::make_unique<DispatchLoop>(
        Ctx(), *out_, *monitor_, *chat_, *ym_,
        DispatchLoop::Collaborators{w.jobs, w.messages, w.waiting, w.guards});
    life_ =
        std::make_unique<Lifecycle>(Ctx(), *out_,
                                    Lifecycle::Collaborators{*loader_, *monitor_, *chat_, *ym_,
                                                             *dispatch_, w.messages, w.lookups});

    // The books and the lookups report to the monitor.
    connect(&w.ledger, &Ledger::MonitorRecord, monitor_.get(), &MonitorSocket::KirimData);
    connect(&w.lookups, &Lookups::MonitorRecord, monitor_.get(), &MonitorSocket::KirimData);
    // A supplier's message, by chat or through the booster's mailbox, goes to the intake,
    // which settles it.
    connect(chat_.get(), &ChatSession::MessageReceived, intake_.get(), &Intake::IncomingMessage);
    connect(ym_.get(), &YmQueue::RowReceived, intake_.get(), &Intake::TakeRow);
    // Online (or the booster started): the extra command goes to the supplier.
    connect(chat_.get(), &ChatSession::ExtraCommandDue, this,
            [this] { extra_->ImgExtraCommand_Click(); });
    connect(life_.get(), &Lifecycle::Finished, this, &Core::Finished);
    // Message boxes also go to the terminal's log, so a headless run keeps them.
    connect(out_.get(), &Output::Box, this, [this](const QString& title, const QString& text) {
        Ctx().Log(title + QLatin1Char(' ') + text);
    });
}

Core::~Core() = default;

Context Core::Ctx() {
    return Context{*db_, *util_, *settings_, values_};
}

bool Core::FormLoad(const QString& commandLine) {
    if (!life_->Form_Load(commandLine)) return false;
    intake_->RestoreHeld();
    return true;
}

void Core::FormUnload() {
    life_->Form_Unload();
}

int Core::ExitCode() const {
    return life_->ExitCode();
}

Lookups& Core::SharedLookups() {
    return workers_->lookups;
}

ReplyClassifier& Core::Replies() {
    return workers_->classifier;
}

JobQueue& Core::Jobs() {
    return workers_->jobs;
}

MessageTables& Core::Messages() {
    return workers_->messages;
}

WaitingRecord& Core::Waiting() {
    return workers_->waiting;
}
