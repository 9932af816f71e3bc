#pragma once

#include <QString>
#include <optional>

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
    // Errors are logged, never raised; inside the settlement's unit a failed write is undone
    // alone and the unit goes on.
    void SetUpHarga(const QString& text, const QString& kdProduk, const QString& terminal,
                    const QString& id);
    // After the settlement: puts back the terminal's prices that SetUpHarga of the same
    // settlement adopted for the product in a one-off mode (1 and the negative ones), at the
    // product's ordinary price. Nothing else is touched: not a row SetUpHarga left alone, not a
    // row of another product or another settlement.
    void SetNormalkanHrgParsing(const QString& kdProduk, const QString& terminal);
    // The terminal's selling price (as text) that the last SetUpHarga read from the product's
    // row and left as it was; nothing when it could not read it or has written the row since.
    std::optional<QString> SellingPriceRead() const { return sellingPrice_; }

    // The price stated in the reply, by the terminal's markers; "N/A" when not found.
    QString GetHrgDariBalasan(const QString& text, const QString& terminal);
    // The price just before the end marker (by the markers GetHrgDariBalasan loaded); "N/A"
    // when not found.
    QString GetHrgCadangan(const QString& text);
    struct Selisih {
        qint32 mode = 0;
        qint32 markup = 0;
        qint32 hargaBeli = 0;  // the terminal's prices before any update
        qint32 hargaJual = 0;
        QString hargaJualText;  // as read; "" without a row
    };
    Selisih GetSelisihReply(const QString& kdProduk, qint16 terminal);

    // The stated price, else the one just before the end marker.
    QString ReadPrice(const QString& text, const QString& terminal);

  private:
    // A terminal's prices adopted from a reply, to be put back after the settlement.
    struct Adopted {
        QString kdProduk;
        QString terminal;
        qint32 hargaBeli = 0;  // what the reset writes
        qint32 hargaJual = 0;
    };

    void LoadMarkers(const QString& terminal);

    Context ctx_;
    Prices& prices_;
    std::optional<Adopted> adopted_;   // set by SetUpHarga, used once by SetNormalkanHrgParsing
    QString start_, end_, firstWord_;  // lower-cased, loaded once
    std::optional<QString> sellingPrice_;
};
