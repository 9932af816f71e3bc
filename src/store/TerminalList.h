#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

// The merged terminals an instance serves together ("3,5,9"). Lists go into statements as the
// numbers themselves, rebuilt from integers, so nothing but digits reaches the SQL text.

// The whole numbers of a comma-separated list, as texts; entries that are not numbers are
// left out.
QStringList MergedTerminals(const QString& list);

// "terminal in (3,5,9)" for a merged list, else "terminal=?" with the terminal appended to
// params.
QString TerminalCondition(const QString& mergedList, qint16 terminal, QVariantList& params);
