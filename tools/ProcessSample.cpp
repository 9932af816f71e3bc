#include "ProcessSample.h"

#include <unistd.h>

#include <QFile>
#include <QStringList>

namespace {

QString ReadProc(qint64 pid, const char* name) {
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    if (!file.open(QIODevice::ReadOnly)) return QString();
    return QString::fromLatin1(file.readAll());
}

qint64 StatusKb(const QString& status, const QString& field) {
    for (const QString& line : status.split(QLatin1Char('\n')))
        if (line.startsWith(field + QLatin1Char(':')))
            return line.mid(field.size() + 1)
                .trimmed()
                .split(QLatin1Char(' '))
                .value(0)
                .toLongLong();
    return 0;
}

}  // namespace

ProcessSample ProcessSample::Of(qint64 pid) {
    ProcessSample s;
    // The command name in brackets may hold blanks: fields are counted after its ")".
    s.name = ReadProc(pid, "comm").trimmed();
    const QString stat = ReadProc(pid, "stat");
    const QStringList fields =
        stat.mid(stat.lastIndexOf(QLatin1Char(')')) + 2).split(QLatin1Char(' '));
    // utime and stime are fields 14 and 15 of the whole line, 12 and 13 after the name.
    if (fields.size() > 13)
        s.cpuSeconds = (fields[11].toDouble() + fields[12].toDouble()) /
                       static_cast<double>(sysconf(_SC_CLK_TCK));
    const QString status = ReadProc(pid, "status");
    s.rssKb = StatusKb(status, QStringLiteral("VmRSS"));
    s.peakRssKb = StatusKb(status, QStringLiteral("VmHWM"));
    const QString rollup = ReadProc(pid, "smaps_rollup");
    s.pssKb = StatusKb(rollup, QStringLiteral("Pss"));
    s.pssAnonKb = StatusKb(rollup, QStringLiteral("Pss_Anon"));
    return s;
}
