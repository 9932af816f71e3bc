#pragma once

#include <QString>

// Readers' conversions of stored texts. Numbers are read like the old Val(): leading blanks
// skipped, the leading decimal number taken, anything else reads as 0. Booleans accept the
// words True and False (any case) or a number, 0 meaning false. The range-checked forms raise
// RelvaneError("Overflow") instead of wrapping.
namespace Convert {

double Val(const QString& text);
bool ToBool(const QString& text);
quint8 ToByte(const QString& text);
qint16 ToInt16(const QString& text);
qint32 ToInt32(const QString& text);

// Texts trimmed of blanks and tabs only, at both ends or at the start: INI files and registry
// exports keep every other character at a value's ends (a scrambled password can hold a
// no-break space).
QString TrimBlanks(const QString& text);
QString TrimLeadingBlanks(const QString& text);

// Whole-number range checks for values computed in the program.
qint32 CheckedInt32(qint64 value);
qint16 CheckedInt16(qint64 value);

}  // namespace Convert
