// Re-routing of a failed order: the unit of work, the new job or the reseller's message, and
// the routing-table lookup. The choice among the candidates is TerminalChoice's.
#include "routing/Rerouting.h"

#include <QScopeGuard>
#include <QStringList>
#include <algorithm>

#include "queue/MessageTables.h"
#include "routing/TerminalChoice.h"
#include "store/Convert.h"
#include "store/Database.h"
#include "store/Errors.h"
#include "store/ProgramFiles.h"
#include "store/SettingsKeys.h"
#include "store/Stamps.h"

namespace {

const QString kNc = QStringLiteral("NC");
const QString kRuleByTag =
    QStringLiteral("select tujuan from hlr_distribution where nomor_prefik like ?");

// A value embedded in a LIKE pattern matches only itself: a reseller code or a destination
// holding "%" or "_" must not widen the rule it is looked up by.
QString LikeLiteral(const QString& value) {
    QString escaped = value;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    escaped.replace(QLatin1Char('%'), QLatin1String("\\%"));
    escaped.replace(QLatin1Char('_'), QLatin1String("\\_"));
    return escaped;
}

QString TagPattern(const QString& tag) {
    return QStringLiteral("%;") + LikeLiteral(tag) + QStringLiteral(";%");
}

// The denomination as the job's texts carry it; an empty or unreadable field counts as 0.
QString DenomText(const QString& field) {
    return QString::number(Convert::Val(field), 'g', 15);
}

}  // namespace

Rerouting::GuardMove Rerouting::MovesOf(const QString& jobTrxId) {
    GuardMove m;
    const QStringList field = AmbilFieldTrx(jobTrxId, 3).split(QLatin1Char('/'));
    if (field.size() != 2) return m;
    m.moves = std::max(0, field[0].toInt());
    m.cameFrom = static_cast<qint16>(std::clamp(field[1].toInt(), 0, 32767));
    return m;
}

bool Rerouting::Pintar(const QString& member, const QString& number, const QString& kdProduk,
                       const QString& tujuan, qint16 terminal, const QString& text, qint64 idx,
                       const QString& keyword, qint16 terSumber, const QString& trxId,
                       const GuardMove* guard) {
    const bool joined = ctx_.db.InTransaction();
    bool queued = false;
    try {
        // Off first, so that the failing terminal cannot be chosen again for this order.
        ctx_.db.Transaction([&] {
            const bool wasOn = OffParsing(kdProduk, terminal);
            queued = ReulangTrx(member, number, kdProduk, tujuan, text, terSumber, trxId, guard);
            if (idx > 0) CatatPengalihan(idx, text, terminal, keyword);
            // A product that was off (a stock-out, an administrator's rule) stays off.
            if (ctx_.values.OffParsing == 0 && wasOn) ONParsing(kdProduk, terminal);
        });
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("Pintar "), e);
        // The caller's unit must fail whole with the re-route.
        if (joined) throw;
        // The rollback switched the product on again; the setting wants it left off.
        if (ctx_.values.OffParsing != 0) {
            try {
                OffParsing(kdProduk, terminal);
            } catch (const std::exception& again) {
                ctx_.LogError(QStringLiteral("Pintar "), again);
            }
        }
        return false;
    }
    return queued;
}

bool Rerouting::OffParsing(const QString& kdProduk, qint16 terminal) {
    // Only the rows that are on change: how many did tells whether the product was on.
    const DbResult r = ctx_.db.Exec(
        QStringLiteral("update parsing set active='0' where kode_produk=? and terminal=? and "
                       "active='1'"),
        {kdProduk, terminal});
    return r.RowsAffected() > 0;
}

void Rerouting::ONParsing(const QString& kdProduk, qint16 terminal) {
    ctx_.db.Exec(QStringLiteral("update parsing set active='1' where kode_produk=? and terminal=?"),
                 {kdProduk, terminal});
}

bool Rerouting::ReulangTrx(const QString& member, const QString& number, const QString& aProduk,
                           const QString& tujuan, const QString& text, qint16 lineGate,
                           const QString& trxId, const GuardMove* guard) {
    const QString trxid = AmbilFieldTrx(trxId, 1);
    const QString denom = DenomText(AmbilFieldTrx(trxId, 3));
    avoid_ = guard != nullptr ? guard->cameFrom : 0;
    const auto clear = qScopeGuard([this] { avoid_ = 0; });
    const AlihCommand r = CariPerintahAlih(member, aProduk, tujuan);

    const QString msg = IsiPerintahAlih(r, tujuan, trxid, denom);

    if (r.command.isEmpty() || aProduk.isEmpty()) {
        if (guard != nullptr) return false;
        QString pesan = ProgramFiles::ReadOpcode(ctx_.util, Keys::kSecPesan, Keys::kPesan4);
        pesan.replace(QLatin1String("<produk>"), aProduk)
            .replace(QLatin1String("<tujuan>"), tujuan)
            .replace(QLatin1String("<trxid>"), trxid);
        qint16 sender = 0;
        messages_.QueueAdminJob(number, pesan, sender);
        return false;
    }
    QString newTrxId =
        trxid + QLatin1Char('#') + QString::number(lineGate) + QLatin1Char('#') + denom;
    if (guard != nullptr)
        newTrxId += QLatin1Char('#') + QString::number(guard->moves + 1) + QLatin1Char('/') +
                    QString::number(guard->leaving);
    InsertJobAlih(member, number, aProduk, tujuan, msg, lineGate, r.terminal, newTrxId);
    messages_.InsertToInbox(member + QLatin1Char('@') + number, text, 1, ctx_.values.TerminalNo);
    return true;
}

QString Rerouting::IsiPerintahAlih(const AlihCommand& r, const QString& tujuan,
                                   const QString& trxid, const QString& denom) {
    QString msg = QString(r.command).replace(QLatin1String("<tujuan>"), tujuan) + r.suffix;
    msg.replace(QLatin1String("#<n>"), QString("")).replace(QLatin1String("<n>"), QString(""));
    msg.replace(QLatin1String("<trxid>"), trxid).replace(QLatin1String("<?denom>"), denom);
    msg.replace(QLatin1String(".."), QLatin1String("."));
    if (msg.endsWith(QLatin1Char('.'))) msg.chop(1);
    if (msg.startsWith(QLatin1Char('.'))) msg.remove(0, 1);
    return Convert::TrimBlanks(msg);
}

void Rerouting::InsertJobAlih(const QString& member, const QString& number, const QString& aProduk,
                              const QString& tujuan, const QString& msg, qint16 lineGate,
                              qint16 terminal, const QString& trxIdField) {
    const QString table = QStringLiteral("job_quenue");
    auto fit = [&](const char* column, const QString& value) {
        return ctx_.db.Fit(table, QLatin1String(column), value);
    };
    ctx_.db.Exec(QStringLiteral("insert into job_quenue (datetime, kode_produk, tujuan, pesan, "
                                "kode_reseller, hp_reseller, line_gate, terminal, trx_id)"
                                "values(?,?,?,?,?,?,?,?,?)"),
                 {NowStamp(), fit("kode_produk", aProduk), fit("tujuan", tujuan), fit("pesan", msg),
                  fit("kode_reseller", member), fit("hp_reseller", number), lineGate, terminal,
                  fit("trx_id", trxIdField)});
}

void Rerouting::CatatPengalihan(qint64 idx, const QString& text, qint16 terminal,
                                const QString& keyword) {
    const QString note = QStringLiteral("<") + ShortStamp() + QStringLiteral(">AUTO Pengalihan<") +
                         keyword + QStringLiteral(">:{") + text + QStringLiteral("(") +
                         QString::number(terminal) + QStringLiteral(")") + QStringLiteral("}");
    // Only a failed or waiting order is closed here; one that succeeded meanwhile, or is gone,
    // fails the re-route so that its new job is not queued either.
    const DbResult r = ctx_.db.Exec(
        QStringLiteral("update transaksi set status='0', keterangan = ? where id=? and status in "
                       "('0','2')"),
        {ctx_.db.Fit(QStringLiteral("transaksi"), QStringLiteral("keterangan"), note), idx});
    if (r.RowsAffected() == 0)
        throw RelvaneError(QStringLiteral("no failed or waiting transaction with id %1").arg(idx));
}

QString Rerouting::AmbilFieldTrx(const QString& trxId, int field) {
    return trxId.split(QLatin1Char('#')).value(field);
}

Rerouting::AlihCommand Rerouting::CariPerintahAlih(const QString& member, const QString& aProduk,
                                                   const QString& tujuan) {
    const QString list = CariTujuanHLR(member, tujuan);
    QString chosen;
    if (list != kNc) {
        switch (ctx_.values.Prioritas) {
            case 1:
                chosen = choice_.PilihTerminalTersepi(aProduk, list, avoid_);
                break;
            case 2:
                chosen = choice_.PilihTerminalPrioritas(aProduk, list, avoid_);
                break;
            default:
                chosen = choice_.RandomTerminalAlih(aProduk, list, avoid_);
        }
    } else {
        chosen = choice_.PilihTerminalProduk(aProduk, avoid_);
    }

    AlihCommand r;
    const std::optional<int> t = TerminalChoice::TerminalNumber(chosen);
    if (!t || (avoid_ != 0 && *t == avoid_)) return r;
    const DbResult p = ctx_.db.Exec(QStringLiteral("select * from parsing where kode_produk=? and "
                                                   "terminal=? and active='1' ORDER BY id ASC"),
                                    {aProduk, *t});
    if (p.IsEmpty()) return r;
    r.command = p.Text(0, QStringLiteral("cmd"));
    r.terminal = Convert::ToInt16(p.Text(0, QStringLiteral("terminal")));
    const QString target = p.Text(0, QStringLiteral("target"));
    if (target != QLatin1String("-")) r.suffix = QLatin1Char('@') + target;
    return r;
}

QString Rerouting::CariTujuanHLR(const QString& member, const QString& tujuan) {
    // With the filter off whatever the table says is not used, so it is not read at all.
    if (!ctx_.values.FilterOn) return kNc;

    const QString byAddress = CariHLRAlamat(member);
    if (byAddress != kNc) return byAddress;

    auto find = [&](const QString& pattern, QString& found) {
        const DbResult r = ctx_.db.Exec(kRuleByTag, {pattern});
        if (r.IsEmpty()) return false;
        found = r.Text(0, QStringLiteral("tujuan"));
        return true;
    };
    QString found;
    if (find(TagPattern(member), found)) return found;
    const DbResult g = ctx_.db.Exec(
        QStringLiteral("select kode_kelompok from reseller where kode_reseller=?"), {member});
    const QString group = g.IsEmpty() ? QString("") : g.Text(0, QStringLiteral("kode_kelompok"));
    if (!group.isEmpty() && find(TagPattern(group), found)) return found;
    for (int length : {8, 7, 6}) {
        const QString prefix = LikeLiteral(tujuan.left(length));
        if (find(QLatin1Char('%') + prefix + QLatin1Char('%'), found)) return found;
    }
    return kNc;
}

QString Rerouting::CariHLRAlamat(const QString& member) {
    try {
        const DbResult a = ctx_.db.Exec(
            QStringLiteral("SELECT alamat FROM reseller where kode_reseller =?"), {member});
        const QString address = a.IsEmpty() ? QString("") : a.Text(0, QStringLiteral("alamat"));
        if (address.isEmpty()) return kNc;

        const DbResult rules = ctx_.db.Exec(
            QStringLiteral("select nomor_prefik from hlr_distribution where status='1'"));
        QStringList tags;
        for (int i = 0; i < rules.RecordCount(); ++i)
            tags.append(rules.Text(i, QStringLiteral("nomor_prefik")));
        const QString lowered = address.toLower();
        for (const QString& tag : tags.join(QLatin1Char(';')).toLower().split(QLatin1Char(';'))) {
            if (tag.isEmpty() || !lowered.contains(tag)) continue;
            const DbResult r = ctx_.db.Exec(kRuleByTag, {TagPattern(tag)});
            return r.IsEmpty() ? QString("") : r.Text(0, QStringLiteral("tujuan"));
        }
        return kNc;
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("CariHLRAlamat "), e);
        return kNc;
    }
}
