#include "dispatch/DispatchLoop.h"

#include "chat/ChatSession.h"
#include "chat/MonitorSocket.h"
#include "chat/Output.h"
#include "chat/SendChat.h"
#include "chat/YmQueue.h"
#include "dispatch/Core.h"
#include "settlement/Configuration.h"
#include "store/Database.h"
#include "store/SettingsKeys.h"
#include "store/SettingsStore.h"
#include "store/Stamps.h"

namespace {

// The order's line as the waiting record keeps it (16 bits); a line beyond that is recorded as
// 0 rather than leaving an order that has gone out without its waiting record.
qint16 LineGate(const Job& job) {
    return job.lineGate >= INT16_MIN && job.lineGate <= INT16_MAX
               ? static_cast<qint16>(job.lineGate)
               : 0;
}

bool StartsWithLetter(const QString& text) {
    const QChar first = text.isEmpty() ? QChar() : text.at(0).toLower();
    return first >= QLatin1Char('a') && first <= QLatin1Char('z');
}

}  // namespace

DispatchLoop::DispatchLoop(Core& core, QObject* parent) : QObject(parent), core_(core) {
    tmOut_.setInterval(1000);
    connect(&tmOut_, &QTimer::timeout, this, &DispatchLoop::tmOut_Timer);
}

void DispatchLoop::tmOut_Timer() {
    if (busy_) return;
    busy_ = true;
    try {
        Tick();
    } catch (const std::exception& e) {
        // A failed statement ends the tick; the job stays queued for the next one.
        core_.Log(QStringLiteral("tmOut ") + Describe(e));
    }
    busy_ = false;
}

QString DispatchLoop::TargetOf(const Job& job) const {
    if (StartsWithLetter(job.tujuan)) return job.tujuan;
    if (core_.Values().TerminalList.isEmpty()) return core_.State().LblTarget;
    return core_.Settings().GetSetting(Keys::kAppHbvGate, Keys::kSecSetting,
                                       Keys::PerTerminal(Keys::kServerHbv, job.terminal));
}

bool DispatchLoop::TableProbeFails() {
    static const char* const kColumns[] = {
        "id",           "kode_transaksi", "datetime_sms",  "datetime_transaksi",
        "kode_produk",  "tujuan",         "kode_reseller", "hp_reseller",
        "deposit_awal", "deposit_akhir",  "harga_beli",    "harga_dasar",
        "terminal",     "status",         "keterangan"};
    try {
        const DbResult r =
            core_.Db().Exec(QStringLiteral("SELECT * FROM transaksi_ order by id asc limit 0,1"));
        // An empty table is sound; a missing column is not.
        for (const char* column : kColumns)
            if (!r.Columns().contains(QLatin1String(column), Qt::CaseInsensitive))
                throw DbError(QStringLiteral("Item cannot be found: ") + QLatin1String(column));
        return false;
    } catch (const std::exception& e) {
        core_.Chat().CmdLoginYM_Click();
        core_.Out().SendBox(QStringLiteral("Cek Tabel..."), Describe(e));
        return true;
    }
}

void DispatchLoop::Tick() {
    WindowState& s = core_.State();
    ProcessValues& v = core_.Values();
    if (s.CmdLoginYM != QLatin1String("Log Out")) return;
    s.Set(s.LoginYMImage, 2);

    const std::optional<Job> fetched = core_.Config().FetchJob(v.TerminalNo);
    if (v.BoosterMode == 1) core_.Ym().ProcessSupplierRecv();
    if (!fetched) return;
    const Job& job = *fetched;
    const QString target = TargetOf(job);

    TableProbeFails();

    // The order text goes before the first "@"; what follows names the recipient, whole: a
    // chat account has an "@" of its own.
    const int at = job.pesan.indexOf(QLatin1Char('@'));
    const QString message = at < 0 ? job.pesan : job.pesan.left(at);
    const QString recipient = at < 0 ? target : job.pesan.mid(at + 1);
    const bool booster = v.BoosterMode == 1;
    if ((booster ? target : recipient).isEmpty() || message.isEmpty()) {
        // Nothing to send or nobody to send it to: left alone it would hold up the queue.
        const QString line = QStringLiteral("Trx ") + job.pesan +
                             QStringLiteral(" dibuang, tujuan chat kosong (") + job.kodeReseller +
                             QLatin1Char(')');
        core_.Out().SendBox(QStringLiteral("Info"), line);
        core_.Log(line);
        core_.Config().InsertToOutbox(job.tujuan, job.pesan, 0, job.terminal, job.kodeProduk,
                                      job.kodeReseller);
        core_.Config().DelQueue(job.id);
        return;
    }

    // Not handed over (the chat client could not send it, or the same text still waits in
    // the booster's mailbox): the job stays queued and goes out on a later tick.
    if (booster
            ? !core_.Ym().InsertYmQueue(target, message, QStringLiteral("GetQueue"), job.terminal)
            : !SendChat(core_, message, recipient))
        return;

    const QString route = QString::number(job.terminal) + QStringLiteral("->") + target +
                          QStringLiteral(") TrxID:") + job.trxId;
    core_.Out().ShowMessageBlock(
        QStringLiteral("RLV#") + QString::number(v.TerminalNo) + QStringLiteral(":>(") + route,
        job.hpReseller, job.kodeReseller, job.pesan, NowStamp(), 1);
    core_.Config().InsertToOutbox(job.tujuan, job.pesan, 1, job.terminal, job.kodeProduk,
                                  job.kodeReseller);
    core_.Config().DelQueue(job.id);
    core_.Monitor().SendMonitorRecord(
        QStringLiteral("RLV #") + QString::number(v.TerminalNo) + QStringLiteral(":> (") + route,
        job.hpReseller, job.kodeReseller, job.pesan, NowStamp(), 1);
    if (job.kodeProduk == QLatin1String("-")) return;  // a plain message: nobody waits for it
    core_.Config().ExecuteMenunggu(job.kodeReseller, job.hpReseller, job.kodeProduk, job.tujuan,
                                   LineGate(job), job.terminal, job.trxId);
}
