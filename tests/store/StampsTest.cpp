#include <gtest/gtest.h>

#include "store/Stamps.h"

TEST(Stamps, TwoDigitFieldsOnA24HourClock) {
    EXPECT_EQ(NowStamp(QDateTime(QDate(2025, 1, 31), QTime(9, 5, 3))), "2025-01-31 09:05:03");
    EXPECT_EQ(NowStamp(QDateTime(QDate(2025, 12, 1), QTime(23, 59, 59))), "2025-12-01 23:59:59");
    EXPECT_EQ(ShortStamp(QDateTime(QDate(2025, 3, 5), QTime(14, 7, 59))), "05031407");
    EXPECT_EQ(ShortStamp(QDateTime(QDate(2025, 1, 31), QTime(0, 0))), "31010000");
}
