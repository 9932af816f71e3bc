#include "chat/SendChat.h"

#include "chat/ChatSession.h"
#include "chat/Output.h"
#include "dispatch/Core.h"
#include "store/UtilityComponent.h"

bool SendChat(Core& core, const QString& message, const QString& target) {
    if (message.isEmpty() || target.isEmpty()) return false;
    const QString text = core.Values().ReplaceDenomOn ? ShortenDenom(message) : message;
    QString error;
    if (core.Chat().Send(target, text, &error)) return true;
    core.Out().SendBox(QStringLiteral("SendChat"), text + QStringLiteral(", ") + error);
    return false;
}

QString ShortenDenom(const QString& text) {
    const QString match = UtilityComponent::RegexFirstMatch(QStringLiteral("^[1-9]{1,3}0+"), text);
    QString shortened = match;
    shortened.remove(QStringLiteral("000"));
    return shortened + text.mid(match.size());
}
