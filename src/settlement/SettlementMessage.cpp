#include "settlement/SettlementMessage.h"

#include "ledger/MoneyText.h"
#include "settlement/ReplyClassifier.h"
#include "settlement/SettlementRows.h"
#include "store/Stamps.h"

QString SettlementMessage::FillMessage(const Settlement::Reply& r, bool success) {
    QString m = FillMessage(r, success, NowStamp(), ShortStamp());
    const auto put = [&m](const char* placeholder, const QString& value) {
        m.replace(QLatin1String(placeholder), value);
    };
    if (m.contains(QLatin1String("<trx>")))
        put("<trx>", QStringLiteral("Jmlh Trx [") +
                         QString::number(rows_.JumlahTrxSukses(r.rec.kodeReseller)) +
                         QLatin1Char(']'));
    if (m.contains(QLatin1String("<sn-"))) m = classifier_.IsiSNMulti(r.text, m);
    return m;
}

QString SettlementMessage::FillMessage(const Settlement::Reply& r, bool success, const QString& now,
                                       const QString& shortNow) {
    QString m = r.templ;
    const auto put = [&m](const char* placeholder, const QString& value) {
        m.replace(QLatin1String(placeholder), value);
    };
    put("<bypas>",
        QStringLiteral("{[(") + QString::number(r.rec.terminal) + QStringLiteral(")]} ") + r.text);
    put("<trxid>", ReplyClassifier::GetKodeTrx(r.rec.kodeTransaksi).toLower());
    put("<trxid2>", QString::number(r.entry.id));
    put("<tujuan>", r.rec.tujuan);
    put("<produk>", r.rec.kodeProduk);
    put("<namaproduk>", r.namaProduk);
    if (success) put("<harga>", FormatRibuan(r.price));
    put("<depositawal>", FormatRibuan(r.before));
    put("<deposit>", FormatRibuan(r.after));
    put("<sn>", r.sn);
    put("<datetime>", now);
    put("<datetime2>", shortNow);
    put("<kodereseller>", r.rec.kodeReseller);
    put("<namareseller>", r.nama);
    // A bill of 0 is no bill: the placeholder stays for the reseller to see.
    if (success && r.bill != 0) put("<bayar>", QString::number(r.bill));
    return m;
}
