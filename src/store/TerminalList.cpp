#include "store/TerminalList.h"

QStringList MergedTerminals(const QString& list) {
    QStringList numbers;
    for (const QString& t : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int n = t.trimmed().toInt(&ok);
        if (ok) numbers.append(QString::number(n));
    }
    return numbers;
}

QString TerminalCondition(const QString& mergedList, qint16 terminal, QVariantList& params) {
    const QStringList numbers = MergedTerminals(mergedList);
    if (numbers.isEmpty()) {
        params.append(terminal);
        return QStringLiteral("terminal=?");
    }
    return QStringLiteral("terminal in (") + numbers.join(QLatin1Char(',')) + QLatin1Char(')');
}
