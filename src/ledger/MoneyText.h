#pragma once

#include <QLocale>
#include <QString>

// Amounts in texts for resellers ("#,#"): whole number, thousands grouped with the separator
// of the amounts' locale, no decimals; 0 is the empty text.
QString FormatRibuan(qint64 amount);

// The locale amounts are written in: the one RELVANE_AMOUNT_LOCALE names ("id_ID" gives
// 100.000, "en_US" 100,000), else the program's default locale (the process's own). A name
// Qt does not know counts as unset. Only the amounts follow it: the C library's number
// formatting, which the database drivers use, stays the process's.
QLocale AmountLocale();
