#pragma once

#include <QString>

class Core;

// Sends one chat message to a supplier, with the leading nominal shortened when the terminal
// asks for it. False when nothing was handed to the server (the reason is logged, except for
// an empty message or target, which is not an error).
bool SendChat(Core& core, const QString& message, const QString& target);

// Whether the chat client can take a message now; when it cannot, the log view says why, in
// SendChat's own line.
bool ChatReady(Core& core, const QString& message);

// "10000.0812.1234" -> "10.0812.1234": the leading nominal loses its groups of three zeros.
QString ShortenDenom(const QString& text);
