#pragma once

#include <QString>

#include "ledger/Prices.h"
#include "ledger/ResellerRecord.h"
#include "store/Context.h"

class Ledger;
class Prices;

// Rebates earned up the line on a successful sale, booked as ledger credits.
class Rebates {
  public:
    Rebates(Context ctx, Prices& prices, Ledger& ledger)
        : ctx_(ctx), prices_(prices), ledger_(ledger) {}

    void ProsesRebat(const QString& kdReseller, const QString& kdProduk);
    // The same with the product's type and the reseller's row as the caller read them for the
    // unit it runs in.
    // A group reading of the same reseller, product and level (from the sale's price) stands
    // for the chain total and the group's row; without one they are read.
    void ProsesRebat(const QString& kdReseller, const ResellerRecord& reseller,
                     const QString& kdProduk, quint8 tipeProduk,
                     const Prices::GroupReading* reading = nullptr);
    void RebatMGM(const QString& kodeKelompok, const QString& kdReseller, qint16 level,
                  const QString& kdProduk);

  private:
    // A credit for a reseller; a code that names no reseller earns nothing.
    void CreditRebat(qint32 amount, const QString& kodeReseller, const QString& uraian);

    Context ctx_;
    Prices& prices_;
    Ledger& ledger_;
};
