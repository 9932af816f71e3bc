#include "store/Stamps.h"

QString NowStamp(const QDateTime& at) {
    return at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}
QString NowStamp() {
    return NowStamp(QDateTime::currentDateTime());
}

QString ShortStamp(const QDateTime& at) {
    return at.toString(QStringLiteral("ddMMHHmm"));
}
QString ShortStamp() {
    return ShortStamp(QDateTime::currentDateTime());
}

DayRange DayRangeOf(const QDate& day) {
    const QString date = day.toString(QStringLiteral("yyyy-MM-dd"));
    return {date + QStringLiteral(" 00:00:00"), date + QStringLiteral(" 23:59:59")};
}
DayRange TodayRange() {
    return DayRangeOf(QDate::currentDate());
}

QString TimeNow() {
    return QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
}
