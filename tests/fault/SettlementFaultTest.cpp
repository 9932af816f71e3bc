// A terminal killed with SIGKILL at random moments while it sends orders and settles replies,
// then started again, over and over: every order settled at most once, every deposit and book
// exact.
#include <iostream>

#include "FaultFixture.h"

TEST_F(FaultTest, KilledAtRandomMomentsWhileSettlingKeepsEveryBookExact) {
    World(19, 20);
    Supplier(19, 0);
    for (int i = 0; i < 30; ++i) QueueOrder(19);
    QRandomGenerator random(20261207);
    int kills = 0;
    while (kills < 10 && QueuedOrders() > 0) {
        QProcess& p = Launch(19);
        ASSERT_TRUE(WaitOutput(p, "Online Connected", 20000)) << Output(p).toStdString();
        WaitUntil([] { return false; }, static_cast<int>(random.bounded(300, 2500)));
        Kill(p);
        ++kills;
    }

    // A clean run finishes the queue and settles the replies stored while no run was there.
    QProcess& last = Launch(19);
    const auto done = [&] {
        if (QueuedOrders() != 0) return false;
        for (const QString& order : Orders())
            if (Received(order) == 1 && Settled(order) == 0) return false;
        return true;
    };
    // A reply that reached a run just before it was killed is gone with it; its order waits.
    WaitUntil(done, 60000);
    WaitUntil([] { return false; }, 3000);
    Stop(last);

    const int waiting = Count("SELECT COUNT(*) FROM transaksi WHERE status = '2'");
    std::cout << kills << " kills; " << Orders().size() << " orders, "
              << Count("SELECT COUNT(*) FROM transaksi WHERE status = '1'") << " settled, "
              << waiting << " left waiting" << std::endl;
    EXPECT_EQ(QueuedOrders(), 0) << Output(last).toStdString();
    EXPECT_LE(waiting, 2 * kills);
    ExpectEachOrderAtMostOnce();
    ExpectMoneyExact();
}
