#include <gtest/gtest.h>

#include "chat/PasswordScramble.h"

TEST(PasswordScramble, RoundTripsAndPairsPositionsWithTheKey) {
    const QString stored = PasswordScramble::ScrambleText("rahasia#1", "sorentika");
    EXPECT_EQ(PasswordScramble::UnscrambleText(stored, "SORENTIKA"), "rahasia#1");
    EXPECT_EQ(PasswordScramble::ScrambleText("abc", ""), "abc");
    EXPECT_EQ(PasswordScramble::ScrambleText("abc", "a"),
              QString::fromLatin1("\xA2\xA3\xA4"));  // +'A' everywhere
    // the first character pairs with the second key character
    EXPECT_EQ(PasswordScramble::ScrambleText("a", "xy").at(0).unicode(), ('a' + 'Y') & 255);
}
