#include <gtest/gtest.h>

#include "chat/ChatSession.h"
#include "chat/PasswordScramble.h"

TEST(ChatSession, ShortenDenomDropsGroupsOfThreeZerosFromTheLeadingNominal) {
    EXPECT_EQ(ChatSession::ShortenDenom("10000.081234567890.1234"), "10.081234567890.1234");
    EXPECT_EQ(ChatSession::ShortenDenom("5000.0815000123.1"), "5.0815000123.1");
    EXPECT_EQ(ChatSession::ShortenDenom("1000000.0812"), "1.0812");
    EXPECT_EQ(ChatSession::ShortenDenom("0812.5000"), "0812.5000");
    EXPECT_EQ(ChatSession::ShortenDenom("S5.0812"), "S5.0812");
}
