#pragma once

#include <QString>

// Amounts in texts for resellers ("#,#"): whole number, thousands grouped with the separator
// of the regional settings, no decimals; 0 is the empty text.
QString FormatRibuan(qint64 amount);
