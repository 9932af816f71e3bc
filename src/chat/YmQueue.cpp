#include "chat/YmQueue.h"

#include <QFileInfo>
#include <QProcess>

#include "chat/Intake.h"
#include "chat/Output.h"
#include "dispatch/Core.h"
#include "store/Database.h"
#include "store/SettingsKeys.h"
#include "store/Stamps.h"
#include "store/UtilityComponent.h"

namespace {
const QString kRecvHeader = QStringLiteral("id;;tanggal;;msisdn;;pesan;;terminal;;trx_id");
}

YmQueue::YmQueue(Core& core, QObject* parent) : QObject(parent), core_(core) {}

void YmQueue::CheckYmQueue() {
    try {
        const DbResult r =
            core_.Db().Exec(QStringLiteral("SELECT * FROM ym_queue order by id asc limit 0,1"));
        for (const char* column : {"id", "tanggal", "msisdn", "pesan", "terminal", "trx_id"})
            if (!r.Columns().contains(QLatin1String(column), Qt::CaseInsensitive))
                throw DbError(QStringLiteral("ym_queue without ") + QLatin1String(column));
    } catch (const DbError&) {
        CreateYm_queue();
    }
}

void YmQueue::CreateYm_queue() {
    // Created only when missing: queued rows of a table that is there are never dropped.
    try {
        core_.Db().Exec(QStringLiteral(
            "CREATE TABLE IF NOT EXISTS `ym_queue` (`id` BIGINT NOT NULL auto_increment,"
            "`tanggal` datetime NOT NULL DEFAULT '0000-00-00 00:00:00',"
            "`msisdn` varchar(100) DEFAULT '-',"
            "`pesan` varchar(160) NOT NULL DEFAULT '',"
            "`terminal` smallint(3) unsigned DEFAULT '0',"
            "`trx_id` varchar(50) DEFAULT '0',"
            "PRIMARY KEY (`id`),"
            "UNIQUE KEY id (`id`),"
            "KEY id_2 (`id`))"));
    } catch (const std::exception& e) {
        core_.Out().MessageBox(QStringLiteral("Informasi"),
                               QStringLiteral("CreateYm_queue ") + Describe(e));
    }
}

bool YmQueue::Fits(const QString& msisdn, const QString& pesan) {
    return msisdn.size() <= kMsisdnLength && pesan.size() <= kPesanLength;
}

bool YmQueue::InsertYmQueue(const QString& msisdn, const QString& pesan, const QString& trxId,
                            qint16 terminal) {
    const QString enc = UtilityComponent::Encode(pesan, Keys::kYmQueueKey);
    const DbResult dup =
        core_.Db().Exec(QStringLiteral("SELECT id FROM ym_queue where terminal =? and pesan=? and "
                                       "trx_id='GetQueue'"),
                        {terminal, enc});
    if (!dup.IsEmpty()) {
        const QString text = QStringLiteral("Duplicate Detected :") + pesan;
        core_.Out().SendBox(QStringLiteral("Info"), text);
        core_.Log(text);
        return false;
    }
    core_.Db().Exec(QStringLiteral("insert into ym_queue(tanggal, msisdn, pesan, terminal, trx_id)"
                                   "values(?,?,?,?,?)"),
                    {NowStamp(), msisdn, enc, terminal, trxId});
    return true;
}

void YmQueue::DelPesanExpired() {
    try {
        core_.Db().Exec(
            QStringLiteral("DELETE from ym_queue where trx_id='GetQueue' and tanggal <= "
                           "DATE_SUB(CURDATE(),INTERVAL 0 DAY)"));
    } catch (const std::exception& e) {
        core_.Out().SendBox(QStringLiteral("Info"),
                            QStringLiteral("DelPesanExpired ") + Describe(e));
    }
}

void YmQueue::ProcessSupplierRecv() {
    const DbResult r =
        core_.Db().Exec(QStringLiteral("SELECT * FROM ym_queue where terminal =? and "
                                       "trx_id='GetSupplierRecv' ORDER BY id ASC LIMIT 1"),
                        {core_.Values().TerminalNo});
    if (r.IsEmpty()) return;
    const QString record =
        QStringList{
            r.Text(0, "id"),       r.Text(0, "tanggal"),
            r.Text(0, "msisdn"),   UtilityComponent::Decode(r.Text(0, "pesan"), Keys::kYmQueueKey),
            r.Text(0, "terminal"), r.Text(0, "trx_id")}
            .join(QStringLiteral(";;"));
    if (record == kRecvHeader) return;
    const QStringList f = record.split(QStringLiteral(";;"));
    core_.In().txtPm(f.value(2), f.value(3));
    core_.Db().Exec(QStringLiteral("DELETE from ym_queue where id=?"), {f.value(0)});
    // Further copies of the same received message, as stored (encoded): only this terminal's
    // received rows, never an outgoing row or another terminal's.
    core_.Db().Exec(QStringLiteral("DELETE from ym_queue where terminal =? and "
                                   "trx_id='GetSupplierRecv' and pesan=?"),
                    {core_.Values().TerminalNo, r.Text(0, "pesan")});
}

void YmQueue::StartBooster() {
    const ProcessValues& v = core_.Values();
#ifdef Q_OS_WIN
    const QString program = core_.Util().ProgramFile(QStringLiteral("xmpp.exe"));
#else
    const QString program = core_.Util().ProgramFile(QStringLiteral("xmpp"));
#endif
    const QStringList args = {QString::number(v.TerminalNo),
                              QStringLiteral("RLV"),
                              v.DatabasePassword,
                              v.DatabaseName,
                              core_.State().ID,
                              core_.State().Pass};
    if (!QFileInfo(program).isExecutable() ||
        !QProcess::startDetached(program, args, core_.Util().ProgramFolder())) {
        const QString line = QStringLiteral("Boster tidak bisa dijalankan: ") + program;
        core_.Out().SendBox(QStringLiteral("Service"), line);
        core_.Log(line);
    }
}
