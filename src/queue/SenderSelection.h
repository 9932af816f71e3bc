#pragma once

#include <QString>

#include "store/Context.h"

class JobQueue;

// Chooses the terminal that sends a message to a reseller: a chat channel of the Hubvane
// module picked by the form of the address, or an SMS terminal for phone numbers; among the
// candidates an active terminal with nothing queued is preferred.
class SenderSelection {
  public:
    SenderSelection(Context ctx, JobQueue& jobs) : ctx_(ctx), jobs_(jobs) {}

    // The chosen terminal number as text, "0" on error.
    QString TSender(const QString& mNumber);

    QString AntrianTerkecil(const QString& modul, const QString& channel, const QString& mNumber);
    QString CariTerminal(const QString& modul, const QString& channel, const QString& mNumber);
    QString CariTerminalKhusus(const QString& mNumber);
    bool TerminalAktif(const QString& terminal);

    // Module and channel code for a destination (already looked up and upper-cased).
    static std::pair<QString, QString> Channel(const QString& destination, bool senderCenterOn);

  private:
    Context ctx_;
    JobQueue& jobs_;
};
