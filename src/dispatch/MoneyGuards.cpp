#include "dispatch/MoneyGuards.h"

#include <QRegularExpression>
#include <QScopeGuard>
#include <limits>

#include "dispatch/GuardFailure.h"
#include "ledger/Amounts.h"
#include "ledger/Prices.h"
#include "queue/MessageTables.h"
#include "store/Database.h"
#include "store/Lookups.h"
#include "store/Stamps.h"

namespace {

// The bill as a number; an amount too long for one is more than any deposit.
qint64 BillValue(const QString& digits) {
    if (digits.isEmpty()) return 0;
    bool ok = false;
    const qint64 value = digits.toLongLong(&ok);
    return ok ? value : std::numeric_limits<qint64>::max();
}

}  // namespace

void MoneyGuards::TellRefusal(const QString& number, const QString& why, const QString& kdProduk,
                              qint64 amount, const QString& tuj) {
    qint16 sender = 0;
    messages_.QueueAdminJob(number,
                            why + QStringLiteral(" TIDAK CUKUP u/ TRX Produk {") + kdProduk +
                                QStringLiteral(", Rp.") + QString::number(amount) +
                                QStringLiteral("}@") + tuj + QStringLiteral("@ ") + NowStamp(),
                            sender);
}

QString MoneyGuards::GetKetCek(const QString& tuj, const QString& kdrs) {
    const DbResult r = ctx_.db.Exec(
        QStringLiteral("SELECT keterangan FROM transaksi where tujuan=? and kode_produk REGEXP "
                       "'^cek' and status='1' and kode_reseller=? and "
                       "TIMESTAMPDIFF(MINUTE,datetime_transaksi,NOW()) < 10 ORDER BY id DESC "
                       "LIMIT 1"),
        {tuj, kdrs});
    return r.IsEmpty() ? QStringLiteral("NC") : r.Text(0, QStringLiteral("keterangan"));
}

QString MoneyGuards::GetNominalTagihan(const QString& text) {
    // Digits grouped by thousands with one separator throughout ("150.000", "1,500,000") are
    // one amount; otherwise a run of digits.
    static const QString kAmount =
        QStringLiteral("\\d{1,3}(?<sep>[.,])\\d{3}(?:\\k<sep>\\d{3})*(?!\\d)|\\d+");
    static const QRegularExpression rupiah(
        QStringLiteral("\\brp\\s*[.:]?\\s*(?<amount>") + kAmount + QLatin1Char(')'),
        QRegularExpression::CaseInsensitiveOption);
    // The keyword as a whole word, then the words that follow it.
    static const QRegularExpression keyword(
        QStringLiteral("\\b(?:total|tagihan|tag)((?:\\W+\\w+){1,7})"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression amount(kAmount);
    // A customer or meter number is no bill: a bill has at most 10 digits.
    const auto bill = [](const QString& found) {
        QString digits = found;
        digits.remove(QLatin1Char('.')).remove(QLatin1Char(','));
        digits = digits.trimmed();
        return digits.size() > 10 ? QString() : digits;
    };
    QRegularExpressionMatchIterator it = rupiah.globalMatch(text);
    while (it.hasNext()) {
        const QString digits = bill(it.next().captured(QStringLiteral("amount")));
        if (!digits.isEmpty()) return digits;
    }
    it = keyword.globalMatch(text);
    while (it.hasNext()) {
        QRegularExpressionMatchIterator in = amount.globalMatch(it.next().captured(1));
        while (in.hasNext()) {
            const QString digits = bill(in.next().captured(0));
            if (!digits.isEmpty()) return digits;
        }
    }
    return QString("");
}

bool MoneyGuards::ExecPPOB(const QString& kdrs, const QString& number, const QString& kdProduk,
                           const QString& tuj) {
    bool refusing = false;
    try {
        const QString ket = GetKetCek(tuj, kdrs);
        if (ket == QLatin1String("NC")) return true;
        const qint32 deposit = lookups_.GetDeposit(kdrs);
        const qint64 bill = BillValue(GetNominalTagihan(ket));
        if (deposit > bill) return false;

        refusing = true;
        TellRefusal(number,
                    QStringLiteral("Maaf {SALDO Rp.") + QString::number(deposit) + QLatin1Char('}'),
                    kdProduk, bill, tuj);
        return true;
    } catch (const std::exception& e) {
        GuardFailed(ctx_, QStringLiteral("ExecPPOB"), refusing, true, e);
        return false;
    }
}

bool MoneyGuards::CekDeposit(const QString& number, const QString& kdrs, const QString& kdProduk,
                             const QString& tuj, const QString& terminal, const QString& trxId) {
    // The rebate inside a group price belongs to the pricing of the waiting row, not to this.
    const auto clear = qScopeGuard([this] { prices_.LastRebat = 0; });
    passed_.reset();
    bool refusing = false;
    try {
        qint32 credit = 0;
        const ResellerRecord reseller = prices_.ReadReseller(kdrs, credit);
        const qint32 available = Amounts::Add(Convert::ToInt32(reseller.deposit), credit);
        // Priced as its waiting record will charge it. An unknown reseller has no level: the
        // guard lets the order pass, and the dispatch loop leaves it out.
        const qint32 price = prices_.OrderPrice(kdrs, reseller, kdProduk, terminal, trxId);
        const qint32 rebat = prices_.LastRebat;
        // Orders paid at order time are already out of the deposit.
        const qint32 pending = ctx_.values.DebitAtOrder != 0 ? 0 : AmbilTrxTunggu(kdrs);
        const qint32 owed = Amounts::Add(price, pending);
        if (Amounts::Add(ctx_.values.LimitDeposit, owed) < available) {
            passed_ = Priced{reseller, price, rebat};
            return false;
        }

        refusing = true;
        TellRefusal(number,
                    QStringLiteral("Total TRX Pending {Rp.") + QString::number(owed) +
                        QStringLiteral(" Limit Rp.") + QString::number(ctx_.values.LimitDeposit) +
                        QStringLiteral("}, {SALDO Rp.") + QString::number(available) +
                        QLatin1Char('}'),
                    kdProduk, price, tuj);
        return true;
    } catch (const std::exception& e) {
        GuardFailed(ctx_, QStringLiteral("CekDeposit"), refusing, false, e);
        return false;
    }
}

qint32 MoneyGuards::AmbilTrxTunggu(const QString& kdReseller) {
    try {
        const DbResult r = ctx_.db.Exec(
            QStringLiteral("select sum(harga_beli) AS total from transaksi where status='2' and "
                           "kode_reseller=?"),
            {kdReseller});
        return Amounts::Int32At(r, QStringLiteral("total"));
    } catch (const DbError&) {
        throw;
    } catch (const std::exception&) {
        return 0;
    }
}
