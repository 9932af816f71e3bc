// Rebates earned up the line on a successful sale, booked as ledger credits. A sale earns under
// the member chain when the reseller's group has one for it, otherwise under the group price.
#include "ledger/Rebates.h"

#include "ledger/Amounts.h"
#include "ledger/Ledger.h"
#include "ledger/MemberChain.h"
#include "ledger/Prices.h"

namespace {

const QString kRebateAccount = QStringLiteral("10000001");

QString Uraian(const QString& head, const QString& kdProduk, const QString& who,
               const QString& level) {
    return head + kdProduk + QStringLiteral("] [") + who + QStringLiteral("] Level:") + level;
}

}  // namespace

void Rebates::CreditRebat(qint32 amount, const QString& kodeReseller, const QString& uraian) {
    // The chain or the upline field may name someone who is not a reseller (or nobody): such
    // an entry would credit nobody.
    if (kodeReseller.trimmed().isEmpty()) return;
    ledger_.InsertToRekening(kRebateAccount, 0, amount, kodeReseller, uraian, true);
}

void Rebates::ProsesRebat(const QString& kdReseller, const QString& kdProduk) {
    if (prices_.GetTipeProduk(kdProduk) == 1) return;
    ProsesRebat(kdReseller, prices_.ReadReseller(kdReseller), kdProduk, 0);
}

void Rebates::ProsesRebat(const QString& kdReseller, const ResellerRecord& reseller,
                          const QString& kdProduk, quint8 tipeProduk,
                          const Prices::GroupReading* reading) {
    if (tipeProduk == 1) return;
    ResellerRecord r = reseller;
    const qint16 level = r.LevelNumber();
    if (reading != nullptr && (!reading->complete || reading->kodeKelompok != r.kodeKelompok ||
                               reading->kdProduk != kdProduk || reading->kdReseller != kdReseller ||
                               reading->level != level))
        reading = nullptr;

    const qint16 total = Convert::CheckedInt16(
        reading != nullptr ? reading->chainTotal
                           : prices_.GetRebatPerAgen(r.kodeKelompok, kdReseller, level));
    if (total > 0) {
        RebatMGM(r.kodeKelompok, kdReseller, level, kdProduk);
        const qint16 perProduk = prices_.GetRebatPerProduk(r.kodeKelompok, kdReseller, kdProduk);
        if (perProduk > 0)
            CreditRebat(perProduk, r.kodeUpline,
                        Uraian(QStringLiteral("Transaksi Rebat PerProduk ["), kdProduk, kdReseller,
                               r.level));
        return;
    }

    const DbResult k =
        reading != nullptr
            ? reading->group
            : ctx_.db.Exec(QStringLiteral(
                               "SELECT * FROM kelompok where kode_kelompok= ? and  kode_produk=?"),
                           {r.kodeKelompok, kdProduk});
    if (reading != nullptr ? !reading->found : k.IsEmpty()) return;
    const bool toLedger = ctx_.values.SeparatePackageRebate == 1;
    const QString agen = QStringLiteral("Transaksi Rebat Kelompok Harga - AGEN [");

    if (level == 2) {
        const qint16 rebat = Amounts::Int16At(k, QStringLiteral("rebat_master"));
        if (toLedger && rebat != 0)
            CreditRebat(rebat, r.kodeUpline,
                        Uraian(QStringLiteral("Transaksi Rebat Kelompok Harga - DEALER ["),
                               kdProduk, kdReseller, r.level));
    } else if (level == 3) {
        const qint16 rebat = Amounts::Int16At(k, QStringLiteral("rebat"));
        if (toLedger && rebat != 0)
            CreditRebat(rebat, r.kodeUpline, Uraian(agen, kdProduk, kdReseller, r.level));
        const qint16 rebatDealer = Amounts::Int16At(k, QStringLiteral("rebat_dealer"));
        if (toLedger && rebatDealer != 0) {
            // The second share goes one step further up: to the upline's own upline, at the
            // upline's level. An upline that is not a reseller has no upline to pay.
            r = prices_.ReadReseller(r.kodeUpline);
            if (r.exists)
                CreditRebat(rebatDealer, r.kodeUpline, Uraian(agen, kdProduk, kdReseller, r.level));
        }
    } else if (level != 1) {
        const qint16 rebat = Amounts::Int16At(k, QStringLiteral("rebat"));
        if (toLedger && rebat != 0)
            CreditRebat(rebat, r.kodeUpline,
                        Uraian(QStringLiteral("Trx Rebat MGM ["), kdProduk, kdReseller, r.level));
    }
}

void Rebates::RebatMGM(const QString& kodeKelompok, const QString& kdReseller, qint16 level,
                       const QString& kdProduk) {
    try {
        QString current = kdReseller;
        QString path;
        for (int counter = level; counter >= 1; --counter) {
            const DbResult r = NextInChain(ctx_.db, kodeKelompok, current);
            path += current + QLatin1Char('/');
            // Without a row the member stays, and every later step would find nothing again.
            if (r.IsEmpty()) break;
            current = r.Text(0, QStringLiteral("kode_produk"));
            const qint32 amount = Amounts::Int32At(r, QStringLiteral("rebat"));
            if (amount != 0)
                CreditRebat(amount, current,
                            Uraian(QStringLiteral("Transaksi Rebat MGM ["), kdProduk, path,
                                   QString::number(counter)));
        }
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("RebatMGM ") + kdReseller, e);
    }
}
