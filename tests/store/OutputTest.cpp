#include <gtest/gtest.h>

#include <QSignalSpy>

#include "store/Output.h"

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
