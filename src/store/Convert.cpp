#include "store/Convert.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

#include "store/Errors.h"

namespace Convert {

namespace {

template <typename T>
T Ranged(double value) {
    const double rounded = std::nearbyint(value);  // banker's rounding, as the old CInt did
    if (rounded < std::numeric_limits<T>::min() || rounded > std::numeric_limits<T>::max())
        throw RelvaneError(QStringLiteral("Overflow"));
    return static_cast<T>(rounded);
}

}  // namespace

double Val(const QString& text) {
    static const QRegularExpression number(
        QStringLiteral("^\\s*([-+]?(\\d+(\\.\\d*)?|\\.\\d+)([eE][-+]?\\d+)?)"));
    const QRegularExpressionMatch m = number.match(text);
    return m.hasMatch() ? m.captured(1).toDouble() : 0.0;
}

bool ToBool(const QString& text) {
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return false;
    return Val(t) != 0.0;
}

quint8 ToByte(const QString& text) {
    return Ranged<quint8>(Val(text));
}
qint16 ToInt16(const QString& text) {
    return Ranged<qint16>(Val(text));
}
qint32 ToInt32(const QString& text) {
    return Ranged<qint32>(Val(text));
}

namespace {
bool IsBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}
}  // namespace

QString TrimLeadingBlanks(const QString& text) {
    int from = 0;
    while (from < text.size() && IsBlank(text[from])) ++from;
    return text.mid(from);
}

QString TrimBlanks(const QString& text) {
    int from = 0, to = text.size();
    while (from < to && IsBlank(text[from])) ++from;
    while (to > from && IsBlank(text[to - 1])) --to;
    return text.mid(from, to - from);
}

qint32 CheckedInt32(qint64 value) {
    return Ranged<qint32>(static_cast<double>(value));
}
qint16 CheckedInt16(qint64 value) {
    return Ranged<qint16>(static_cast<double>(value));
}

}  // namespace Convert
