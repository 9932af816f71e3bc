// The load benchmark's per-process figures, read from /proc: the CPU fields are counted after
// the command name, resident memory comes from the status file.
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <vector>

#include "ProcessSample.h"
#include "support/TestTools.h"

TEST(ProcessSampleTest, OwnProcessShowsItsNameMemoryAndTheCpuItBurnsAGoneOneZero) {
    const qint64 pid = getpid();
    const ProcessSample before = ProcessSample::Of(pid);
    EXPECT_FALSE(before.name.isEmpty());
    std::vector<char> block(64 * 1024 * 1024, 1);  // touched: resident
    volatile unsigned sum = 0;
    QElapsedTimer spin;
    spin.start();
    while (spin.elapsed() < 200)
        for (char c : block) sum = sum + static_cast<unsigned char>(c);
    const ProcessSample after = ProcessSample::Of(pid);
    // 200 ms of work is at least a few clock ticks of user time, however busy the machine.
    EXPECT_GT(after.cpuSeconds, before.cpuSeconds);
    EXPECT_LT(after.cpuSeconds - before.cpuSeconds, 60.0);
    EXPECT_GE(after.rssKb, before.rssKb + 60 * 1024);
    EXPECT_GE(after.peakRssKb, after.rssKb);

    // a process that is gone (above the kernel's largest process id, 4194304) reads as zero
    const ProcessSample gone = ProcessSample::Of(4194305 + 17);
    EXPECT_EQ(Joined(gone.name, gone.cpuSeconds, gone.rssKb, gone.peakRssKb), "|0|0|0");
}
