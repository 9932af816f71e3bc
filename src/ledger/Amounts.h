#pragma once

#include <QString>

#include "store/Convert.h"
#include "store/Database.h"

// Amounts read from the first row of a result: whole numbers of the stated width, rounded as
// the readers always have; a value outside the width raises "Overflow" instead of wrapping.
namespace Amounts {

inline qint32 Int32At(const DbResult& r, const QString& column) {
    return Convert::ToInt32(r.Text(0, column));
}

inline qint16 Int16At(const DbResult& r, const QString& column) {
    return Convert::ToInt16(r.Text(0, column));
}

// 32-bit sums and differences of amounts: an error when the result leaves the range.
inline qint32 Add(qint64 a, qint64 b) {
    return Convert::CheckedInt32(a + b);
}
inline qint32 Sub(qint64 a, qint64 b) {
    return Convert::CheckedInt32(a - b);
}

}  // namespace Amounts
