#pragma once

#include <QString>
#include <optional>

#include "ledger/ResellerRecord.h"
#include "store/Context.h"

class Lookups;
class MessageTables;
class Prices;

// The money guards: a bill payment needs a fresh inquiry whose bill the deposit exceeds, and
// any order needs a deposit (with credit) above its price, the floor and the pending orders.
// A guard that refuses queues the reason for the reseller.
class MoneyGuards {
  public:
    MoneyGuards(Context ctx, Lookups& lookups, Prices& prices, MessageTables& messages)
        : ctx_(ctx), lookups_(lookups), prices_(prices), messages_(messages) {}

    // Refuses a bill payment without a successful inquiry of the last 10 minutes, or whose
    // bill the deposit does not exceed (telling the reseller so).
    bool ExecPPOB(const QString& kdrs, const QString& number, const QString& kdProduk,
                  const QString& tuj);
    // Refuses an order whose price (as its waiting record will charge it, the open amount of
    // a "?" product included), the deposit floor and the reseller's pending orders reach the
    // deposit and credit (telling the reseller so).
    bool CekDeposit(const QString& number, const QString& kdrs, const QString& kdProduk,
                    const QString& tuj, const QString& terminal, const QString& trxId);
    // What the last CekDeposit that let its order pass read and priced it at: the reseller's
    // row, the price and the upline rebate inside it. Nothing after a refusal or an error.
    struct Priced {
        ResellerRecord reseller;
        qint32 harga = 0;
        qint32 rebat = 0;
    };
    std::optional<Priced> LastPassed() const { return passed_; }
    // What the reseller's pending orders are priced at; 0 for none.
    qint32 AmbilTrxTunggu(const QString& kdReseller);

    // The bill amount of an inquiry's text: the amount after "Rp" when the text has one, else
    // the first amount within the seven words after "total", "tagihan" or "tag"; thousands
    // separators removed, and never a number of more than 10 digits (a customer number);
    // empty for none.
    static QString GetNominalTagihan(const QString& text);

  private:
    // The remark of this reseller's newest successful inquiry for the destination of the last
    // 10 minutes, "NC" for none.
    QString GetKetCek(const QString& tuj, const QString& kdrs);
    // Queues the refusal for the reseller: why, then the product, its amount and the
    // destination.
    void TellRefusal(const QString& number, const QString& why, const QString& kdProduk,
                     qint64 amount, const QString& tuj);

    Context ctx_;
    Lookups& lookups_;
    Prices& prices_;
    MessageTables& messages_;
    std::optional<Priced> passed_;
};
