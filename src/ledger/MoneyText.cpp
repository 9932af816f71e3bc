#include "ledger/MoneyText.h"

#include <QLocale>

QString FormatRibuan(qint64 amount) {
    if (amount == 0) return QString("");
    QLocale locale;
    // The "C" locale omits grouping by default; the texts always group.
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(amount);
}
