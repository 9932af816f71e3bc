#include "ledger/MoneyText.h"

QLocale AmountLocale() {
    const QString name = qEnvironmentVariable("RELVANE_AMOUNT_LOCALE").trimmed();
    if (!name.isEmpty()) {
        const QLocale named(name);
        // Qt answers an unknown name with the C locale.
        if (named != QLocale::c() || name == QLatin1String("C")) return named;
    }
    return QLocale();
}

QString FormatRibuan(qint64 amount) {
    if (amount == 0) return QString("");
    QLocale locale = AmountLocale();
    // The "C" locale omits grouping by default; the texts always group.
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(amount);
}
