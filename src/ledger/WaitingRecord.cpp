// The waiting record: an order sent to a supplier (or refused by a guard) is priced for the
// reseller and written as a transaction with status 2, which settlement later finds. After a
// successful sale come the low-deposit warning and the reseller's activity row.
#include "ledger/WaitingRecord.h"

#include <QDate>
#include <QScopeGuard>
#include <cmath>

#include "ledger/Amounts.h"
#include "ledger/Deposits.h"
#include "ledger/Ledger.h"
#include "ledger/MoneyText.h"
#include "ledger/Prices.h"
#include "queue/MessageTables.h"
#include "store/Convert.h"
#include "store/Database.h"
#include "store/Stamps.h"
#include "store/TerminalList.h"

namespace {

// A row that could not be written has its own log line already. It keeps the server's code,
// so that the door still knows whether the unit may run again.
class RowNotWritten : public DbError {
  public:
    using DbError::DbError;
};

// One activity row per reseller: points gathered, first activity, and a note of the last one.
void RecordActivity(Database& db, const QString& kdReseller, double points,
                    const DbResult* resellerLog) {
    const QString now = NowStamp();
    const DbResult r =
        resellerLog != nullptr
            ? *resellerLog
            : db.Exec(
                  QStringLiteral("SELECT id,hit,datetime FROM reseller_log WHERE kode_reseller= ?"),
                  {kdReseller});
    if (r.IsEmpty()) {
        db.Exec(QStringLiteral("insert into reseller_log (hit,kode_reseller,datetime,"
                               "pesan_terakhir,realtimenow)values(?,?,?,?,?)"),
                {std::nearbyint(points), kdReseller, now, now, now});
        return;
    }
    // Calendar days since the first activity; a row the host made without one counts 0.
    const QDate first = QDate::fromString(r.Text(0, QStringLiteral("datetime")).left(10),
                                          QStringLiteral("yyyy-MM-dd"));
    const qint64 days = first.isValid() ? first.daysTo(QDate::currentDate()) : 0;
    const QString note =
        QLatin1Char('<') + now + QStringLiteral(">=[") + QString::number(days) + QLatin1Char(']');
    // Added at the database, so two terminals counting for one reseller lose nothing.
    db.Exec(QStringLiteral("update reseller_log set hit=ROUND(ROUND(hit)+?),pesan_terakhir=?,"
                           "realtimenow=? where id=?"),
            {points, note, now, r.Value(0, QStringLiteral("id"))});
}

}  // namespace

void WaitingRecord::ExecuteMenunggu(const QString& kdReseller, const QString& hpRs,
                                    const QString& kdProduk, const QString& tujuan, qint16 lineGate,
                                    qint16 terminal, const QString& trxId) {
    if (kdProduk == QLatin1String("-") || kdProduk == QLatin1String("-r-")) return;
    try {
        WaitingOrder order =
            PriceWaiting(kdReseller, hpRs, kdProduk, tujuan, lineGate, terminal, trxId);
        WriteWaiting(order);
    } catch (const RowNotWritten&) {
    } catch (const std::exception& e) {
        LogWaitingError(kdReseller, hpRs, kdProduk, tujuan, e);
    }
}

void WaitingRecord::LogWaitingError(const QString& kdReseller, const QString& hpRs,
                                    const QString& kdProduk, const QString& tujuan,
                                    const std::exception& e) {
    ctx_.LogError(QStringLiteral("ExecuteMenunggu KodeProduk=") + kdProduk +
                      QStringLiteral(", Tujuan=") + tujuan + QStringLiteral(",Kode Rs=") +
                      kdReseller + QStringLiteral(", HP RS=") + hpRs + QLatin1Char(','),
                  e);
}

WaitingOrder WaitingRecord::PriceWaiting(const QString& kdReseller, const QString& hpRs,
                                         const QString& kdProduk, const QString& tujuan,
                                         qint16 lineGate, qint16 terminal, const QString& trxId) {
    // The rebate inside the price belongs to this pricing only.
    const auto clear = qScopeGuard([this] { prices_.LastRebat = 0; });
    const ResellerRecord reseller = prices_.ReadReseller(kdReseller);
    // An unknown reseller has no level: pricing raises, and the order gets no waiting row.
    const qint32 harga =
        prices_.OrderPrice(kdReseller, reseller, kdProduk, QString::number(terminal), trxId);
    return PricedWaiting(reseller, harga, prices_.LastRebat, kdReseller, hpRs, kdProduk, tujuan,
                         lineGate, terminal, trxId);
}

WaitingOrder WaitingRecord::PricedWaiting(const ResellerRecord& reseller, qint32 harga,
                                          qint32 rebat, const QString& kdReseller,
                                          const QString& hpRs, const QString& kdProduk,
                                          const QString& tujuan, qint16 lineGate, qint16 terminal,
                                          const QString& trxId) {
    WaitingOrder order;
    order.reseller = reseller;
    // Open-amount products ("?") cost the supplier their amount too.
    const qint32 hargaDasar =
        Amounts::Add(prices_.GetHargaBeli(kdProduk, QString::number(terminal)),
                     Prices::OpenAmount(kdProduk, trxId));
    order.harga = harga;

    TransactionRow& row = order.row;
    row.kodeTransaksi = QString::number(rebat) + QLatin1Char('#') + trxId;
    row.kodeProduk = kdProduk;
    row.tujuan = tujuan;
    row.kodeReseller = kdReseller;
    row.hpReseller = hpRs;
    row.hargaBeli = harga;
    row.hargaDasar = hargaDasar;
    row.lineGate = lineGate;
    row.terminal = terminal;
    row.status = 2;
    row.keterangan = QStringLiteral("Transaksi (") + kdProduk + QLatin1Char('.') + tujuan +
                     QStringLiteral(") Status: MENUNGGU Dari RLV #") + QString::number(terminal);
    return order;
}

void WaitingRecord::WriteWaiting(WaitingOrder& order) {
    // The debit and the row that records it are written together: both or neither. A
    // transaction the server rolled back on a deadlock is run once more by the door.
    ctx_.db.Transaction([&] {
        TransactionRow& row = order.row;
        qint32 awal = Convert::ToInt32(order.reseller.deposit);
        qint32 akhir = awal;
        if (ctx_.values.DebitAtOrder != 0) {
            akhir = deposits_.UpdateDeposit(row.kodeReseller, order.harga, QStringLiteral("-"));
            awal = Amounts::Add(akhir, order.harga);
        }
        row.depositAwal = awal;
        row.depositAkhir = akhir;
        try {
            order.id = ledger_.WriteTransaksi(row);
        } catch (const DbError& e) {
            ledger_.LogTransaksiError(row, e);
            throw RowNotWritten(e.Description(), e.Code());
        } catch (const std::exception& e) {
            ledger_.LogTransaksiError(row, e);
            throw RowNotWritten(Describe(e));
        }
    });
}

// The low-deposit warning after a successful sale: sent every time the new deposit lies in
// the 10,000 just under the configured limit, to resellers without a credit allowance.
void WaitingRecord::CekLimitDeposit(const QString& kdReseller, qint32 deposit,
                                    const QString& hpReseller, const DbResult* resellerLog) {
    const qint32 kredit = prices_.GetDepositKredit(kdReseller, resellerLog);
    const DbResult l = ctx_.db.Exec(
        QStringLiteral("SELECT parsing FROM configuration WHERE kode = 'PeringatanLimitDeposit'"));
    const qint32 limit = l.IsEmpty() ? 0 : Amounts::Int32At(l, QStringLiteral("parsing"));
    if (limit == 0 || kredit != 0) return;
    if (deposit < qint64{limit} - 10000 || deposit > limit) return;

    const DbResult t =
        ctx_.db.Exec(QStringLiteral("SELECT parsing FROM configuration WHERE "
                                    "kode='JawabanPeringatanLimitDeposit' and level='2' "));
    QString pesan = t.IsEmpty() ? QString("") : t.Text(0, QStringLiteral("parsing"));
    pesan.replace(QLatin1String("<deposit>"), FormatRibuan(deposit));
    pesan.replace(QLatin1String("<datetime>"), NowStamp());
    qint16 sender = 0;
    messages_.QueueAdminJob(hpReseller, pesan, sender);
}

std::optional<DbResult> WaitingRecord::ReadResellerLog(const QString& kdReseller) {
    try {
        return ctx_.db.Exec(
            QStringLiteral("SELECT id,hit,datetime,pesan_promo,biaya,deposit_kredit FROM "
                           "reseller_log WHERE kode_reseller= ?"),
            {kdReseller});
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

void WaitingRecord::UpdateResellerLog(const QString& kdReseller, const QString& poin,
                                      const DbResult* resellerLog) {
    try {
        // The leading number of the points text, 0 when it has none; the new total is whole.
        const double points = Convert::Val(poin);
        try {
            RecordActivity(ctx_.db, kdReseller, points, resellerLog);
        } catch (const DbError& e) {
            if (!e.Description().contains(QLatin1String("reseller_log' doesn't exist"))) throw;
            CreateResellerLog();
            RecordActivity(ctx_.db, kdReseller, points, nullptr);
        }
    } catch (const std::exception&) {
        // The activity log is a courtesy: a failure costs the sale nothing.
    }
}

void WaitingRecord::CreateResellerLog() {
    ctx_.db.Exec(
        QStringLiteral("CREATE TABLE IF NOT EXISTS `reseller_log` ("
                       "`id` BIGINT NOT NULL AUTO_INCREMENT, "
                       "`hit` DOUBLE NOT NULL DEFAULT '0', "
                       "`kode_reseller` varchar(60) NULL DEFAULT NULL, "
                       "`datetime` datetime NULL DEFAULT NULL, "
                       "`pesan_terakhir` varchar(250) NULL DEFAULT NULL, "
                       "`deposit_kredit` DOUBLE NOT NULL DEFAULT '0', "
                       "`pesan_promo` varchar(160) NOT NULL DEFAULT 'OFF', "
                       "`biaya` FLOAT(12) NOT NULL DEFAULT '0', "
                       "`realtimenow` datetime NULL DEFAULT NULL, "
                       "PRIMARY KEY (`id`), UNIQUE KEY `id` (`id`), KEY `id_2` (`id`)"
                       ") ENGINE=InnoDB DEFAULT CHARSET=utf8"));
}

void WaitingRecord::CheckTable() {
    static const char* const kColumns[] = {
        "id",           "kode_transaksi", "datetime_sms",  "datetime_transaksi",
        "kode_produk",  "tujuan",         "kode_reseller", "hp_reseller",
        "deposit_awal", "deposit_akhir",  "harga_beli",    "harga_dasar",
        "terminal",     "status",         "keterangan"};
    const DbResult r =
        ctx_.db.Exec(QStringLiteral("SELECT * FROM transaksi_ order by id asc limit 0,1"));
    for (const char* column : kColumns)
        if (!r.Columns().contains(QLatin1String(column), Qt::CaseInsensitive))
            throw DbError(QStringLiteral("Item cannot be found: ") + QLatin1String(column));
}

qint64 WaitingRecord::WaitingToday(qint16 terminal) {
    const DayRange today = TodayRange();
    QVariantList params;
    const QString filter = TerminalCondition(ctx_.values.TerminalList, terminal, params);
    params << today.from << today.to;
    const DbResult r =
        ctx_.db.Exec(QStringLiteral("SELECT COUNT(*) AS n FROM transaksi WHERE status='2' and ") +
                         filter + QStringLiteral(" and datetime_transaksi between ? and ?"),
                     params);
    return r.Int(0, QStringLiteral("n"));
}
