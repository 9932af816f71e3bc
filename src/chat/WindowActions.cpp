#include "chat/WindowActions.h"

#include "chat/Output.h"
#include "chat/PasswordScramble.h"
#include "chat/SendChat.h"
#include "chat/YmQueue.h"
#include "dispatch/Core.h"
#include "store/Convert.h"
#include "store/SettingsKeys.h"
#include "store/SettingsStore.h"
#include "store/Stamps.h"
#include "store/TerminalList.h"

namespace {
// The access code that guards the merger switch.
const QString kMergerCode = QStringLiteral("qorvaten");
// Draws after which the target stays what it is, even when it is the current one.
constexpr int kMaxDraws = 6;
}  // namespace

WindowActions::WindowActions(Core& core, QObject* parent) : QObject(parent), core_(core) {}

QString WindowActions::Setting(const char* stem, const char* defaultValue) const {
    return core_.Settings().GetSetting(Keys::kAppHbvGate, Keys::kSecSetting,
                                       Keys::PerTerminal(stem, core_.Values().TerminalNo),
                                       QString::fromUtf8(defaultValue));
}

void WindowActions::ImgExtraCommand_Click() {
    WindowState& s = core_.State();
    const ProcessValues& v = core_.Values();
    Output& out = core_.Out();
    try {
        if (v.OffCekSaldo == 0) {
            out.SendBox(
                QStringLiteral("Service"),
                QStringLiteral("Extra command tidak di Execute, Karena tidak diaktivkan, ") +
                    TimeNow());
            return;
        }
        if (v.BoosterMode == 1) {
            out.SendBox(s.ID, s.ExtraCommand + QStringLiteral(" -> ") + s.LblTarget);
            core_.Ym().InsertYmQueue(s.LblTarget, s.ExtraCommand, QStringLiteral("GetQueue"),
                                     v.TerminalNo);
            return;
        }
        if (s.chMerger) {
            // Each merged terminal's own command to its own supplier; one without a supplier
            // has nobody to ask.
            for (const QString& n : MergedTerminals(v.TerminalList)) {
                const QString target = core_.Settings().GetSetting(
                    Keys::kAppHbvGate, Keys::kSecSetting, QString::fromUtf8(Keys::kServerHbv) + n);
                const QString command = core_.Settings().GetSetting(
                    Keys::kAppNxEngine2007, Keys::kSecSetting, QString::fromUtf8(Keys::kRlvCmd) + n,
                    QString::fromUtf8(Keys::kRlvCmdDefault));
                if (target.isEmpty() || command.isEmpty()) continue;
                SendChat(core_, command, target);
                out.SendBox(target, command);
            }
            return;
        }
        SendChat(core_, s.ExtraCommand, s.LblTarget);
        out.SendBox(s.ID, s.ExtraCommand + QStringLiteral(" -> ") + s.LblTarget);
    } catch (const std::exception& e) {
        core_.Log(QStringLiteral("ImgExtraCommand_Click ") + Describe(e));
    }
}

void WindowActions::PickRandomTarget() {
    WindowState& s = core_.State();
    if (s.LblTarget2.isEmpty()) return;
    const QStringList targets = s.LblTarget2.split(QLatin1Char(';'));
    int index = 0;
    for (int draw = 0; draw < kMaxDraws && targets[index] == s.LblTarget; ++draw)
        index = core_.Util().RandomIndex(1, static_cast<int>(targets.size()) - 1, 0);
    s.Set(s.LblTarget, targets[index]);
}

QString WindowActions::LogFile() const {
    return core_.Util().LogFolder() + QLatin1Char('/') + core_.Values().TerminalName +
           QStringLiteral(".log");
}

WindowActions::Account WindowActions::imgHeader_DblClick() {
    Account a;
    a.user = Setting(Keys::kUidHbv, "");
    a.pass = PasswordScramble::UnscrambleText(Setting(Keys::kPwdHbv, ""), Keys::kPasswordKey);
    a.target = Setting(Keys::kServerHbv, "");
    a.target2 = Setting(Keys::kServerHbv2, "");
    a.ignore = Setting(Keys::kMsgIgnore, Keys::kMsgIgnoreDefault);
    core_.Values().IgnoreList = a.ignore;
    return a;
}

void WindowActions::SaveChatHost(const QString& host) {
    core_.Settings().SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting,
                                 Keys::PerTerminal(Keys::kJHostname, core_.Values().TerminalNo),
                                 host);
    WindowState& s = core_.State();
    s.Set(s.lblServer, host);
}

void WindowActions::SaveChatPort(const QString& port) {
    // The running session keeps its port until the next start.
    core_.Settings().SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting,
                                 Keys::PerTerminal(Keys::kJPort, core_.Values().TerminalNo), port);
}

QString WindowActions::StoredChatPort() const {
    return Setting(Keys::kJPort, Keys::kJPortDefault);
}

WindowActions::Merger WindowActions::chMerger_Click(bool ticked, const QString& code) {
    if (ticked && code.isNull()) {
        core_.Out().MessageBox(QString(), QStringLiteral("Setting 1 Merger Semua RLV Batal"));
        return Merger::Cancelled;
    }
    if (ticked && code != kMergerCode) {
        core_.Out().MessageBox(QStringLiteral("Setting Batal"),
                               QStringLiteral("Setting Merger RLV Tidak Terjadi"));
        return Merger::WrongCode;
    }
    core_.Settings().SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, Keys::kYMerger,
                                 ticked ? QStringLiteral("1") : QStringLiteral("0"));
    core_.Out().MessageBox(QStringLiteral("Informasi"),
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
