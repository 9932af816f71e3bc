#include "dispatch/Intake.h"

#include "queue/MessageTables.h"
#include "settlement/PromoAndNotices.h"
#include "settlement/Settlement.h"
#include "store/Database.h"
#include "store/Lookups.h"
#include "store/MonitorFeed.h"
#include "store/Output.h"
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

Intake::Intake(Context ctx, Output& out, MonitorFeed& monitor, Collaborators with, QObject* parent)
    : QObject(parent),
      ctx_(ctx),
      out_(out),
      monitor_(monitor),
      w_(with),
      journal_(ctx.util, ctx.values) {
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
    txtPm(contact, CleanText(body) + QLatin1Char('.'));
}

bool Intake::IsIgnoredMessage(const QString& text) const {
    return IsIgnoredMessage(text, ctx_.values.IgnoreList);
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
    const ProcessValues& v = ctx_.values;
    if (v.OpenSettlement) return true;
    const QString who = BareAccount(sender);
    QStringList known = {v.LblTarget};
    known += v.LblTarget2.split(QLatin1Char(';'));
    known += ctx_.settings.GetSetting(Keys::kAppHbvGate, Keys::kSecSetting,
                                      Keys::PerTerminal(Keys::kServerHbv, v.TerminalNo));
    for (const QString& t : MergedTerminals(v.TerminalList))
        known += ctx_.settings.GetSetting(Keys::kAppHbvGate, Keys::kSecSetting,
                                          QString::fromUtf8(Keys::kServerHbv) + t);
    for (const QString& account : known)
        if (!account.trimmed().isEmpty() && BareAccount(account) == who) return true;
    // A product's chat target counts only on the terminals this instance serves.
    return w_.lookups.IsChatTarget(who);
}

QString Intake::Shown(const QString& msisdn, const QString& pesan) {
    const ProcessValues& v = ctx_.values;
    QString text = pesan;
    text.replace(QLatin1Char('\''), QLatin1Char('`'));
    out_.ShowMessageBlock(QStringLiteral("RLV Terminal #") + QString::number(v.TerminalNo) +
                              QLatin1Char(',') + v.TerminalList,
                          msisdn, msisdn, text, NowStamp(), 2);
    return text;
}

void Intake::txtPm(const QString& msisdn, const QString& pesan) {
    if (pesan.isEmpty()) return;
    const QString text = Shown(msisdn, pesan);
    if (!Take(msisdn, text)) Hold(msisdn, text);
}

void Intake::TakeRow(const QString& msisdn, const QString& pesan, bool* taken) {
    if (pesan.isEmpty()) return;
    *taken = Take(msisdn, Shown(msisdn, pesan));
}

bool Intake::Take(const QString& msisdn, QString text) {
    const ProcessValues& v = ctx_.values;
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
                    out_.SendBox(QStringLiteral("Info"), line);
                    ctx_.Log(line);
                }
            }
            w_.messages.InsertToInbox(msisdn, text, 1, v.TerminalNo);
            monitor_.SendMonitorRecord(service, msisdn, msisdn, text, NowStamp(), 2);
            emit MessageTaken();
        }
        // Every message, whatever its length or sender, goes past the administrator's rules;
        // only the terminal's own suppliers may switch its products.
        w_.promo.KirimPesanAdm(
            QStringLiteral("Terminal #") + QString::number(v.TerminalNo) + QLatin1Char(' ') + text,
            v.AdminNumber, supplier);
    } catch (const std::exception& e) {
        ctx_.Log(QStringLiteral("txtPm (") + msisdn + QStringLiteral(") (") + text +
                 QStringLiteral(") ") + Describe(e));
        if (!settling && Database::IsTransient(e)) return false;
    }
    return true;
}

bool Intake::Settle(const QString& text) {
    // A reply that could not be settled stays what it was: the order waiting, the reply
    // stored like every other message. When the database was away and nothing of the
    // settlement was written, the reply is taken again once the database is back.
    Database& db = ctx_.db;
    const quint64 commits = db.CommitCount();
    try {
        w_.settlement.ExecuteReplaySupplier(text.toLower(), ctx_.values.TerminalNo);
    } catch (const std::exception& e) {
        ctx_.Log(QStringLiteral("ExecuteReplaySupplier (") + text + QStringLiteral(") ") +
                 Describe(e));
        return !(Database::IsTransient(e) && db.CommitCount() == commits);
    }
    return true;
}

void Intake::Hold(const QString& msisdn, const QString& text) {
    if (held_.size() >= kMaxHeld) {
        ctx_.Log(QStringLiteral("Balasan tidak bisa ditahan lagi (") + msisdn +
                 QStringLiteral(") ") + text);
        return;
    }
    // On disk before the terminal goes on: a stop before the database returns loses nothing.
    const ReplyJournal::Reply reply{msisdn, text, QDateTime::currentDateTime()};
    journal_.Append(reply);
    held_.append(reply);
    if (!heldTimer_.isActive()) heldTimer_.start();
}

void Intake::RestoreHeld() {
    held_ = journal_.Load();
    if (held_.isEmpty()) return;
    ctx_.Log(QStringLiteral("Balasan dari jurnal diproses lagi: ") + QString::number(held_.size()));
    heldTimer_.start();
}

void Intake::TakeHeld() {
    // In the order they came; the first that meets the database still away waits for the
    // next round, and so do the ones behind it. A reply leaves the journal once taken.
    while (!held_.isEmpty()) {
        const ReplyJournal::Reply reply = held_.first();
        if (!Take(reply.sender, reply.text)) return;
        held_.removeFirst();
        journal_.Rewrite(held_);
    }
    heldTimer_.stop();
}
