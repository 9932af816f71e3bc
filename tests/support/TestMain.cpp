#include <gtest/gtest.h>

#include <QCoreApplication>

// Every test binary runs inside a Qt application, so timers, sockets and SQL drivers work.
int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
