#include "monitor/FeedReader.h"
#include "support/TerminalFixture.h"
#include "support/TestTools.h"

// A terminal started from the test fixtures sends to the reader what it sends in service: its
// announcement, the record of an order it sent and of a reply it took in.
TEST_F(OfflineTerminalTest, ReaderTakesWhatATerminalSends) {
    FeedReader reader;
    ASSERT_TRUE(reader.Listen(QHostAddress(QHostAddress::LocalHost), 0));
    qputenv("RELVANE_MONITOR_PORT", QByteArray::number(reader.Port()));
    StartOffline(43, true);
    Term().Chat().LoginYM_Click();
    QueueJob("08123", "S5.08123.1");
    Tick();
    YmRow(43, Encoded("SUKSES S5.08123.1 SN 77"), "GetSupplierRecv");
    Tick();
    ASSERT_TRUE(WaitUntil([&] { return reader.Accepted() >= 3; }, 5000));
    EXPECT_EQ(reader.Dropped(), 0u);
    ASSERT_EQ(reader.Nodes().size(), 1);
    EXPECT_TRUE(reader.Nodes().first().up);
    EXPECT_TRUE(reader.LastSent(43).isValid());
    EXPECT_TRUE(reader.LastReceived(43).isValid());
    ASSERT_EQ(reader.Recent().size(), 2);
    EXPECT_EQ(Joined(reader.Recent()[0].direction, reader.Recent()[0].message), "1|S5.08123.1");
    EXPECT_EQ(Joined(reader.Recent()[1].direction, reader.Recent()[1].terminal), "2|43");
}

TEST(FeedReaderTest, GarbageIsCountedAndDroppedAndNeverStopsIt) {
    FeedReader reader;
    const QByteArray cases[] = {
        "",
        "hello",
        "NODE@=two@=True",
        "NODE@=2@=Maybe",
        "NODE@=2",
        "RLV #5:> (5->x) TrxID:1@=0811@=R1@=S5.1@=2025-01-01 10:00:00",  // five fields
        "RLV #5:> (5->x) TrxID:1@=0811@=R1@=S5.1@=2025-01-01 10:00:00@=3",
        "Somebody else@=a@=a@=text@=2025-01-01 10:00:00@=2",        // names no terminal
        "RLV Terminal #5@=a@=a@=\xff\xfe@=2025-01-01 10:00:00@=2",  // not UTF-8
        QByteArray("RLV Terminal #5@=a@=a@=") + QByteArray(FeedReader::kMaxDatagram, 'x') +
            "@=t@=2",
    };
    quint64 dropped = 0;
    for (const QByteArray& d : cases) {
        SCOPED_TRACE(d.left(60).toStdString());
        EXPECT_FALSE(reader.Take(d));
        EXPECT_EQ(reader.Dropped(), ++dropped);
    }
    EXPECT_EQ(reader.Accepted(), 0u);
    EXPECT_TRUE(reader.Recent().isEmpty());
    // still taking records after all that, and the last announcement of a node wins
    EXPECT_TRUE(reader.Take("NODE@=2@=True"));
    EXPECT_TRUE(reader.Take("NODE@=2@=False"));
    EXPECT_FALSE(reader.Nodes().value(2).up);
    EXPECT_TRUE(reader.Take("RLV Terminal #5@=s@=s@=OK@=2025-01-01 10:00:00@=2"));
    EXPECT_EQ(reader.Recent().last().terminal, 5);
}
