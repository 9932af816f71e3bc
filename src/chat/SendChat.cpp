#include "chat/SendChat.h"

#include "chat/ChatSession.h"
#include "chat/Output.h"
#include "dispatch/Core.h"
#include "store/UtilityComponent.h"

namespace {

QString ChatText(Core& core, const QString& message) {
    return core.Values().ReplaceDenomOn ? ShortenDenom(message) : message;
}

void ReportNotSent(Core& core, const QString& text, const QString& error) {
    core.Out().SendBox(QStringLiteral("SendChat"), text + QStringLiteral(", ") + error);
}

}  // namespace

bool SendChat(Core& core, const QString& message, const QString& target) {
    if (message.isEmpty() || target.isEmpty()) return false;
    const QString text = ChatText(core, message);
    QString error;
    if (core.Chat().Send(target, text, &error)) return true;
    ReportNotSent(core, text, error);
    return false;
}

bool ChatReady(Core& core, const QString& message) {
    if (core.Chat().IsOnline()) return true;
    ReportNotSent(core, ChatText(core, message), QStringLiteral("not connected"));
    return false;
}

QString ShortenDenom(const QString& text) {
    const QString match = UtilityComponent::RegexFirstMatch(QStringLiteral("^[1-9]{1,3}0+"), text);
    QString shortened = match;
    shortened.remove(QStringLiteral("000"));
    return shortened + text.mid(match.size());
}
