#include "queue/SenderSelection.h"

#include "queue/JobQueue.h"
#include "store/Convert.h"
#include "store/Database.h"
#include "store/Errors.h"
#include "store/SettingsKeys.h"
#include "store/SettingsStore.h"

namespace {

const QString kHubvane = QStringLiteral("Hubvane");
const QString kYm = QStringLiteral("YM");
const QString kSms = QStringLiteral("SMS");

struct ChannelRule {
    const char* marker;  // contained in the upper-cased destination
    const char* code;
    int number;  // the "ValueTerminal #" value of the terminals serving the channel
};

// First match wins, in this order.
constexpr ChannelRule kChannels[] = {
    {"@IRC", "IRC", 2}, {"@GTK", "GTK", 1}, {"@JBR", "JBR", 4}, {"@XML", "XML", 3},
    {"@P2P", "P2P", 5}, {"@WA", "WA", 6},   {"@WEB", "WEB", 7}, {"@APK", "APK", 8},
};
constexpr int kYmNumber = 0;

int ChannelNumber(const QString& code) {
    if (code == kYm) return kYmNumber;
    for (const ChannelRule& rule : kChannels)
        if (code == QLatin1String(rule.code)) return rule.number;
    return -1;
}

// Replaces whole ";"-separated items equal to `from` by `to`.
QString ReplaceItem(const QString& list, const QString& from, const QString& to) {
    QStringList items = list.split(QLatin1Char(';'));
    for (QString& item : items)
        if (item == from) item = to;
    return items.join(QLatin1Char(';'));
}

}  // namespace

std::pair<QString, QString> SenderSelection::Channel(const QString& destination,
                                                     bool senderCenterOn) {
    for (const ChannelRule& rule : kChannels)
        if (destination.contains(QLatin1String(rule.marker)))
            return {kHubvane, QLatin1String(rule.code)};
    const QChar first = destination.isEmpty() ? QChar() : destination.at(0).toLower();
    if (first >= QLatin1Char('a') && first <= QLatin1Char('z')) return {kHubvane, kYm};
    return {senderCenterOn ? QStringLiteral("SMS Center") : QStringLiteral("SMS Sender"), kSms};
}

QString SenderSelection::TSender(const QString& mNumber) {
    try {
        const DbResult r = ctx_.db.Exec(
            QStringLiteral("SELECT hp FROM hp_reseller WHERE kode_reseller= ?"), {mNumber});
        QString d = r.IsEmpty() ? QString("") : r.Text(0, QStringLiteral("hp"));
        if (d.isEmpty()) d = mNumber;
        const auto [modul, channel] = Channel(d.toUpper(), ctx_.values.SenderCenterOn);
        return AntrianTerkecil(modul, channel, mNumber);
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("TSender "), e);
        return QStringLiteral("0");
    }
}

QString SenderSelection::CariTerminal(const QString& modul, const QString& channel,
                                      const QString& mNumber) {
    try {
        // Ordered by number so that the first candidate, which the fallback prefers, is
        // always the same one.
        const DbResult rows = ctx_.db.Exec(
            QStringLiteral("SELECT terminal FROM terminal WHERE modul= ? ORDER BY terminal"),
            {modul});
        const QString special = CariTerminalKhusus(mNumber);
        const int wanted = ChannelNumber(channel);
        QString list;
        for (int i = 0; i < rows.RecordCount(); ++i) {
            const QString t = rows.Text(i, QStringLiteral("terminal"));
            const quint8 v = Convert::ToByte(ctx_.settings.GetSetting(
                Keys::kAppKzdSql, Keys::kSecNxEngineMedia,
                QString::fromUtf8(Keys::kValueTerminal) + t, Keys::kValueTerminalSenderDefault));
            const bool candidate = (modul == kHubvane && v == wanted) || channel == kSms;
            if (candidate)
                list += QLatin1Char(';') + (special != QLatin1String("NC") ? special : t);
            if (modul == kHubvane && channel == kYm) {
                const QString center = ctx_.settings.GetSetting(
                    Keys::kAppNxEngine2018, Keys::kSecHbvSetting,
                    QString::fromUtf8(Keys::kHbvCenterSender) + t, Keys::kNoCenterSender);
                if (center != QLatin1String(Keys::kNoCenterSender))
                    list = ReplaceItem(list, t, center);
            }
        }
        return list.mid(1);
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("CariTerminal "), e);
        return QString("");
    }
}

QString SenderSelection::CariTerminalKhusus(const QString& mNumber) {
    QStringList values = {ctx_.values.ReplayHbv[0]};
    for (int i = 1; i < 3; ++i)
        if (!ctx_.values.ReplayHbv[i].isEmpty()) values.append(ctx_.values.ReplayHbv[i]);
    const QString number = mNumber.toLower();
    for (const QString& item : values.join(QLatin1Char(':')).toLower().split(QLatin1Char(':'))) {
        const QStringList parts = item.split(QLatin1Char('/'));
        // An item without "/" ends the search, as it always has.
        if (parts.size() < 2) return QStringLiteral("NC");
        if (number.contains(parts[1])) return parts[0];
    }
    return QStringLiteral("NC");
}

bool SenderSelection::TerminalAktif(const QString& terminal) {
    return !ctx_.db
                .Exec(QStringLiteral(
                          "SELECT terminal FROM terminal WHERE terminal= ? and status='1'"),
                      {terminal})
                .IsEmpty();
}

QString SenderSelection::AntrianTerkecil(const QString& modul, const QString& channel,
                                         const QString& mNumber) {
    const QString list = CariTerminal(modul, channel, mNumber);
    const QStringList t = list.isEmpty() ? QStringList() : list.split(QLatin1Char(';'));
    QString result;
    try {
        bool firstActive = false;
        for (int i = 0; i < t.size(); ++i) {
            const QString queued = jobs_.CekAntrian(t[i]);
            if (i == 0) firstActive = TerminalAktif(t[0]);
            const bool active = i == 0 ? firstActive : TerminalAktif(t[i]);
            if (active && queued.isEmpty()) return t[i];
            result = (active && !firstActive) ? t[i] : t[0];
        }
        return result;
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("AntrianTerkecil "), e);
        return t.value(0);
    }
}
