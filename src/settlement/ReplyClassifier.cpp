#include "settlement/ReplyClassifier.h"

#include <QStringList>

#include "store/Database.h"

QString ReplyClassifier::GetKataKunci() {
    const DbResult r = ctx_.db.Exec(QStringLiteral(
        "SELECT katakunci FROM balasan where jenis='OKE' or jenis='ERROR' ORDER BY id ASC"));
    QString list;
    for (int i = 0; i < r.RecordCount(); ++i)
        list += QLatin1Char(';') + r.Text(i, QStringLiteral("katakunci"));
    return list.mid(1).toLower();
}

const QString& ReplyClassifier::Keywords() {
    if (keywords_.isEmpty()) keywords_ = GetKataKunci();
    return keywords_;
}

QString ReplyClassifier::GetBalasan(const QString& keyword) {
    const DbResult r =
        ctx_.db.Exec(QStringLiteral("SELECT * FROM balasan where katakunci=? and not jenis='CS' "
                                    "ORDER BY id ASC"),
                     {keyword});
    if (r.IsEmpty()) return QString("");
    return r.Text(0, QStringLiteral("balasan")) + QLatin1Char(';') +
           r.Text(0, QStringLiteral("jenis"));
}

QString ReplyClassifier::GetKodeTrx(const QString& kodeTransaksi) {
    const QStringList fields = kodeTransaksi.split(QLatin1Char('#'));
    return fields.size() > 1 ? fields[1] : QStringLiteral("0");
}

ReplyClassifier::Verdict ReplyClassifier::Classify(const QString& lowerReply) {
    Verdict verdict;
    const QString& list = Keywords();
    // An empty cache holds no keywords at all, not the empty keyword.
    if (list.isEmpty()) return verdict;
    for (const QString& keyword : list.split(QLatin1Char(';'))) {
        if (!lowerReply.contains(keyword)) continue;
        verdict.keyword = keyword;
        // Template and kind travel joined by ";": a template holding ";" is cut there, and
        // its rest stands in for the kind.
        const QStringList parts = GetBalasan(keyword).split(QLatin1Char(';'));
        verdict.templ = parts.value(0);
        const QString kind = parts.value(1);
        verdict.kind = kind == QLatin1String("OKE")     ? Kind::Success
                       : kind == QLatin1String("ERROR") ? Kind::Failure
                                                        : Kind::Dropped;
        return verdict;
    }
    return verdict;
}

QString ReplyClassifier::DefaultFailureTemplate() {
    return QStringLiteral(
        "GAGAL <namaproduk> <tujuan> SN.(<trxid>) Saldo Rp.<deposit> <datetime2>.");
}

QString ReplyClassifier::FailureTemplate(const QString& lowerText) {
    const QString& list = Keywords();
    if (!list.isEmpty()) {
        for (const QString& keyword : list.split(QLatin1Char(';'))) {
            if (!lowerText.contains(keyword)) continue;
            const QStringList parts = GetBalasan(keyword).split(QLatin1Char(';'));
            if (parts.value(1) == QLatin1String("ERROR")) return parts.value(0);
        }
    }
    return DefaultFailureTemplate();
}

QString ReplyClassifier::IsiSNMulti(const QString& reply, const QString& templ) {
    if (!templ.contains(QLatin1String("<sn-"))) return templ;
    const QStringList starts = ctx_.values.SnMulti0.split(QLatin1Char(';'));
    const QStringList ends = ctx_.values.SnMulti1.split(QLatin1Char(';'));
    if (ends.size() < starts.size() && !markerCountReported_) {
        // Only the fields that have both markers can be read.
        markerCountReported_ = true;
        ctx_.util.WriteLog(ctx_.values.TerminalName,
                           QStringLiteral("IsiSNMulti SNMulti0 #%1 punya %2 penanda awal, "
                                          "SNMulti1 #%1 hanya %3 penanda akhir")
                               .arg(ctx_.values.TerminalNo)
                               .arg(starts.size())
                               .arg(ends.size()));
    }
    const auto marker = [](const QString& m) {
        return m == QLatin1String(".") ? QStringLiteral("\\.") : m;
    };
    QString filled = templ;
    const int pairs = std::min(starts.size(), ends.size());
    for (int k = 0; k < pairs; ++k) {
        const QString pattern = marker(starts[k]) + QStringLiteral("(.+?)") + marker(ends[k]);
        QString captured;
        try {
            captured = UtilityComponent::RegexCapture(pattern, reply);
        } catch (const std::exception& e) {
            // A marker that is no valid pattern piece fills nothing; the others still do.
            ctx_.LogError(QStringLiteral("IsiSNMulti ") + pattern + QLatin1Char(' '), e);
            continue;
        }
        filled.replace(QStringLiteral("<sn-") + QString::number(k) + QLatin1Char('>'), captured);
    }
    return filled;
}

void ReplyClassifier::AddFailureKeywords(const QString& list) {
    for (const QString& entry : list.split(QLatin1Char(';'))) {
        if (entry.trimmed().isEmpty()) continue;
        const DbResult known = ctx_.db.Exec(
            QStringLiteral("select katakunci from balasan where katakunci=?"), {entry});
        if (!known.IsEmpty()) continue;
        ctx_.db.Exec(QStringLiteral("insert into balasan (balasan,katakunci,jenis,biaya)"
                                    "values(?,?,'ERROR','0')"),
                     {DefaultFailureTemplate(), entry});
    }
}
