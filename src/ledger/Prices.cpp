// Price resolution. The single-statement price and reseller lookups never take a missing row
// for an error: each returns 0 or the header record. Group prices follow them.
#include "ledger/Prices.h"

#include "ledger/Amounts.h"
#include "ledger/MemberChain.h"

qint32 Prices::GetHargaBiasa(const QString& kdProduk) {
    const DbResult r = ctx_.db.Exec(
        QStringLiteral("SELECT harga_jual FROM produk where kode_produk= ?"), {kdProduk});
    return r.IsEmpty() ? 0 : Amounts::Int32At(r, QStringLiteral("harga_jual"));
}

qint32 Prices::GetHargaJualParsing(const QString& kdProduk, const QString& terminal) {
    const DbResult r = ctx_.db.Exec(
        QStringLiteral("SELECT harga_jual FROM parsing where kode_produk= ? and terminal=? "),
        {kdProduk, terminal});
    return r.IsEmpty() ? 0 : Amounts::Int32At(r, QStringLiteral("harga_jual"));
}

qint32 Prices::GetHargaBeli(const QString& kdProduk, const QString& terminal) {
    // Both prices in one statement: a missing row reads as NULL, which converts to 0 as the
    // row's absence always did.
    const DbResult r = ctx_.db.Exec(
        QStringLiteral("SELECT (SELECT harga_beli FROM parsing where kode_produk=? and "
                       "terminal=? LIMIT 1) AS p, (SELECT harga_beli FROM produk where "
                       "kode_produk=? LIMIT 1) AS q"),
        {kdProduk, terminal, kdProduk});
    const qint32 p = Amounts::Int32At(r, QStringLiteral("p"));
    const qint32 q = Amounts::Int32At(r, QStringLiteral("q"));
    return p >= 1 ? p : q;
}

ResellerRecord Prices::ReadReseller(const QString& kdReseller) {
    return RecordOf(ctx_.db.Exec(QStringLiteral("SELECT * FROM reseller where kode_reseller= ?"),
                                 {kdReseller}));
}

ResellerRecord Prices::ReadReseller(const QString& kdReseller, qint32& kredit) {
    DbResult r;
    try {
        r = ctx_.db.Exec(QStringLiteral("SELECT reseller.*, (select deposit_kredit from "
                                        "reseller_log where kode_reseller=? LIMIT 1) AS "
                                        "relvane_kredit FROM reseller where kode_reseller= ?"),
                         {kdReseller, kdReseller});
    } catch (const DbError&) {
        // The activity table cannot be read (or the reseller's): each read on its own.
        kredit = GetDepositKredit(kdReseller);
        return ReadReseller(kdReseller);
    }
    try {
        kredit = r.IsEmpty() ? 0 : Amounts::Int32At(r, QStringLiteral("relvane_kredit"));
    } catch (const std::exception&) {
        kredit = 0;
    }
    return RecordOf(r);
}

ResellerRecord Prices::RecordOf(const DbResult& r) {
    if (r.IsEmpty()) return ResellerRecord::Header();
    ResellerRecord rec;
    rec.kodeReseller = r.Text(0, QStringLiteral("Kode_reseller"));
    rec.namaReseller = r.Text(0, QStringLiteral("Nama_reseller"));
    rec.deposit = r.Text(0, QStringLiteral("Deposit"));
    rec.alamat = r.Text(0, QStringLiteral("Alamat"));
    rec.pin = r.Text(0, QStringLiteral("Pin"));
    rec.status = r.Text(0, QStringLiteral("Status"));
    rec.manual = r.Text(0, QStringLiteral("Manual"));
    rec.terminal = r.Text(0, QStringLiteral("Terminal"));
    rec.kodeUpline = r.Text(0, QStringLiteral("Kode_upline"));
    rec.level = r.Text(0, QStringLiteral("Level"));
    rec.kodeKelompok = r.Text(0, QStringLiteral("Kode_kelompok"));
    rec.exists = true;
    return rec;
}

QString Prices::GetDataReseller(const QString& kdReseller) {
    return ReadReseller(kdReseller).ToText();
}

qint32 Prices::GetDepositKredit(const QString& kdReseller, const DbResult* resellerLog) {
    try {
        const DbResult r =
            resellerLog != nullptr
                ? *resellerLog
                : ctx_.db.Exec(QStringLiteral(
                                   "select deposit_kredit from reseller_log where kode_reseller=?"),
                               {kdReseller});
        return r.IsEmpty() ? 0 : Amounts::Int32At(r, QStringLiteral("deposit_kredit"));
    } catch (const std::exception&) {
        return 0;
    }
}

quint8 Prices::GetTipeProduk(const QString& kdProduk) {
    const DbResult r =
        ctx_.db.Exec(QStringLiteral("SELECT tipe FROM produk where kode_produk=?"), {kdProduk});
    return r.IsEmpty() ? 0 : Convert::ToByte(r.Text(0, QStringLiteral("tipe")));
}

qint32 Prices::OrderPrice(const QString& kdReseller, const ResellerRecord& reseller,
                          const QString& kdProduk, const QString& terminal, const QString& trxId) {
    qint32 price = GetHargaKelompok(reseller.kodeKelompok, kdProduk, reseller.LevelNumber(),
                                    terminal, kdReseller);
    if (price == 0) price = GetHargaBiasa(kdProduk);
    return Amounts::Add(price, OpenAmount(kdProduk, trxId));
}

qint32 Prices::OpenAmount(const QString& kdProduk, const QString& trxId) {
    if (!kdProduk.contains(QLatin1Char('?'))) return 0;
    return Convert::ToInt32(trxId.split(QLatin1Char('#')).value(2).trimmed());
}

// Group prices: the member chain, the per-product upline rebate, the level's price in the
// group and the terminal's selling price as its cap.

qint32 Prices::GetRebatPerAgen(const QString& kodeKelompok, const QString& kdReseller,
                               qint16 level) {
    qint32 total = 0;
    try {
        QString current = kdReseller;
        for (int step = 1; step <= level; ++step) {
            const DbResult r = NextInChain(ctx_.db, kodeKelompok, current);
            // Without a row the member stays the same, so every later step would ask the
            // same question and get the same answer.
            if (r.IsEmpty()) break;
            current = r.Text(0, QStringLiteral("kode_produk"));
            total = Amounts::Add(total, Amounts::Int32At(r, QStringLiteral("rebat")));
        }
        return total;
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("GetRebatPerAgen [") + kodeKelompok + QLatin1Char(';') +
                          kdReseller + QLatin1Char(';') + QString::number(level) +
                          QStringLiteral("]{Total Rebat=") + QString::number(total) +
                          QLatin1Char('}'),
                      e);
        return 0;
    }
}

qint16 Prices::GetRebatPerProduk(const QString& kodeKelompok, const QString& kdReseller,
                                 const QString& kdProduk) {
    const DbResult up = ctx_.db.Exec(
        QStringLiteral("SELECT kode_upline FROM reseller where kode_reseller= ?"), {kdReseller});
    const QString upline = up.IsEmpty() ? QString("") : up.Text(0, QStringLiteral("kode_upline"));
    if (upline == kdReseller) return 0;

    const DbResult own = ctx_.db.Exec(
        QStringLiteral("SELECT harga FROM temp_kelompok where kode_kelompok=? and nama_kelompok= "
                       "? and kode_produk=? and harga_master=?"),
        {kodeKelompok, kdReseller, kdProduk, upline});
    qint16 result = own.IsEmpty() ? 0 : Amounts::Int16At(own, QStringLiteral("harga"));
    if (result == 0) {
        const DbResult all = ctx_.db.Exec(
            QStringLiteral("SELECT harga FROM temp_kelompok where kode_kelompok=? and "
                           "nama_kelompok= 'ALL' and kode_produk=? and harga_master=?"),
            {kodeKelompok, kdProduk, upline});
        result = all.IsEmpty() ? 0 : Amounts::Int16At(all, QStringLiteral("harga"));
    }
    return result;
}

qint32 Prices::GetHargaKelompok(const QString& kodeKelompok, const QString& kdProduk, qint16 level,
                                const QString& terminal, const QString& kdReseller,
                                GroupReading* reading) {
    qint32 jual = 0;
    try {
        // The per-product rebate counts only on top of a member-chain rebate.
        const qint32 chain = GetRebatPerAgen(kodeKelompok, kdReseller, level);
        qint32 mgm = chain;
        if (mgm > 0) mgm = Amounts::Add(mgm, GetRebatPerProduk(kodeKelompok, kdReseller, kdProduk));

        // The group's row and the terminal's selling price in one statement; a missing row
        // of either reads as NULL, that is 0.
        const DbResult k = ctx_.db.Exec(
            QStringLiteral("SELECT k.harga_master, k.harga_dealer, k.harga, k.rebat_master, "
                           "k.rebat_dealer, k.rebat, k.kode_kelompok IS NOT NULL AS found, "
                           "(SELECT harga_jual FROM parsing where "
                           "kode_produk= ? and terminal=? LIMIT 1) AS jual_terminal FROM "
                           "(SELECT 1) AS one LEFT JOIN kelompok k ON k.kode_kelompok= ? and "
                           "k.kode_produk= ?"),
            {kdProduk, terminal, kodeKelompok, kdProduk});
        const qint32 hargaMaster = Amounts::Int32At(k, QStringLiteral("harga_master"));
        const qint32 hargaDealer = Amounts::Int32At(k, QStringLiteral("harga_dealer"));
        const qint32 harga = Amounts::Int32At(k, QStringLiteral("harga"));
        const qint32 rebatMaster = Amounts::Int32At(k, QStringLiteral("rebat_master"));
        const qint32 rebatDealer = Amounts::Int32At(k, QStringLiteral("rebat_dealer"));
        const qint32 rebat = Amounts::Int32At(k, QStringLiteral("rebat"));

        qint32 price = 0, rebate = 0;
        if (level == 1) {
            price = hargaMaster;
        } else if (level == 2) {
            price = hargaDealer;
            rebate = rebatMaster;
        } else {
            price = harga;
            rebate = Amounts::Add(rebat, rebatDealer);
        }
        if (mgm != 0 && price != 0) {
            price = Amounts::Add(hargaMaster, mgm);
            rebate = mgm;
        }
        LastRebat = rebate;

        jual = Amounts::Int32At(k, QStringLiteral("jual_terminal"));
        if (reading != nullptr) {
            reading->kodeKelompok = kodeKelompok;
            reading->kdProduk = kdProduk;
            reading->kdReseller = kdReseller;
            reading->level = level;
            reading->chainTotal = chain;
            reading->found = k.Int(0, QStringLiteral("found")) == 1;
            reading->group = k;
            reading->complete = true;
        }
        const qint32 compared = mgm != 0 ? Amounts::Sub(price, rebate) : price;
        if (compared > jual) return Amounts::Add(jual, rebate);
        if (price == 0 && jual > 0) return jual;
        return price;
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("GetHargaKelompok KodeProduk=") + kdProduk +
                          QStringLiteral(", LevelReseller=") + QString::number(level) +
                          QStringLiteral(",Kode Rs=") + kdReseller + QStringLiteral(", Kelompok=") +
                          kodeKelompok + QLatin1Char(','),
                      e);
        return jual;
    }
}

qint32 Prices::GetHargaReseller(const QString& kdReseller, const ResellerRecord& reseller,
                                const QString& kdProduk, qint16 terminal, GroupReading* reading) {
    return GetHargaKelompok(reseller.kodeKelompok, kdProduk, reseller.LevelNumber(),
                            QString::number(terminal), kdReseller, reading);
}
