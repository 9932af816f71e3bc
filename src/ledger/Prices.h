#pragma once

#include <QString>

#include "ledger/ResellerRecord.h"
#include "store/Context.h"
#include "store/Database.h"

// Price resolution: what a product costs a reseller by group and level, the terminal's buying
// and selling prices, the rebates inside a group price, and the reseller and product rows the
// prices are read from.
class Prices {
  public:
    explicit Prices(Context ctx) : ctx_(ctx) {}

    // What a group price was read from, for the rebates of the same sale: the member chain's
    // rebate total and the group's row for the product (its rebat_master, rebat_dealer and
    // rebat columns).
    struct GroupReading {
        QString kodeKelompok;
        QString kdProduk;
        QString kdReseller;
        qint16 level = 0;
        qint32 chainTotal = 0;
        bool found = false;  // the group has a row for the product
        DbResult group;
        bool complete = false;  // everything above was read
    };

    qint32 GetHargaBiasa(const QString& kdProduk);  // 0 without a product row
    qint32 GetHargaJualParsing(const QString& kdProduk, const QString& terminal);
    // The terminal's purchase price when it is at least 1, else the product's.
    qint32 GetHargaBeli(const QString& kdProduk, const QString& terminal);
    // The eleven-field ";" record; the header text for an unknown reseller.
    QString GetDataReseller(const QString& kdReseller);
    ResellerRecord ReadReseller(const QString& kdReseller);
    // The same, with the credit allowance GetDepositKredit gives in kredit, in one statement.
    ResellerRecord ReadReseller(const QString& kdReseller, qint32& kredit);
    // 0 when none, also on any error; from resellerLog (the reseller's activity row as the
    // caller read it) when given.
    qint32 GetDepositKredit(const QString& kdReseller, const DbResult* resellerLog = nullptr);
    quint8 GetTipeProduk(const QString& kdProduk);
    // Member-chain rebate total over Level steps up the chain; 0 (logged) on an error.
    qint32 GetRebatPerAgen(const QString& kodeKelompok, const QString& kdReseller, qint16 level);
    // The direct upline's rebate for this product: the downline's own entry, else "ALL".
    qint16 GetRebatPerProduk(const QString& kodeKelompok, const QString& kdReseller,
                             const QString& kdProduk);
    // The group price for the level, capped by the terminal's selling price; 0 when the
    // group gives none. Sets LastRebat to the upline rebate inside the price.
    // With reading, also what the price was read from (left alone when the price fell back
    // to the selling price after an error).
    qint32 GetHargaKelompok(const QString& kodeKelompok, const QString& kdProduk, qint16 level,
                            const QString& terminal, const QString& kdReseller,
                            GroupReading* reading = nullptr);
    // The group price of the reseller whose row the caller has read already.
    qint32 GetHargaReseller(const QString& kdReseller, const ResellerRecord& reseller,
                            const QString& kdProduk, qint16 terminal,
                            GroupReading* reading = nullptr);

    // What an order costs the reseller, as its waiting record charges it: the group price, else
    // the ordinary price, plus the open amount of a "?" product. Raises "Type mismatch" for a
    // reseller that does not exist. Sets LastRebat as GetHargaKelompok does.
    qint32 OrderPrice(const QString& kdReseller, const ResellerRecord& reseller,
                      const QString& kdProduk, const QString& terminal, const QString& trxId);
    // The amount an open-amount product ("?" in its code) carries in the third field of the
    // order's id, read as every amount text is read ("1500.00" is 1500); 0 for other products.
    static qint32 OpenAmount(const QString& kdProduk, const QString& trxId);
    qint32 LastRebat = 0;

  private:
    static ResellerRecord RecordOf(const DbResult& r);  // the header record for no row

    Context ctx_;
};
