#pragma once

#include <QString>

#include "store/Context.h"

// Chooses the terminal that sends a message to a reseller: a chat channel of the Hubvane
// module picked by the form of the address, or an SMS terminal for phone numbers; among the
// candidates an active terminal with nothing queued is preferred.
class clsAntriKecil {
  public:
    explicit clsAntriKecil(Context ctx) : ctx_(ctx) {}

    // The chosen terminal number as text, "0" on error.
    QString TSender(const QString& mNumber);

    QString AntrianTerkecil(const QString& modul, const QString& channel, const QString& mNumber);
    QString CariTerminal(const QString& modul, const QString& channel, const QString& mNumber);
    QString CariTerminalKhusus(const QString& mNumber);
    QString CekAntrian(const QString& terminal);
    bool TerminalAktif(const QString& terminal);

    // Module and channel code for a destination (already looked up and upper-cased).
    static std::pair<QString, QString> Channel(const QString& destination, bool senderCenterOn);

  private:
    Context ctx_;
};
