#include "chat/YmQueue.h"

#include <QFileInfo>
#include <QProcess>

#include "chat/PasswordScramble.h"
#include "store/Database.h"
#include "store/Output.h"
#include "store/SettingsKeys.h"
#include "store/Stamps.h"
#include "store/UtilityComponent.h"

YmQueue::YmQueue(Context ctx, Output& out, QObject* parent)
    : QObject(parent), ctx_(ctx), out_(out) {}

void YmQueue::CheckYmQueue() {
    try {
        const DbResult r =
            ctx_.db.Exec(QStringLiteral("SELECT * FROM ym_queue order by id asc limit 0,1"));
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
        ctx_.db.Exec(QStringLiteral(
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
        out_.MessageBox(QStringLiteral("Informasi"),
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
        ctx_.db.Exec(QStringLiteral("SELECT id FROM ym_queue where terminal =? and pesan=? and "
                                    "trx_id='GetQueue'"),
                     {terminal, enc});
    if (!dup.IsEmpty()) {
        const QString text = QStringLiteral("Duplicate Detected :") + pesan;
        out_.SendBox(QStringLiteral("Info"), text);
        ctx_.Log(text);
        return false;
    }
    ctx_.db.Exec(QStringLiteral("insert into ym_queue(tanggal, msisdn, pesan, terminal, trx_id)"
                                "values(?,?,?,?,?)"),
                 {NowStamp(), msisdn, enc, terminal, trxId});
    return true;
}

void YmQueue::DelPesanExpired() {
    try {
        ctx_.db.Exec(
            QStringLiteral("DELETE from ym_queue where trx_id='GetQueue' and tanggal <= "
                           "DATE_SUB(CURDATE(),INTERVAL 0 DAY)"));
    } catch (const std::exception& e) {
        out_.SendBox(QStringLiteral("Info"), QStringLiteral("DelPesanExpired ") + Describe(e));
    }
}

void YmQueue::ProcessSupplierRecv() {
    const DbResult r =
        ctx_.db.Exec(QStringLiteral("SELECT * FROM ym_queue where terminal =? and "
                                    "trx_id='GetSupplierRecv' ORDER BY id ASC LIMIT 1"),
                     {ctx_.values.TerminalNo});
    if (r.IsEmpty()) return;
    const qint64 id = r.Int(0, "id");
    if (id != takenId_) {
        bool taken = true;
        emit RowReceived(r.Text(0, "msisdn"),
                         UtilityComponent::Decode(r.Text(0, "pesan"), Keys::kYmQueueKey), &taken);
        if (!taken) return;
        takenId_ = id;
    }
    // The row with further copies of the same received message, as stored (encoded): only
    // this terminal's received rows, never an outgoing row or another terminal's. One
    // statement, so that no copy is left behind to be taken in again.
    ctx_.db.Exec(QStringLiteral("DELETE from ym_queue where id=? or (terminal =? and "
                                "trx_id='GetSupplierRecv' and pesan=?)"),
                 {id, ctx_.values.TerminalNo, r.Text(0, "pesan")});
    takenId_ = 0;
}

void YmQueue::StartBooster() {
    const ProcessValues& v = ctx_.values;
#ifdef Q_OS_WIN
    const QString program = ctx_.util.ProgramFile(QStringLiteral("xmpp.exe"));
#else
    const QString program = ctx_.util.ProgramFile(QStringLiteral("xmpp"));
#endif
    const QStringList args = {QString::number(v.TerminalNo),
                              QStringLiteral("RLV"),
                              v.DatabasePassword,
                              v.DatabaseName,
                              v.ID,
                              PasswordScramble::UnscrambleText(v.PwdHbv, Keys::kPasswordKey)};
    if (!QFileInfo(program).isExecutable() ||
        !QProcess::startDetached(program, args, ctx_.util.ProgramFolder())) {
        const QString line = QStringLiteral("Boster tidak bisa dijalankan: ") + program;
        out_.SendBox(QStringLiteral("Service"), line);
        ctx_.Log(line);
    }
}
