#include "dispatch/Core.h"

#include "chat/ChatSession.h"
#include "chat/Intake.h"
#include "chat/MonitorSocket.h"
#include "chat/Output.h"
#include "chat/WindowActions.h"
#include "chat/YmQueue.h"
#include "dispatch/DispatchLoop.h"
#include "dispatch/Lifecycle.h"
#include "dispatch/Workers.h"
#include "store/Database.h"
#include "store/SettingsStore.h"
#include "store/UtilityComponent.h"

Core::Core(const QString& home, QObject* parent) : QObject(parent) {
    settings_ = std::make_unique<SettingsStore>();
    util_ = std::make_unique<UtilityComponent>(home, settings_.get());
    db_ = std::make_unique<Database>(util_.get());
    out_ = std::make_unique<Output>();
    monitor_ = std::make_unique<MonitorSocket>(*out_, *util_, values_);
    workers_ = std::make_unique<Workers>(Ctx(), *out_);
    connect(&workers_->ledger, &Ledger::MonitorRecord, monitor_.get(), &MonitorSocket::KirimData);
    connect(&workers_->lookups, &Lookups::MonitorRecord, monitor_.get(), &MonitorSocket::KirimData);
    chat_ = std::make_unique<ChatSession>(*this);
    intake_ = std::make_unique<Intake>(*this);
    ym_ = std::make_unique<YmQueue>(*this);
    dispatch_ = std::make_unique<DispatchLoop>(*this);
    life_ = std::make_unique<Lifecycle>(*this);
    actions_ = std::make_unique<WindowActions>(*this);
    connect(this, &Core::ExtraCommandDue, actions_.get(), &WindowActions::ImgExtraCommand_Click);
    // Message boxes also go to the terminal's log, so a headless run keeps them.
    connect(out_.get(), &Output::Box, this, [this](const QString& title, const QString& text) {
        Log(title + QLatin1Char(' ') + text);
    });
}

Core::~Core() = default;

Context Core::Ctx() {
    return Context{*db_, *util_, *settings_, values_};
}

bool Core::FormLoad(const QString& commandLine) {
    return life_->Form_Load(commandLine);
}

void Core::FormUnload() {
    life_->Form_Unload();
}

void Core::Log(const QString& text) {
    util_->WriteLog(
        values_.TerminalName.isEmpty() ? QStringLiteral("Terminal #0") : values_.TerminalName,
        text);
}
