#include "chat/Intake.h"

#include "chat/MonitorSocket.h"
#include "chat/Output.h"
#include "dispatch/Core.h"
#include "dispatch/Workers.h"
#include "store/Database.h"
#include "store/SettingsKeys.h"
#include "store/SettingsStore.h"
#include "store/Stamps.h"
#include "store/TerminalList.h"

namespace {
// Longer messages are shown and forwarded, but neither settled nor stored.
constexpr int kMaxSettledLength = 400;
// Replies held while the database is away; beyond this many the newest are only logged.
constexpr int kMaxHeld = 10000;
}  // namespace

Intake::Intake(Core& core, QObject* parent) : QObject(parent), core_(core) {
    heldTimer_.setInterval(1000);
    connect(&heldTimer_, &QTimer::timeout, this, &Intake::TakeHeld);
}

QString Intake::CleanText(const QString& body) {
    QString text = body;
    text.replace(QLatin1Char('|'), QLatin1Char('-'));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text.trimmed();
}

QString Intake::BareAccount(const QString& jid) {
    const int slash = jid.indexOf(QLatin1Char('/'));
    return (slash < 0 ? jid : jid.left(slash)).trimmed().toLower();
}

void Intake::IncomingMessage(const QString& contact, const QString& body) {
    // The contact is the account, without the resource it happens to write from.
    const int slash = contact.indexOf(QLatin1Char('/'));
    txtPm(slash < 0 ? contact : contact.left(slash), CleanText(body) + QLatin1Char('.'));
}

bool Intake::IsIgnoredMessage(const QString& text) const {
    return IsIgnoredMessage(text, core_.Values().IgnoreList);
}

bool Intake::IsIgnoredMessage(const QString& text, const QString& ignoreList) {
    const QString lower = text.toLower();
    // A cleared list ignores nothing; an empty item inside a list (";;", or a ";" at the end)
    // is in every text, as it always has been.
    const QString list = ignoreList.toLower();
    if (list.isEmpty()) return false;
    for (const QString& phrase : list.split(QLatin1Char(';')))
        if (lower.contains(phrase)) return true;
    return false;
}

bool Intake::IsKnownSupplier(const QString& sender) {
    const ProcessValues& v = core_.Values();
    if (v.OpenSettlement) return true;
    const QString who = BareAccount(sender);
    QStringList known = {core_.State().LblTarget};
    known += core_.State().LblTarget2.split(QLatin1Char(';'));
    known += core_.Settings().GetSetting(Keys::kAppHbvGate, Keys::kSecSetting,
                                         Keys::PerTerminal(Keys::kServerHbv, v.TerminalNo));
    for (const QString& t : MergedTerminals(v.TerminalList))
        known += core_.Settings().GetSetting(Keys::kAppHbvGate, Keys::kSecSetting,
                                             QString::fromUtf8(Keys::kServerHbv) + t);
    for (const QString& account : known)
        if (!account.trimmed().isEmpty() && BareAccount(account) == who) return true;
    // A product's chat target counts only on the terminals this instance serves.
    QVariantList params = {who};
    const QString terminals = TerminalCondition(v.TerminalList, v.TerminalNo, params);
    const DbResult r =
        core_.Db().Exec(QStringLiteral("SELECT target FROM parsing WHERE target <> '-' AND "
                                       "LOWER(TRIM(SUBSTRING_INDEX(target, '/', 1))) = ? AND ") +
                            terminals + QStringLiteral(" LIMIT 1"),
                        params);
    return !r.IsEmpty();
}

void Intake::txtPm(const QString& msisdn, const QString& pesan) {
    if (pesan.isEmpty()) return;
    ProcessValues& v = core_.Values();
    QString text = pesan;
    text.replace(QLatin1Char('\''), QLatin1Char('`'));
    core_.Out().ShowMessageBlock(QStringLiteral("RLV Terminal #") + QString::number(v.TerminalNo) +
                                     QLatin1Char(',') + v.TerminalList,
                                 msisdn, msisdn, text, NowStamp(), 2);
    if (!Take(msisdn, text)) Hold(msisdn, text);
}

bool Intake::Take(const QString& msisdn, QString text) {
    ProcessValues& v = core_.Values();
    bool settling = false;
    try {
        const QString service = QStringLiteral("RLV Terminal #") + QString::number(v.TerminalNo);
        const bool supplier = IsKnownSupplier(msisdn);
        settling = true;
        if (text.size() <= kMaxSettledLength) {
            text += QLatin1Char('.');
            if (!IsIgnoredMessage(text)) {
                if (supplier) {
                    if (!Settle(text)) return false;
                } else {
                    const QString line =
                        QStringLiteral("Bukan akun supplier terminal ini, tidak diproses: ") +
                        msisdn;
                    core_.Out().SendBox(QStringLiteral("Info"), line);
                    core_.Log(line);
                }
            }
            core_.Work().messages.InsertToInbox(msisdn, text, 1, v.TerminalNo);
            core_.Monitor().SendMonitorRecord(service, msisdn, msisdn, text, NowStamp(), 2);
            core_.State().idleCounter = -1;
        }
        // Every message, whatever its length or sender, goes past the administrator's rules;
        // only the terminal's own suppliers may switch its products.
        core_.Work().promo.KirimPesanAdm(
            QStringLiteral("Terminal #") + QString::number(v.TerminalNo) + QLatin1Char(' ') + text,
            v.AdminNumber, supplier);
    } catch (const std::exception& e) {
        core_.Log(QStringLiteral("txtPm (") + msisdn + QStringLiteral(") (") + text +
                  QStringLiteral(") ") + Describe(e));
        if (!settling && Database::IsTransient(e)) return false;
    }
    return true;
}

bool Intake::Settle(const QString& text) {
    // A reply that could not be settled stays what it was: the order waiting, the reply
    // stored like every other message. When the database was away and nothing of the
    // settlement was written, the reply is taken again once the database is back.
    Database& db = core_.Db();
    const quint64 commits = db.CommitCount();
    try {
        core_.Work().settlement.ExecuteReplaySupplier(text.toLower(), core_.Values().TerminalNo);
    } catch (const std::exception& e) {
        core_.Log(QStringLiteral("ExecuteReplaySupplier (") + text + QStringLiteral(") ") +
                  Describe(e));
        return !(Database::IsTransient(e) && db.CommitCount() == commits);
    }
    return true;
}

void Intake::Hold(const QString& msisdn, const QString& text) {
    if (held_.size() >= kMaxHeld) {
        core_.Log(QStringLiteral("Balasan tidak bisa ditahan lagi (") + msisdn +
                  QStringLiteral(") ") + text);
        return;
    }
    held_.append({msisdn, text});
    if (!heldTimer_.isActive()) heldTimer_.start();
}

void Intake::TakeHeld() {
    // In the order they came; the first that meets the database still away waits for the
    // next round, and so do the ones behind it.
    while (!held_.isEmpty()) {
        const QPair<QString, QString> reply = held_.takeFirst();
        if (!Take(reply.first, reply.second)) {
            held_.prepend(reply);
            return;
        }
    }
    heldTimer_.stop();
}
