#include <gtest/gtest.h>

#include <QSignalSpy>

#include "chat/Intake.h"
#include "chat/Output.h"
#include "chat/PasswordScramble.h"
#include "chat/SendChat.h"

TEST(ShortenDenom, DropsGroupsOfThreeZerosFromTheLeadingNominal) {
    EXPECT_EQ(ShortenDenom("10000.081234567890.1234"), "10.081234567890.1234");
    EXPECT_EQ(ShortenDenom("5000.0815000123.1"), "5.0815000123.1");
    EXPECT_EQ(ShortenDenom("1000000.0812"), "1.0812");
    EXPECT_EQ(ShortenDenom("0812.5000"), "0812.5000");
    EXPECT_EQ(ShortenDenom("S5.0812"), "S5.0812");
}

TEST(PasswordScrambling, RoundTripsAndPairsPositionsWithTheKey) {
    const QString stored = PasswordScramble::ScrambleText("rahasia#1", "sorentika");
    EXPECT_EQ(PasswordScramble::UnscrambleText(stored, "SORENTIKA"), "rahasia#1");
    EXPECT_EQ(PasswordScramble::ScrambleText("abc", ""), "abc");
    EXPECT_EQ(PasswordScramble::ScrambleText("abc", "a"),
              QString::fromLatin1("\xA2\xA3\xA4"));  // +'A' everywhere
    // the first character pairs with the second key character
    EXPECT_EQ(PasswordScramble::ScrambleText("a", "xy").at(0).unicode(), ('a' + 'Y') & 255);
}

TEST(Intake, CleaningOfIncomingText) {
    EXPECT_EQ(Intake::CleanText("  OK|SN 123\r\nSaldo \n"), "OK-SN 123  Saldo");
}

TEST(Output, MessageBlockLinesByDirection) {
    Output out;
    QSignalSpy blocks(&out, &Output::Block);
    out.ShowMessageBlock("svc", "", "ref", "msg", "2025-01-01 00:00:00", 1);
    EXPECT_EQ(blocks.count(), 0);  // no party, nothing written
    out.ShowMessageBlock("svc", "0811", "R1", "S5.0812", "2025-01-01 00:00:00", 3);
    ASSERT_EQ(blocks.count(), 1);
    EXPECT_EQ(Output::BlockText(blocks.at(0).at(0).value<MessageBlock>()),
              "[SERVICE]\tsvc\n[SENDER]\t0811\n[REFF]\tR1\n[MESSAGE]\tS5.0812\n"
              "[TIMESTAMP]\t2025-01-01 00:00:00\n[STATUS]\tUSSD Read\n\n");
}
