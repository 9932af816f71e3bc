#pragma once

#include <QString>

// What the kernel says about one running process: CPU time used so far (user + system, in
// seconds) and resident memory now and at its peak (kB). Zero for a process that is gone.
struct ProcessSample {
    QString name;  // the command name, as ps shows it
    double cpuSeconds = 0;
    qint64 rssKb = 0;
    qint64 peakRssKb = 0;

    static ProcessSample Of(qint64 pid);
};
