// The demo's loop, briefly: two terminal processes (15 and 16) run headless as the demo runs
// them, the demo's host queues five orders, its suppliers answer (the first refuses every
// second order it gets with a re-route keyword), one reseller cannot pay; the story ends with
// every order ended once and the money adding up.
#include "Demo.h"
#include "support/TerminalFixture.h"

using DemoE2eTest = TerminalTest;

TEST_F(DemoE2eTest, ShortRunEndsEveryOrderOnceAndTheMoneyAddsUp) {
    Demo::Options o;
    o.terminalA = 15;
    o.terminalB = 16;
    o.orders = 5;
    o.paceMs = 700;
    o.failEvery = 2;
    o.refuseAt = 3;
    o.xmppDomain = XmppPeer::Domain();
    o.xmppPort = XmppPeer::Port().toInt();
    o.xmppPassword = XmppPeer::Password();
    Demo::Prepare(Db(), Settings(), o);
    Launch(15);
    Launch(16);

    QString story;
    QTextStream out(&story);
    Demo demo(Db(), o, out);
    bool finished = false;
    QObject::connect(&demo, &Demo::Finished, [&finished](bool) { finished = true; });
    demo.Start();
    ASSERT_TRUE(WaitUntil([&] { return finished; }, 90000)) << story.toStdString();

    const Demo::Summary& s = demo.Result();
    EXPECT_TRUE(s.Ok()) << story.toStdString();
    EXPECT_EQ(s.orders, 5);
    // supplier 15 gets orders 1, 2, 4, 5 and refuses its second and fourth: 2 and 5 go to 16
    EXPECT_EQ(s.successes, 4) << story.toStdString();
    EXPECT_EQ(s.reroutes, 2);
    EXPECT_EQ(s.refusals, 1);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM transaksi WHERE status = '1' AND terminal = 16"), "2");
}
