// Settlement of a supplier reply. The reply is matched to the oldest waiting order it speaks
// of, classified by its first keyword, and the order is closed in one database transaction:
// the deposit movement, the row, the rebates and their ledger entries, the fee, the reseller's
// message and, for a re-routed failure, the new job. The bill data and the purchase price taken
// from a success reply are written in that transaction too, each as a step whose failure is
// only logged. The follow-up work whose failures are only logged (stock, promo, deposit
// warning, activity log) runs after the commit, so it can neither undo nor half-do a
// settlement.
#include "settlement/Settlement.h"

#include "ledger/Amounts.h"
#include "ledger/Deposits.h"
#include "ledger/Ledger.h"
#include "ledger/Prices.h"
#include "ledger/Rebates.h"
#include "ledger/WaitingRecord.h"
#include "queue/MessageTables.h"
#include "routing/Rerouting.h"
#include "settlement/BillCapture.h"
#include "settlement/PriceUpdate.h"
#include "settlement/PromoAndNotices.h"
#include "settlement/ReplyClassifier.h"
#include "settlement/SettlementMessage.h"
#include "store/Database.h"
#include "store/Lookups.h"
#include "store/SettingsKeys.h"
#include "store/SettingsStore.h"
#include "store/Stamps.h"
#include "store/TerminalList.h"

namespace {

// The order was settled by someone else (a second reply, another instance) since it was listed.
class NotWaiting : public RelvaneError {
  public:
    using RelvaneError::RelvaneError;
};

// The success reply has settled an order already: it comes a second time.
class AlreadySettled : public RelvaneError {
  public:
    using RelvaneError::RelvaneError;
};

}  // namespace

void Settlement::ExecuteReplaySupplier(const QString& text, qint16 terminal) {
    // An order another instance settled while this one matched it: the reply looks once more,
    // among the orders still waiting, for the one it speaks of.
    if (SettleFirstMatch(text, terminal) == Outcome::Lost) SettleFirstMatch(text, terminal);
}

Settlement::Outcome Settlement::SettleFirstMatch(const QString& text, qint16 terminal) {
    const QList<SettlementRows::Pending> pending = w_.rows.GetTrxPending(terminal);
    // The keywords do not depend on the order: the first one in the reply decides for all.
    bool classified = false;
    ReplyClassifier::Verdict verdict;
    for (const SettlementRows::Pending& entry : pending) {
        if (!Matches(entry, text)) continue;
        if (!classified) {
            verdict = w_.classifier.Classify(text);
            classified = true;
        }
        if (verdict.kind == ReplyClassifier::Kind::NoKeyword) continue;
        if (verdict.kind == ReplyClassifier::Kind::Dropped) return Outcome::Done;
        return Settle(entry, verdict.templ, verdict.kind == ReplyClassifier::Kind::Success, text,
                      terminal);
    }
    return Outcome::Done;
}

void Settlement::SettleRefusal(qint64 id, const QString& text, qint16 terminal) {
    SettlementRows::Pending entry;
    entry.id = id;
    Settle(entry, w_.classifier.FailureTemplate(text), false, text, terminal);
}

bool Settlement::Matches(const SettlementRows::Pending& entry, const QString& text) {
    // An empty search text is in every reply: it would settle some other order.
    const QString wanted = ctx_.values.TrxIdMatching ? entry.kode : entry.tujuan.mid(1);
    if (!wanted.isEmpty() && text.contains(wanted)) return true;
    const QString msisdn = w_.bills.GetMsisdnE2E(entry.tujuan);
    return !msisdn.isEmpty() && text.contains(msisdn);
}

Settlement::Outcome Settlement::Settle(const SettlementRows::Pending& entry, const QString& templ,
                                       bool success, const QString& text, qint16 terminal) {
    Reply r;
    r.entry = entry;
    r.text = text;
    r.terminal = terminal;
    r.templ = templ;
    SettlementRows::Product product;
    const std::optional<TransactionRow> rec = w_.rows.GetDataTrx(entry.id, product);
    if (!rec)
        throw RelvaneError(QStringLiteral("transaksi ") + QString::number(entry.id) +
                           QStringLiteral(" tidak ada"));
    r.rec = *rec;
    r.stok = ctx_.util.StockFromReply(text, r.rec.terminal);
    r.sn = ctx_.util.SnFromReply(text, r.rec.terminal).toUpper();
    r.source = static_cast<qint16>(UtilityComponent::SourceTerminal(r.rec.kodeTransaksi));
    // The reseller's and the product's rows are read once here (the product's with the order's
    // row); the price, the rebates and the reply message take what they need from them.
    r.reseller = w_.prices.ReadReseller(r.rec.kodeReseller);
    r.nama = r.reseller.exists ? r.reseller.namaReseller : QString("");
    r.namaProduk = product.namaProduk;
    r.tipeProduk = product.tipe;
    try {
        if (success)
            SettleSuccess(r);
        else
            SettleFailure(r);
    } catch (const NotWaiting& e) {
        ctx_.util.WriteLog(ctx_.values.TerminalName,
                           QStringLiteral("ExecuteReplaySupplier ") + e.Description());
        return Outcome::Lost;
    } catch (const AlreadySettled& e) {
        ctx_.util.WriteLog(ctx_.values.TerminalName,
                           QStringLiteral("ExecuteReplaySupplier ") + e.Description());
    }
    return Outcome::Done;
}

void Settlement::CheckNotSettledBefore(const Reply& r) {
    if (r.sn.isEmpty()) return;
    // Any success the same reply could have settled: today's and the last 12 hours' orders of
    // the terminals whose replies this instance settles.
    QVariantList params = {r.rec.tujuan,
                           ctx_.db.Fit(QStringLiteral("transaksi"), QStringLiteral("sn"), r.sn),
                           r.entry.id, TodayRange().from};
    const QString where = TerminalCondition(ctx_.values.TerminalList, r.terminal, params);
    const DbResult done = ctx_.db.Exec(
        QStringLiteral("SELECT id FROM transaksi WHERE status='1' AND tujuan=? AND sn=? AND "
                       "id<>? AND datetime_transaksi >= LEAST(CAST(? AS DATETIME), NOW() - "
                       "INTERVAL 13 HOUR) AND ") +
            where + QStringLiteral(" ORDER BY id DESC LIMIT 1"),
        params);
    if (done.IsEmpty()) return;
    throw AlreadySettled(QStringLiteral("balasan sukses SN ") + r.sn + QStringLiteral(" untuk ") +
                         r.rec.tujuan + QStringLiteral(" sudah menyelesaikan transaksi ") +
                         done.Text(0, QStringLiteral("id")) +
                         QStringLiteral(", tidak diproses lagi (transaksi ") +
                         QString::number(r.entry.id) + QStringLiteral(" tetap menunggu)"));
}

void Settlement::SettleSuccess(Reply& r) {
    const TransactionRow& rec = r.rec;
    const QString ownTerminal = QString::number(r.terminal);
    const auto settled = [&] { return LeftWaiting(r.entry.id); };
    ctx_.db.Transaction(
        [&] {
            LockWaiting(r.entry.id);
            CheckNotSettledBefore(r);
            // Bill data and the purchase price come from the reply before the reseller is charged;
            // they are written with the settlement or not at all.
            w_.bills.GetHrgPPOB(r.text, QString::number(rec.terminal), rec.tujuan);
            r.bill = w_.bills.GetHrgPLN(rec.tujuan);
            w_.priceUpdate.SetUpHarga(r.text, rec.kodeProduk, ownTerminal,
                                      QString::number(r.entry.id));
            // The terminal's selling price as SetUpHarga read it, when it left the row alone.
            const std::optional<QString> sold = w_.priceUpdate.SellingPriceRead();
            const qint32 hargaJual =
                sold ? Convert::ToInt32(*sold)
                     : w_.prices.GetHargaJualParsing(rec.kodeProduk, ownTerminal);
            // The rebates below take the chain and the group's row the price was read from.
            std::optional<Prices::GroupReading> group;
            const auto resellerPrice = [&] {
                Prices::GroupReading reading;
                const qint32 price = w_.prices.GetHargaReseller(
                    rec.kodeReseller, r.reseller, rec.kodeProduk, r.terminal, &reading);
                if (reading.complete) group = reading;
                return price;
            };
            r.price = rec.hargaBeli;
            if (ctx_.values.DebitAtOrder == 0) {
                if (hargaJual > 0) r.price = resellerPrice();
                r.after = w_.deposits.UpdateDeposit(rec.kodeReseller, r.price, QStringLiteral("-"));
            } else if (hargaJual < 1) {
                r.after = w_.deposits.UpdateDeposit(rec.kodeReseller, 0, QStringLiteral("-"));
            } else {
                w_.deposits.UpdateDeposit(rec.kodeReseller, rec.hargaBeli, QStringLiteral("+"));
                r.price = resellerPrice();
                r.after = w_.deposits.UpdateDeposit(rec.kodeReseller, r.price, QStringLiteral("-"));
            }
            r.before = Amounts::Add(r.price, r.after);
            w_.rebates.ProsesRebat(rec.kodeReseller, r.reseller, rec.kodeProduk,
                                   Convert::ToByte(r.tipeProduk), group ? &*group : nullptr);
            w_.rows.UpdateTrxMenunggu(r.before, r.after, 1, r.text, r.entry.id, r.nama, r.sn,
                                      r.price, r.stok);
            // The adopted prices never outlive the settlement that adopted them.
            w_.priceUpdate.SetNormalkanHrgParsing(rec.kodeProduk, QString::number(rec.terminal));
            QueueToReseller(r, w_.message.FillMessage(r, true));
            if (r.source == 0)
                w_.ledger.Biaya(rec.kodeReseller, 0, QStringLiteral("TransaksiMasuk"));
        },
        settled);

    // The order is settled: what follows only logs its failures, each on its own.
    w_.rows.KurangiStok(rec.kodeProduk, rec.terminal, r.stok);
    // The three steps below read the reseller's activity row once; the steps write nothing to
    // it before the last one. Unreadable, each reads it (and meets the failure) on its own.
    const std::optional<DbResult> log = w_.waiting.ReadResellerLog(rec.kodeReseller);
    const DbResult* resellerLog = log ? &*log : nullptr;
    FollowUp(QStringLiteral("FiturPromo "), [&] {
        w_.promo.FiturPromo(rec.tujuan, r.namaProduk, rec.kodeReseller, r.text,
                            QString::number(rec.terminal), rec.hpReseller, resellerLog);
    });
    FollowUp(QStringLiteral("CekLimitDeposit "), [&] {
        w_.waiting.CekLimitDeposit(rec.kodeReseller, r.after, rec.hpReseller, resellerLog);
    });
    FollowUp(QStringLiteral("UpdateResellerLog "), [&] {
        w_.waiting.UpdateResellerLog(rec.kodeReseller, r.namaProduk.section(QLatin1Char(')'), 0, 0),
                                     resellerLog);
    });
}

void Settlement::FollowUp(const QString& routine, const std::function<void()>& step) {
    try {
        step();
    } catch (const std::exception& e) {
        ctx_.LogError(routine, e);
    }
}

void Settlement::SettleFailure(Reply& r) {
    const TransactionRow& rec = r.rec;
    const auto settled = [&] { return LeftWaiting(r.entry.id); };
    ctx_.db.Transaction(
        [&] {
            LockWaiting(r.entry.id);
            r.price = rec.hargaBeli;
            r.after = ctx_.values.DebitAtOrder != 0
                          ? w_.deposits.UpdateDeposit(rec.kodeReseller, rec.hargaBeli,
                                                      QStringLiteral("+"))
                          : w_.deposits.UpdateDeposit(rec.kodeReseller, 0, QStringLiteral("-"));
            r.before = Amounts::Sub(r.after, rec.hargaBeli);
            w_.rows.UpdateTrxMenunggu(r.before, r.after, 0, r.text, r.entry.id, r.nama, r.sn,
                                      rec.hargaBeli, r.stok);
            const QString message = w_.message.FillMessage(r, false);
            const QString tag = QLatin1Char('{') + QString::number(rec.terminal);

            // Re-routing is read per failure, for the terminal that carried the order.
            const bool pintar =
                Convert::Val(ctx_.settings.GetSetting(
                    Keys::kAppKzdSql, Keys::kSecSettings,
                    Keys::PerTerminal(Keys::kPintar, rec.terminal), Keys::kPintarDefault)) == 1;
            const std::optional<QString> keyword =
                pintar ? w_.lookups.CekPintar2(r.text, rec.terminal) : std::nullopt;
            if (keyword) {
                // The failure just written counts: more than one means it failed before today.
                if (w_.rows.GetTrxGagal(rec.kodeProduk, rec.tujuan, rec.terminal) > 1) {
                    QueueToReseller(r, tag + QStringLiteral(":3} ") + message);
                    return;
                }
                w_.rerouting.Pintar(rec.kodeReseller, rec.hpReseller, rec.kodeProduk, rec.tujuan,
                                    rec.terminal, r.text, r.entry.id, *keyword, r.source,
                                    rec.kodeTransaksi);
                return;
            }
            QueueToReseller(
                r, tag + (pintar ? QStringLiteral(":F} ") : QStringLiteral(":0} ")) + message);
        },
        settled);
}

bool Settlement::LeftWaiting(qint64 id) {
    const DbResult r =
        ctx_.db.Exec(QStringLiteral("SELECT status FROM transaksi WHERE id = ?"), {id});
    return r.IsEmpty() || r.Text(0, QStringLiteral("status")) != QLatin1String("2");
}

void Settlement::LockWaiting(qint64 id) {
    const DbResult r =
        ctx_.db.Exec(QStringLiteral("SELECT status FROM transaksi WHERE id = ? FOR UPDATE"), {id});
    if (r.IsEmpty() || r.Text(0, QStringLiteral("status")) != QLatin1String("2"))
        throw NotWaiting(QString::number(id) + QStringLiteral(" sudah tidak menunggu"));
}

void Settlement::QueueToReseller(const Reply& r, const QString& message) {
    qint16 sender = r.source;
    w_.messages.QueueAdminJob(r.rec.hpReseller, message, sender);
}
