#include "store/Output.h"

#include <QVariant>

QVariant Output::SendBox(const QString& oID, const QString& strMessage) {
    emit Line(oID, strMessage);
    return {};
}

QString Output::LineText(const QString& oID, const QString& strMessage) {
    return oID + QStringLiteral(": ") + strMessage;
}

void Output::ShowMessageBlock(const QString& service, const QString& party,
                              const QString& reference, const QString& message, const QString& time,
                              int direction) {
    if (party.isEmpty()) return;
    MessageBlock block;
    block.direction = direction;
    const QString status = direction == 1   ? QStringLiteral("Message Send")
                           : direction == 2 ? QStringLiteral("Message Read")
                                            : QStringLiteral("USSD Read");
    block.lines = {
        {QStringLiteral("[SERVICE]"), service},
        {direction == 1 ? QStringLiteral("[DESTINATION]") : QStringLiteral("[SENDER]"), party},
        {QStringLiteral("[REFF]"), reference},
        {QStringLiteral("[MESSAGE]"), message},
        {QStringLiteral("[TIMESTAMP]"), time},
        {QStringLiteral("[STATUS]"), status}};
    emit Block(block);
}

QString Output::BlockText(const MessageBlock& block) {
    QString text;
    for (const auto& [label, value] : block.lines)
        text += label + QLatin1Char('\t') + value + QLatin1Char('\n');
    return text + QLatin1Char('\n');
}

void Output::MessageBox(const QString& title, const QString& text) {
    emit Box(title, text);
}
