#pragma once

#include <QString>

// What the kernel says about one running process: CPU time used so far (user + system, in
// seconds), resident memory now and at its peak, and its proportional share (kB). Zero for a
// process that is gone.
struct ProcessSample {
    QString name;  // the command name, as ps shows it
    double cpuSeconds = 0;
    qint64 rssKb = 0;
    qint64 peakRssKb = 0;
    qint64 pssKb = 0;  // proportional set: shared pages divided among the processes sharing them
    qint64 pssAnonKb = 0;  // of it, anonymous memory (heap, stacks): the process's own

    static ProcessSample Of(qint64 pid);
};
