#pragma once

#include <QString>

#include "store/Context.h"
#include "store/Database.h"

class Ledger;
class Lookups;
class MessageTables;

// The texts sent besides the settlement reply: the promo message to the customer after a
// success, and the supplier messages the administrator's rules ask for (or the product
// switches those rules make on this terminal).
class PromoAndNotices {
  public:
    PromoAndNotices(Context ctx, Lookups& lookups, MessageTables& messages, Ledger& ledger)
        : ctx_(ctx), lookups_(lookups), messages_(messages), ledger_(ledger) {}

    // After a success: the reseller's personal promo (charged per message), else the general
    // promo for resellers marked manual. Failures are logged; the settlement goes on.
    // resellerLog: the reseller's activity row as the caller read it (pesan_promo and biaya
    // among its columns); without it the promo is read here.
    void FiturPromo(const QString& tujuan, const QString& namaProduk, const QString& kodeReseller,
                    const QString& pesan, const QString& terminal, const QString& hpReseller,
                    const DbResult* resellerLog = nullptr);
    // "text<[:]>fee" of the reseller's personal promo; "OFF" when the reseller has none.
    QString GetPesanPromo(const QString& kodeReseller, const DbResult* resellerLog = nullptr);
    // The address captured for a destination's bill; "NC" when none.
    QString GetTrxIdE2E(const QString& tujuan);
    // 1: the reseller's customers receive the general promo; 0 when unknown.
    quint8 GetManual(const QString& kodeReseller);

    // Offers one incoming message to the administrator's rules. A product-switch rule acts only
    // on messages from this terminal's own supplier accounts; from anyone else a matching
    // message is forwarded instead.
    void KirimPesanAdm(const QString& Pesan, const QString& Number, bool fromOwnSupplier);
    // "key|products|off" switches the products off on this terminal; any other switch, on.
    void MatikanParsing(const QString& rule);

  private:
    QString FillPromo(QString text, const QString& tujuan, const QString& namaProduk,
                      const QString& kodeReseller, const QString& pesan, const QString& terminal,
                      const QString& hpReseller);
    qint16 DischargeTerminal() const;

    Context ctx_;
    Lookups& lookups_;
    MessageTables& messages_;
    Ledger& ledger_;
};
