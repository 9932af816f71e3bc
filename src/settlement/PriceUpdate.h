#pragma once

#include <QString>

#include "store/Context.h"

class Prices;

// The purchase price a supplier states in its success reply: recorded as the transaction's
// base price and, by the product's mode on the terminal, adopted as the terminal's purchase
// price with a selling price derived from it; modes that want a one-off adjustment put the
// terminal's prices back after the settlement.
class PriceUpdate {
  public:
    PriceUpdate(Context ctx, Prices& prices) : ctx_(ctx), prices_(prices) {}

    // Before the reseller is charged: reads the mode and the price and updates the rows.
    // Errors are logged, never raised.
    void SetUpHarga(const QString& text, const QString& kdProduk, const QString& terminal,
                    const QString& id);
    // After the settlement: modes 1, 2 and the negative ones put the ordinary price back.
    void SetNormalkanHrgParsing(const QString& kdProduk, const QString& terminal);

    // The price stated in the reply, by the terminal's markers; "N/A" when not found.
    QString GetHrgDariBalasan(const QString& text, const QString& terminal);
    // The price just before the end marker (by the markers GetHrgDariBalasan loaded); "N/A"
    // when not found.
    QString GetHrgCadangan(const QString& text);
    struct Selisih {
        qint32 mode = 0;
        qint32 markup = 0;
    };
    Selisih GetSelisihReply(const QString& kdProduk, qint16 terminal);

    // The stated price, else the one just before the end marker.
    QString ReadPrice(const QString& text, const QString& terminal);

  private:
    void LoadMarkers(const QString& terminal);

    Context ctx_;
    Prices& prices_;
    qint32 mode_ = 0;
    qint32 basePrice_ = 0;
    QString start_, end_, firstWord_;  // lower-cased, loaded once
};
