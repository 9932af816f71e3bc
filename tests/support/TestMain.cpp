#include <gtest/gtest.h>

#ifdef RELVANE_WIDGETS
#include <QApplication>
using Application = QApplication;
#else
#include <QCoreApplication>
using Application = QCoreApplication;
#endif

// Every test binary runs inside a Qt application, so timers, sockets and SQL drivers work; the
// widget tests get a full one.
int main(int argc, char* argv[]) {
#ifdef RELVANE_WIDGETS
    // Widgets are drawn off screen unless a platform is asked for: no display is needed, even
    // when the test list is read.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    Application app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
