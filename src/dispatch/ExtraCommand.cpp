#include "dispatch/ExtraCommand.h"

#include "chat/ChatSession.h"
#include "chat/YmQueue.h"
#include "store/Output.h"
#include "store/SettingsKeys.h"
#include "store/SettingsStore.h"
#include "store/Stamps.h"
#include "store/TerminalList.h"

ExtraCommand::ExtraCommand(Context ctx, Output& out, ChatSession& chat, YmQueue& ym)
    : ctx_(ctx), out_(out), chat_(chat), ym_(ym) {}

void ExtraCommand::ImgExtraCommand_Click() {
    const ProcessValues& v = ctx_.values;
    try {
        if (v.OffCekSaldo == 0) {
            out_.SendBox(
                QStringLiteral("Service"),
                QStringLiteral("Extra command tidak di Execute, Karena tidak diaktivkan, ") +
                    TimeNow());
            return;
        }
        if (v.BoosterMode == 1) {
            out_.SendBox(v.ID, v.ExtraCommand + QStringLiteral(" -> ") + v.LblTarget);
            ym_.InsertYmQueue(v.LblTarget, v.ExtraCommand, QStringLiteral("GetQueue"),
                              v.TerminalNo);
            return;
        }
        if (v.chMerger) {
            // Each merged terminal's own command to its own supplier; one without a supplier
            // has nobody to ask.
            for (const QString& n : MergedTerminals(v.TerminalList)) {
                const QString target = ctx_.settings.GetSetting(
                    Keys::kAppHbvGate, Keys::kSecSetting, QString::fromUtf8(Keys::kServerHbv) + n);
                const QString command = ctx_.settings.GetSetting(
                    Keys::kAppNxEngine2007, Keys::kSecSetting, QString::fromUtf8(Keys::kRlvCmd) + n,
                    QString::fromUtf8(Keys::kRlvCmdDefault));
                if (target.isEmpty() || command.isEmpty()) continue;
                chat_.SendChat(command, target);
                out_.SendBox(target, command);
            }
            return;
        }
        chat_.SendChat(v.ExtraCommand, v.LblTarget);
        out_.SendBox(v.ID, v.ExtraCommand + QStringLiteral(" -> ") + v.LblTarget);
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("ImgExtraCommand_Click "), e);
    }
}
