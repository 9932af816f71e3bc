#include "settlement/SettlementRows.h"

#include <algorithm>
#include <cmath>

#include "ledger/Amounts.h"
#include "settlement/ReplyClassifier.h"
#include "store/Database.h"
#include "store/Stamps.h"
#include "store/TerminalList.h"

namespace {

QList<SettlementRows::Pending> PendingRows(const DbResult& r) {
    QList<SettlementRows::Pending> list;
    for (int i = 0; i < r.RecordCount(); ++i) {
        SettlementRows::Pending p;
        p.id = r.Int(i, QStringLiteral("id"));
        p.tujuan = r.Text(i, QStringLiteral("tujuan")).toLower();
        const QString kode = r.Text(i, QStringLiteral("kode_transaksi"));
        // A code without its second field has no code to quote: "0" stands in for it.
        if (kode.split(QLatin1Char('#')).size() > 1)
            p.kode = ReplyClassifier::GetKodeTrx(kode).toLower();
        list.append(p);
    }
    return list;
}

}  // namespace

QList<SettlementRows::Pending> SettlementRows::GetTrxPending(qint16 terminal) {
    QVariantList params;
    const QString where = TerminalCondition(ctx_.values.TerminalList, terminal, params);
    const DbResult r = ctx_.db.Exec(
        QStringLiteral("SELECT id,kode_transaksi,tujuan FROM transaksi where status='2' and "
                       "IF(TIMESTAMPDIFF(HOUR,datetime_transaksi,NOW())<=12,1,0)='1' and ") +
            where + QStringLiteral(" ORDER BY id ASC"),
        params);
    const QList<Pending> list = PendingRows(r);
    return list.isEmpty() ? GetTrxPendingHariIni(terminal) : list;
}

QList<SettlementRows::Pending> SettlementRows::GetTrxPendingHariIni(qint16 terminal) {
    const DayRange day = TodayRange();
    QVariantList params = {day.from, day.to};
    const QString where = TerminalCondition(ctx_.values.TerminalList, terminal, params);
    return PendingRows(ctx_.db.Exec(
        QStringLiteral("SELECT id,kode_transaksi,tujuan FROM transaksi where datetime_transaksi "
                       "between ? and ? and status='2' and ") +
            where + QStringLiteral(" ORDER BY id ASC"),
        params));
}

std::optional<TransactionRow> SettlementRows::GetDataTrx(qint64 id, Product& product) {
    const DbResult r = ctx_.db.Exec(
        QStringLiteral("SELECT t.*, p.kode_produk AS relvane_produk, p.nama_produk AS "
                       "relvane_nama, p.poin AS relvane_poin, p.tipe AS relvane_tipe FROM "
                       "transaksi t LEFT JOIN produk p ON p.kode_produk = t.kode_produk where "
                       "t.id=? LIMIT 1"),
        {id});
    if (r.IsEmpty()) return std::nullopt;
    TransactionRow rec;
    rec.kodeProduk = r.Text(0, QStringLiteral("kode_produk"));
    rec.tujuan = r.Text(0, QStringLiteral("tujuan"));
    rec.kodeReseller = r.Text(0, QStringLiteral("kode_reseller"));
    rec.hpReseller = r.Text(0, QStringLiteral("hp_reseller"));
    rec.depositAwal = Amounts::Int32At(r, QStringLiteral("deposit_awal"));
    rec.depositAkhir = Amounts::Int32At(r, QStringLiteral("deposit_akhir"));
    rec.hargaBeli = Amounts::Int32At(r, QStringLiteral("harga_beli"));
    rec.terminal = Convert::CheckedInt16(r.Int(0, QStringLiteral("terminal")));
    rec.kodeTransaksi = r.Text(0, QStringLiteral("kode_transaksi"));
    // Without a product row the product is known only by its code.
    if (r.Value(0, QStringLiteral("relvane_produk")).isNull())
        product = {rec.kodeProduk, QString("")};
    else
        product = {r.Text(0, QStringLiteral("relvane_poin")) + QLatin1Char(')') +
                       r.Text(0, QStringLiteral("relvane_nama")),
                   r.Text(0, QStringLiteral("relvane_tipe"))};
    return rec;
}

void SettlementRows::UpdateTrxMenunggu(qint32 depositAwal, qint32 depositAkhir, quint8 status,
                                       const QString& keterangan, qint64 id,
                                       const QString& namaReseller, const QString& sn,
                                       qint32 hargaBeli, const QString& stok) {
    const auto write = [&](const QString& remark) {
        const DbResult r = ctx_.db.Exec(
            QStringLiteral("update transaksi set deposit_awal=?, deposit_akhir = ?, status = ?, "
                           "keterangan = ?,nama_reseller=?,sn=?,harga_beli=?,stok=? where id=? "
                           "and status='2'"),
            {depositAwal, depositAkhir, QString::number(status),
             ctx_.db.Fit(QStringLiteral("transaksi"), QStringLiteral("keterangan"), remark),
             ctx_.db.Fit(QStringLiteral("transaksi"), QStringLiteral("nama_reseller"),
                         namaReseller),
             ctx_.db.Fit(QStringLiteral("transaksi"), QStringLiteral("sn"), sn), hargaBeli,
             ctx_.db.Fit(QStringLiteral("transaksi"), QStringLiteral("stok"), stok), id});
        if (r.RowsAffected() == 0)
            throw RelvaneError(QStringLiteral("transaksi ") + QString::number(id) +
                               QStringLiteral(" sudah tidak menunggu"));
    };
    DbError failed{QString()};
    if (ctx_.db.AttemptStatement([&] { write(keterangan); }, &failed)) return;
    ctx_.util.WriteLog(ctx_.values.TerminalName,
                       QStringLiteral("UpdateTrxMenunggu ") + failed.Description());
    write(keterangan + QStringLiteral(" AUTO Execute Transaksi "));
}

double SettlementRows::JumlahTrxSukses(const QString& kdReseller) {
    const DayRange day = TodayRange();
    const DbResult r = ctx_.db.Exec(
        QStringLiteral("select COUNT(*) AS n from transaksi WHERE status='1' and "
                       "kode_reseller=? and datetime_transaksi between ? and ? and NOT "
                       "kode_produk='-'"),
        {kdReseller, day.from, day.to});
    return static_cast<double>(r.Int(0, QStringLiteral("n")));
}

qint16 SettlementRows::GetTrxGagal(const QString& kdProduk, const QString& tujuan,
                                   qint16 terminal) {
    try {
        const DayRange day = TodayRange();
        const DbResult r = ctx_.db.Exec(
            QStringLiteral("SELECT COUNT(*) AS n FROM transaksi where kode_produk=? and "
                           "terminal=? and datetime_transaksi between ? and ? and tujuan=? and "
                           "status='0'"),
            {kdProduk, terminal, day.from, day.to, tujuan});
        return Convert::CheckedInt16(r.Int(0, QStringLiteral("n")));
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("GetTrxGagal "), e);
        return 0;
    }
}

void SettlementRows::KurangiStok(const QString& kdProduk, qint32 terminal, const QString& stok) {
    try {
        QString figure = stok;
        figure.remove(QLatin1Char(',')).remove(QLatin1Char('.'));
        // The column holds a whole number: the figure's whole value, never the text.
        const double value = std::trunc(Convert::Val(figure));
        if (value != 0) {
            ctx_.db.Exec(
                QStringLiteral("update parsing set dec_stok = ? where kode_produk=? and "
                               "terminal=?"),
                {Convert::CheckedInt32(static_cast<qint64>(std::clamp(value, -9.3e18, 9.3e18))),
                 kdProduk, terminal});
        } else {
            ctx_.db.Exec(QStringLiteral("update parsing set dec_stok = dec_stok - 1 where "
                                        "kode_produk=? and terminal=?"),
                         {kdProduk, terminal});
        }
        const DbResult row = ctx_.db.Exec(
            QStringLiteral("select dec_stok,harga_beli,id,method from parsing where terminal=? "
                           "and kode_produk=?"),
            {terminal, kdProduk});
        if (!row.IsEmpty()) {
            if (row.Text(0, QStringLiteral("method")) != QLatin1String("RLV"))
                ctx_.db.Exec(QStringLiteral("update parsing set dec_stok =? where harga_beli=? and "
                                            "terminal=? and not id=?"),
                             {row.Int(0, QStringLiteral("dec_stok")),
                              row.Int(0, QStringLiteral("harga_beli")), terminal,
                              row.Int(0, QStringLiteral("id"))});
            else
                ctx_.db.Exec(QStringLiteral("update parsing set dec_stok ='-1' where terminal=? "
                                            "and not id=?"),
                             {terminal, row.Int(0, QStringLiteral("id"))});
        }
        ctx_.db.Exec(QStringLiteral("update produk set counter = counter + 1 where kode_produk=?"),
                     {kdProduk});
    } catch (const std::exception& e) {
        ctx_.util.WriteLog(QStringLiteral("Terminal #") + QString::number(terminal),
                           QStringLiteral("KurangiStok ") + Describe(e));
    }
}
