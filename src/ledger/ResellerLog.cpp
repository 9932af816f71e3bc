// One activity row per reseller: points gathered, first activity, and a note of the last one.
#include <QDate>
#include <cmath>

#include "ledger/WaitingRecord.h"
#include "store/Convert.h"
#include "store/Database.h"
#include "store/Stamps.h"

namespace {

void Record(Database& db, const QString& kdReseller, double points) {
    const QString now = NowStamp();
    const DbResult r =
        db.Exec(QStringLiteral("SELECT id,hit,datetime FROM reseller_log WHERE kode_reseller= ?"),
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

void WaitingRecord::UpdateResellerLog(const QString& kdReseller, const QString& poin) {
    try {
        // The leading number of the points text, 0 when it has none; the new total is whole.
        const double points = Convert::Val(poin);
        try {
            Record(ctx_.db, kdReseller, points);
        } catch (const DbError& e) {
            if (!e.Description().contains(QLatin1String("reseller_log' doesn't exist"))) throw;
            CreateResellerLog();
            Record(ctx_.db, kdReseller, points);
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
