// The single-statement price and reseller lookups. A missing row is never an error: each
// returns 0 or the header record.
#include "ledger/Prices.h"

#include "ledger/Amounts.h"

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
    const DbResult onTerminal = ctx_.db.Exec(
        QStringLiteral("SELECT harga_beli FROM parsing where kode_produk=? and terminal=?"),
        {kdProduk, terminal});
    const qint32 p =
        onTerminal.IsEmpty() ? 0 : Amounts::Int32At(onTerminal, QStringLiteral("harga_beli"));
    const DbResult product = ctx_.db.Exec(
        QStringLiteral("SELECT harga_beli FROM produk where kode_produk=?"), {kdProduk});
    const qint32 q =
        product.IsEmpty() ? 0 : Amounts::Int32At(product, QStringLiteral("harga_beli"));
    return p >= 1 ? p : q;
}

ResellerRecord Prices::ReadReseller(const QString& kdReseller) {
    const DbResult r =
        ctx_.db.Exec(QStringLiteral("SELECT * FROM reseller where kode_reseller= ?"), {kdReseller});
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

qint32 Prices::GetDepositKredit(const QString& kdReseller) {
    try {
        const DbResult r = ctx_.db.Exec(
            QStringLiteral("select deposit_kredit from reseller_log where kode_reseller=?"),
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
