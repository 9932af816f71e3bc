#include "routing/TerminalChoice.h"

#include "store/Database.h"
#include "store/Errors.h"
#include "store/Stamps.h"

QStringList TerminalChoice::Entries(const QString& terminals) {
    return terminals.isEmpty() ? QStringList() : terminals.split(QLatin1Char(';'));
}

std::optional<int> TerminalChoice::TerminalNumber(const QString& entry) {
    bool ok = false;
    const int n = entry.trimmed().toInt(&ok);
    if (!ok) return std::nullopt;
    return n;
}

QStringList TerminalChoice::Qualifying(const QString& kdProduk, const QString& terminals,
                                       std::optional<int> prioritas, int avoid) {
    const QString code = kdProduk.toUpper() + QLatin1Char(',');
    QString sql = QStringLiteral(
        "select terminal from parsing where kode_produk=? and active='1' and terminal=?");
    if (prioritas) sql += QStringLiteral(" and prioritas=?");

    QStringList kept;
    for (const QString& entry : Entries(terminals)) {
        QString t = entry;
        const int open = entry.indexOf(QLatin1Char('('));
        if (open >= 0) {
            // A code counts only whole: an entry for AS10 does not admit S10.
            const QString upper = entry.toUpper();
            if (!upper.contains(QLatin1Char('(') + code) &&
                !upper.contains(QLatin1Char(',') + code))
                continue;
            t = entry.left(open);
        }
        // Entries that are no terminal number (an empty one, a typing error) name no terminal.
        const std::optional<int> n = TerminalNumber(t);
        if (!n || (avoid != 0 && *n == avoid)) continue;
        QVariantList params{kdProduk, *n};
        if (prioritas) params.append(*prioritas);
        if (!ctx_.db.Exec(sql, params).IsEmpty()) kept.append(QString::number(*n));
    }
    return kept;
}

QString TerminalChoice::SeleksiTerminalChip(const QString& terminals) {
    if (ctx_.values.SmallestQueueFilter == 0) return terminals;
    QStringList kept;
    for (const QString& t : Entries(terminals)) {
        // A terminal missing from the terminal table runs neither module, so it stays.
        QString modul;
        if (const std::optional<int> n = TerminalNumber(t)) {
            const DbResult r =
                ctx_.db.Exec(QStringLiteral("SELECT modul FROM terminal WHERE terminal=?"), {*n});
            if (!r.IsEmpty()) modul = r.Text(0, QStringLiteral("modul"));
        }
        if (modul != QLatin1String("Cellvane") && modul != QLatin1String("Relvane")) kept.append(t);
    }
    return kept.isEmpty() ? terminals : kept.join(QLatin1Char(';'));
}

QString TerminalChoice::RandomEntry(const QString& terminals) const {
    const QStringList entries = Entries(terminals);
    if (entries.isEmpty()) throw RelvaneError(QStringLiteral("empty terminal list"));
    return entries.value(ctx_.util.RandomIndex(entries.size() - 1));
}

QString TerminalChoice::RandomTerminalAlih(const QString& kdProduk, const QString& terminals,
                                           int avoid) {
    try {
        return RandomEntry(SeleksiTerminalChip(
            Qualifying(kdProduk, terminals, std::nullopt, avoid).join(QLatin1Char(';'))));
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("RandomTerminalAlih "), e);
        // Any entry of the rule, as written; one that names no active terminal for the
        // product leads to the reseller's message.
        return Entries(terminals).isEmpty() ? QString("") : RandomEntry(terminals);
    }
}

QString TerminalChoice::PilihTerminalProduk(const QString& aProduk, int avoid) {
    try {
        const DbResult r =
            ctx_.db.Exec(QStringLiteral("select terminal from parsing where kode_produk=? and "
                                        "active='1' ORDER BY terminal ASC"),
                         {aProduk});
        QStringList list;
        for (int i = 0; i < r.RecordCount(); ++i)
            if (avoid == 0 || r.Int(i, QStringLiteral("terminal")) != avoid)
                list.append(r.Text(i, QStringLiteral("terminal")));
        switch (ctx_.values.Prioritas) {
            case 1:
                return PilihTerminalTersepi(aProduk, list.join(QLatin1Char(';')), avoid);
            case 2:
                return PilihTerminalPrioritas(aProduk, list.join(QLatin1Char(';')), avoid);
            default:
                return RandomEntry(SeleksiTerminalChip(list.join(QLatin1Char(';'))));
        }
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("PilihTerminalProduk "), e);
        return QStringLiteral("0");  // no terminal has a parsing row for 0
    }
}

QString TerminalChoice::PilihTerminalTersepi(const QString& kdProduk, const QString& terminals,
                                             int avoid) {
    QStringList walking = Entries(terminals);
    try {
        walking = Qualifying(kdProduk, terminals, std::nullopt, avoid);
        walking = Entries(SeleksiTerminalChip(walking.join(QLatin1Char(';'))));
        return LeastUsedToday(kdProduk, walking);
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("PilihTerminalTersepi "), e);
        return walking.value(0);
    }
}

QString TerminalChoice::PilihTerminalPrioritas(const QString& kdProduk, const QString& terminals,
                                               int avoid) {
    QStringList walking = Entries(terminals);
    try {
        // The search starts at the level that last had candidates and climbs; past the last
        // level it starts over at 1 next time and this order finds none. The level moves on
        // only with a re-route that is written: one run again after a deadlock climbs once.
        int level = prioritasAktif_;
        QStringList kept;
        for (;;) {
            kept = Qualifying(kdProduk, terminals, level, avoid);
            if (!kept.isEmpty()) break;
            if (level >= ctx_.values.PriorityLevels) {
                level = 1;
                break;
            }
            ++level;
        }
        ctx_.db.AfterCommit([this, level] { prioritasAktif_ = level; });
        walking = kept;
        return LeastUsedToday(kdProduk, kept);
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("PilihTerminalPrioritas "), e);
        return walking.value(0);
    }
}

QString TerminalChoice::LeastUsedToday(const QString& kdProduk, const QStringList& kept) {
    const DayRange day = TodayRange();
    QStringList numbers;  // the "in (...)" list, from whole numbers only
    for (const QString& t : kept) {
        const std::optional<int> n = TerminalNumber(t);
        if (!n) continue;
        numbers.append(QString::number(*n));
        const DbResult r = ctx_.db.Exec(
            QStringLiteral("select terminal from transaksi where datetime_transaksi between ? and "
                           "? and kode_produk=? and status in (1,2) and terminal=?"),
            {day.from, day.to, kdProduk, *n});
        if (r.IsEmpty()) return t;
    }
    if (numbers.isEmpty()) return QString("");
    const DbResult r = ctx_.db.Exec(
        QStringLiteral("select terminal, count(*) from transaksi where datetime_transaksi "
                       "between ? and ? and kode_produk=? and status in (1,2) and terminal in (") +
            numbers.join(QLatin1Char(',')) +
            QStringLiteral(") group by terminal order by count(*) asc"),
        {day.from, day.to, kdProduk});
    return r.Text(0, r.Columns().first());
}
