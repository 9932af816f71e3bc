#include "store/Lookups.h"

#include <QEventLoop>
#include <QTimer>

#include "store/Convert.h"
#include "store/Database.h"
#include "store/SettingsKeys.h"
#include "store/SettingsStore.h"
#include "store/TerminalList.h"

Lookups::Lookups(Context ctx, QObject* parent) : QObject(parent), ctx_(ctx) {}

QString Lookups::GetHpReseller(const QString& kodeReseller) {
    const DbResult r = ctx_.db.Exec(
        QStringLiteral("SELECT hp FROM hp_reseller WHERE kode_reseller= ?"), {kodeReseller});
    return r.IsEmpty() ? QString("") : r.Text(0, QStringLiteral("hp"));
}

QString Lookups::GetNamaReseller(const QString& kodeReseller) {
    const DbResult r =
        ctx_.db.Exec(QStringLiteral("SELECT nama_reseller FROM reseller where kode_reseller =?"),
                     {kodeReseller});
    return r.IsEmpty() ? QStringLiteral("NC") : r.Text(0, QStringLiteral("nama_reseller"));
}

QString Lookups::GetResellerField(const QString& kodeReseller, quint8 wantName) {
    const DbResult r = ctx_.db.Exec(QStringLiteral("SELECT * FROM reseller where kode_reseller=?"),
                                    {kodeReseller});
    if (r.IsEmpty()) return QString("");
    return r.Text(
        0, wantName != 0 ? QStringLiteral("nama_reseller") : QStringLiteral("kode_reseller"));
}

qint32 Lookups::GetDeposit(const QString& kodeReseller) {
    const DbResult r = ctx_.db.Exec(
        QStringLiteral("SELECT deposit FROM reseller where kode_reseller= ?"), {kodeReseller});
    return r.IsEmpty() ? 0 : Convert::CheckedInt32(r.Int(0, QStringLiteral("deposit")));
}

void Lookups::SetDeposit(const QString& kodeReseller, qint32 amount) {
    ctx_.db.Exec(QStringLiteral("update reseller set deposit = ? where kode_reseller =?"),
                 {amount, kodeReseller});
}

quint8 Lookups::GetConfigFlag(const QString& kode) {
    const DbResult r = ctx_.db.Exec(
        QStringLiteral("SELECT parsing FROM configuration WHERE  kode= ? and level='11' "), {kode});
    return r.IsEmpty() ? 0 : Convert::ToByte(r.Text(0, QStringLiteral("parsing")));
}

std::optional<QString> Lookups::CekPintar2(const QString& text, qint32 terminal) {
    try {
        const QString keywords =
            ctx_.settings
                .GetSetting(Keys::kAppKzdSql, Keys::kSecSettings,
                            Keys::PerTerminal(Keys::kPintar2, terminal), Keys::kPintar2Default)
                .toLower();
        // Cleared, the list re-routes nothing; an empty item inside a list (";;" or a ";" at
        // the end) still matches every text, as it always has.
        if (keywords.isEmpty()) return std::nullopt;
        for (const QString& keyword : keywords.split(QLatin1Char(';')))
            if (text.contains(keyword)) return keyword;
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

QString Lookups::TerminalsByModul(const QString& modul) {
    const DbResult r =
        ctx_.db.Exec(QStringLiteral("select terminal from terminal where modul=?"), {modul});
    QString list;
    for (int i = 0; i < r.RecordCount(); ++i)
        list += QLatin1Char(';') + QString::number(r.Int(i, QStringLiteral("terminal")));
    return list + QLatin1Char(';');
}

QString Lookups::DischargeTerminals() {
    const DbResult r =
        ctx_.db.Exec(QStringLiteral("SELECT terminal FROM discharge where pengirim ='@#@001-6'"));
    QString list = QStringLiteral(";0");
    if (!r.IsEmpty()) {
        list.clear();
        for (int i = 0; i < r.RecordCount(); ++i)
            list += QLatin1Char(';') + QString::number(r.Int(i, QStringLiteral("terminal")));
    }
    return list.mid(1).trimmed();
}

void Lookups::WaitSeconds(qint32& seconds) {
    if (seconds <= 0) return;
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
}

void Lookups::KirimMonitor(const QString& text) {
    emit MonitorRecord(text);
}

QStringList Lookups::RelvaneTerminals() {
    const DbResult r =
        ctx_.db.Exec(QStringLiteral("select terminal from terminal where modul='Relvane'"));
    QStringList list;
    for (int i = 0; i < r.RecordCount(); ++i) list.append(r.Text(i, QStringLiteral("terminal")));
    return list;
}

QList<qint16> Lookups::ActiveTerminals(const QString& mergedList) {
    QStringList numbers = MergedTerminals(mergedList);
    if (numbers.isEmpty()) numbers.append(QStringLiteral("NULL"));
    const DbResult r = ctx_.db.Exec(
        QStringLiteral(
            "SELECT * FROM terminal where modul='Relvane' and status='1' and terminal in (") +
        numbers.join(QLatin1Char(',')) + QLatin1Char(')'));
    QList<qint16> active;
    for (int i = 0; i < r.RecordCount(); ++i)
        active.append(static_cast<qint16>(r.Int(i, QStringLiteral("terminal"))));
    return active;
}

QString Lookups::CloseMark(qint16 terminal) {
    const DbResult r = ctx_.db.Exec(
        QStringLiteral("SELECT terminal, kode_kelompok FROM terminal WHERE terminal IN (?, 0)"),
        {terminal});
    std::optional<QString> own;
    std::optional<QString> all;
    for (int i = 0; i < r.RecordCount(); ++i) {
        std::optional<QString>& mark = r.Int(i, QStringLiteral("terminal")) == 0 ? all : own;
        if (!mark) mark = r.Text(i, QStringLiteral("kode_kelompok"));
    }
    if (own && *own == QLatin1String("NC")) return *own;
    return all.value_or(QString(""));
}

bool Lookups::IsChatTarget(const QString& account) {
    QVariantList params = {account};
    const QString terminals =
        TerminalCondition(ctx_.values.TerminalList, ctx_.values.TerminalNo, params);
    const DbResult r =
        ctx_.db.Exec(QStringLiteral("SELECT target FROM parsing WHERE target <> '-' AND "
                                    "LOWER(TRIM(SUBSTRING_INDEX(target, '/', 1))) = ? AND ") +
                         terminals + QStringLiteral(" LIMIT 1"),
                     params);
    return !r.IsEmpty();
}

void Lookups::SetSupplierMethod(const QString& code, qint16 terminal) {
    ctx_.db.Exec(QStringLiteral("update parsing set method=? where terminal=?"), {code, terminal});
}
