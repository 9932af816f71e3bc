#include "settlement/PromoAndNotices.h"

#include "ledger/Ledger.h"
#include "queue/MessageTables.h"
#include "store/Convert.h"
#include "store/Database.h"
#include "store/Lookups.h"

namespace {

const QString kRecordSeparator = QStringLiteral("<[:]>");
const QString kRuleSeparator = QStringLiteral("%|%");

}  // namespace

void PromoAndNotices::FiturPromo(const QString& tujuan, const QString& namaProduk,
                                 const QString& kodeReseller, const QString& pesan,
                                 const QString& terminal, const QString& hpReseller,
                                 const DbResult* resellerLog) {
    try {
        const QString trxId = GetTrxIdE2E(tujuan);
        const QString promo = GetPesanPromo(kodeReseller, resellerLog);
        qint16 sender = DischargeTerminal();
        const bool captured = trxId != QLatin1String("NC");
        const QString recipient = captured ? trxId : tujuan;

        // Only the exact upper-case mark switches the personal promo off.
        if (!promo.left(3).contains(QLatin1String("OFF"))) {
            const int cut = promo.indexOf(kRecordSeparator);
            messages_.QueueAdminJob(recipient,
                                    FillPromo(promo.left(cut), tujuan, namaProduk, kodeReseller,
                                              pesan, terminal, hpReseller),
                                    sender);
            if (cut < 0) throw RelvaneError(QStringLiteral("promo record without a fee"));
            ledger_.Biaya(kodeReseller, Convert::ToInt32(promo.mid(cut + kRecordSeparator.size())),
                          QStringLiteral("Pesan Promo Pribadi"));
        } else if (ctx_.values.PromoOn || captured) {
            const QString text = FillPromo(ctx_.values.PromoTemplate, tujuan, namaProduk,
                                           kodeReseller, pesan, terminal, hpReseller);
            if (GetManual(kodeReseller) == 1) messages_.QueueAdminJob(recipient, text, sender);
        }
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("Fitur Promo ") + tujuan + QLatin1Char(' ') + kodeReseller +
                          QLatin1Char(' '),
                      e);
    }
}

QString PromoAndNotices::FillPromo(QString text, const QString& tujuan, const QString& namaProduk,
                                   const QString& kodeReseller, const QString& pesan,
                                   const QString& terminal, const QString& hpReseller) {
    text.replace(QLatin1String("<namaproduk>"), namaProduk);
    if (text.contains(QLatin1String("<namaagen>")))
        text.replace(QLatin1String("<namaagen>"), lookups_.GetNamaReseller(kodeReseller));
    text.replace(QLatin1String("<kodereseller>"), kodeReseller);
    text.replace(QLatin1String("<hpreseller>"), hpReseller);
    text.replace(QLatin1String("<kodeagen>"), kodeReseller);
    text.replace(QLatin1String("<tujuan>"), tujuan);
    if (text.contains(QLatin1String("<sn>")))
        text.replace(QLatin1String("<sn>"),
                     ctx_.util.SnFromReply(pesan, Convert::ToInt16(terminal)));
    return text;
}

// A terminal of the discharge list, picked at random; without a list the host chooses (0).
qint16 PromoAndNotices::DischargeTerminal() const {
    const QStringList& list = ctx_.values.DischargeList;
    if (list.isEmpty()) return 0;
    return Convert::ToInt16(list.at(ctx_.util.RandomIndex(list.size() - 1)));
}

QString PromoAndNotices::GetPesanPromo(const QString& kodeReseller, const DbResult* resellerLog) {
    const DbResult r =
        resellerLog != nullptr
            ? *resellerLog
            : ctx_.db.Exec(QStringLiteral(
                               "SELECT pesan_promo,biaya FROM reseller_log where kode_reseller= ?"),
                           {kodeReseller});
    if (r.IsEmpty()) return QStringLiteral("OFF");
    return r.Text(0, QStringLiteral("pesan_promo")) + kRecordSeparator +
           r.Text(0, QStringLiteral("biaya"));
}

// Only looks: the captured rows stay for the settlement's later matching and bill amounts.
QString PromoAndNotices::GetTrxIdE2E(const QString& tujuan) {
    const DbResult r = ctx_.db.Exec(
        QStringLiteral("select trx_id from e2e_queue where msisdn=? order by id DESC"), {tujuan});
    const QString trxId = r.IsEmpty() ? QString("") : r.Text(0, QStringLiteral("trx_id"));
    // A capture without an index number gives no address to send to.
    return trxId.trimmed().isEmpty() ? QStringLiteral("NC") : trxId;
}

quint8 PromoAndNotices::GetManual(const QString& kodeReseller) {
    const DbResult r = ctx_.db.Exec(
        QStringLiteral("select manual from reseller where kode_reseller=?"), {kodeReseller});
    return r.IsEmpty() ? 0 : Convert::ToByte(r.Text(0, QStringLiteral("manual")));
}

void PromoAndNotices::KirimPesanAdm(const QString& Pesan, const QString& Number,
                                    bool fromOwnSupplier) {
    try {
        const QString lower = Pesan.toLower();
        const QStringList rules = ctx_.values.ModulRules.split(kRuleSeparator);
        // The joined rules end with the separator: the last element is always empty.
        for (int i = 0; i + 1 < rules.size(); ++i) {
            QString rule = rules[i];
            // A rule file saved on Windows: the line end does not belong to the rule.
            while (rule.endsWith(QLatin1Char('\r'))) rule.chop(1);
            if (rule.trimmed().isEmpty()) continue;
            if (!lower.contains(rule.section(QLatin1Char('|'), 0, 0))) continue;
            if (rule.split(QLatin1Char('|')).size() == 3 && fromOwnSupplier) {
                MatikanParsing(rule);
            } else {
                qint16 sender = 0;
                messages_.QueueAdminJob(Number, Pesan, sender);
            }
            ctx_.util.WriteLog(ctx_.values.TerminalName, Pesan);
        }
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("KirimPesanAdm "), e);
    }
}

void PromoAndNotices::MatikanParsing(const QString& rule) {
    try {
        QString line = rule;
        while (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        const QStringList fields = line.split(QLatin1Char('|'));
        if (fields.size() != 3) return;
        const QString active =
            fields[2] == QLatin1String("off") ? QStringLiteral("0") : QStringLiteral("1");
        for (const QString& produk : fields[1].split(QLatin1Char(';'))) {
            if (produk.isEmpty()) continue;
            ctx_.db.Exec(QStringLiteral("update parsing set active=?,dec_stok='-1' where "
                                        "kode_produk=? and terminal=?"),
                         {active, produk, ctx_.values.TerminalNo});
        }
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("KirimPesanAdm ") + rule + QLatin1Char(' '), e);
    }
}
