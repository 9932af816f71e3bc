#include "controls/WindowActions.h"

#include "chat/ChatSession.h"
#include "chat/PasswordScramble.h"
#include "controls/WindowState.h"
#include "dispatch/ExtraCommand.h"
#include "dispatch/Lifecycle.h"
#include "store/Convert.h"
#include "store/Errors.h"
#include "store/Output.h"
#include "store/SettingsKeys.h"
#include "store/SettingsStore.h"

namespace {
// The access code that guards the merger switch.
const QString kMergerCode = QStringLiteral("qorvaten");
// Draws after which the target stays what it is, even when it is the current one.
constexpr int kMaxDraws = 6;
}  // namespace

WindowActions::WindowActions(Context ctx, ProcessValues& values, Output& out, Collaborators with,
                             QObject* parent)
    : QObject(parent), ctx_(ctx), values_(values), out_(out), w_(with) {
    connect(&w_.chat, &ChatSession::ContactsChanged, this, &WindowActions::ContactsChanged);
    connect(&w_.life, &Lifecycle::Finished, this, &WindowActions::Finished);
}

QString WindowActions::Setting(const char* stem, const char* defaultValue) const {
    return ctx_.settings.GetSetting(Keys::kAppHbvGate, Keys::kSecSetting,
                                    Keys::PerTerminal(stem, ctx_.values.TerminalNo),
                                    QString::fromUtf8(defaultValue));
}

bool WindowActions::Click(const QString& routine, const std::function<void()>& work) {
    try {
        work();
        return true;
    } catch (const std::exception& e) {
        ctx_.LogError(routine + QLatin1Char(' '), e);
        out_.MessageBox(routine, Describe(e));
    }
    return false;
}

void WindowActions::CmdLoginYM_Click() {
    w_.chat.CmdLoginYM_Click();
}

void WindowActions::LoginYM_Click() {
    w_.chat.LoginYM_Click();
}

void WindowActions::Close() {
    w_.life.Form_Unload();
}

void WindowActions::ImgExtraCommand_Click() {
    w_.extra.ImgExtraCommand_Click();
}

void WindowActions::PickRandomTarget() {
    const ProcessValues& v = ctx_.values;
    if (v.LblTarget2.isEmpty()) return;
    const QStringList targets = v.LblTarget2.split(QLatin1Char(';'));
    int index = 0;
    for (int draw = 0; draw < kMaxDraws && targets[index] == v.LblTarget; ++draw)
        index = ctx_.util.RandomIndex(static_cast<int>(targets.size()) - 1);
    values_.SetMainTarget(targets[index]);
    w_.state.Refresh();
}

QString WindowActions::LogFile() const {
    return ctx_.util.LogFolder() + QLatin1Char('/') + ctx_.values.TerminalName +
           QStringLiteral(".log");
}

WindowActions::Account WindowActions::imgHeader_DblClick() {
    Account a;
    a.user = Setting(Keys::kUidHbv, "");
    a.pass = PasswordScramble::UnscrambleText(Setting(Keys::kPwdHbv, ""), Keys::kPasswordKey);
    a.target = Setting(Keys::kServerHbv, "");
    a.target2 = Setting(Keys::kServerHbv2, "");
    a.ignore = Setting(Keys::kMsgIgnore, Keys::kMsgIgnoreDefault);
    a.terminalName = ctx_.values.TerminalName;
    values_.SetIgnoreList(a.ignore);
    return a;
}

void WindowActions::SaveChatHost(const QString& host) {
    ctx_.settings.SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting,
                              Keys::PerTerminal(Keys::kJHostname, ctx_.values.TerminalNo), host);
    values_.SetChatHost(host);
    w_.state.Refresh();
}

void WindowActions::SaveChatPort(const QString& port) {
    // The running session keeps its port until the next start.
    ctx_.settings.SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting,
                              Keys::PerTerminal(Keys::kJPort, ctx_.values.TerminalNo), port);
}

QString WindowActions::StoredChatPort() const {
    return Setting(Keys::kJPort, Keys::kJPortDefault);
}

WindowActions::Merger WindowActions::chMerger_Click(bool ticked, const QString& code) {
    if (ticked && code.isNull()) {
        out_.MessageBox(QString(), QStringLiteral("Setting 1 Merger Semua RLV Batal"));
        return Merger::Cancelled;
    }
    if (ticked && code != kMergerCode) {
        out_.MessageBox(QStringLiteral("Setting Batal"),
                        QStringLiteral("Setting Merger RLV Tidak Terjadi"));
        return Merger::WrongCode;
    }
    ctx_.settings.SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, Keys::kYMerger,
                              ticked ? QStringLiteral("1") : QStringLiteral("0"));
    out_.MessageBox(QStringLiteral("Informasi"),
                    QStringLiteral("Silahkan Restart RLV ini untuk Merasakan Perubahan"));
    return Merger::Saved;
}

WindowActions::MenuChecks WindowActions::StoredMenuChecks() const {
    MenuChecks m;
    m.autoLogin = Convert::ToBool(Setting(Keys::kAutoLogin, Keys::kAutoLoginDefault));
    m.booster = Convert::ToBool(Setting(Keys::kYConsole, Keys::kYConsoleDefault));
    m.trxId = Convert::ToBool(Setting(Keys::kMnTrxId, Keys::kMnTrxIdDefault));
    return m;
}

bool WindowActions::cmd_Login_Click(const QString& user, const QString& pass, const QString& target,
                                    const QString& target2, const QString& ignore) {
    const int n = ctx_.values.TerminalNo;
    if (!user.contains(QLatin1Char('@'))) {
        out_.MessageBox(QStringLiteral("Informasi"),
                        QStringLiteral("Input Username salah, Contoh: terminal5@localhost"));
        return false;
    }
    // A store that cannot be written raises: the frame stays open and the click reports it.
    const SettingsStore& st = ctx_.settings;
    st.SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, Keys::PerTerminal(Keys::kUidHbv, n), user);
    st.SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, Keys::PerTerminal(Keys::kPwdHbv, n),
                   PasswordScramble::ScrambleText(pass, Keys::kPasswordKey));
    st.SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, Keys::PerTerminal(Keys::kServerHbv, n),
                   target);
    st.SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, Keys::PerTerminal(Keys::kServerHbv2, n),
                   target2);
    st.SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, Keys::PerTerminal(Keys::kMsgIgnore, n),
                   ignore);
    // The running session keeps its password until the next start.
    values_.SetAccount(user, target, target2);
    w_.state.Refresh();
    out_.SendBox(QStringLiteral("Perubahan Setting"),
                 QStringLiteral("Close dan Open Lagi RLV Untuk Merasakan Perubahannya"));
    return true;
}

bool WindowActions::Toggle(const char* stem, bool current) {
    const bool next = !current;
    ctx_.settings.SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting,
                              Keys::PerTerminal(stem, ctx_.values.TerminalNo),
                              next ? QStringLiteral("1") : QStringLiteral("0"));
    return next;
}

bool WindowActions::mnAutoLogin_Click() {
    const bool on = Toggle(Keys::kAutoLogin, ctx_.values.AutoLoginOn == 1);
    values_.SetAutoLogin(on);
    return on;
}

bool WindowActions::mnBoster_Click() {
    const bool on = Toggle(Keys::kYConsole, ctx_.values.BoosterMode == 1);
    values_.SetBoosterMode(on);
    return on;
}

bool WindowActions::mnTrxID_Click() {
    return Toggle(Keys::kMnTrxId,
                  Setting(Keys::kMnTrxId, Keys::kMnTrxIdDefault) == QLatin1String("1"));
}

QList<ChatSession::Contact> WindowActions::Contacts() const {
    return w_.chat.Contacts();
}

void WindowActions::AddContact(const QString& id) {
    w_.chat.AddContact(id);
}

void WindowActions::RemoveContact(const QString& id) {
    w_.chat.RemoveContact(id);
}
