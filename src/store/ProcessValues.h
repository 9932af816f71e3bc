#pragma once

#include <QString>
#include <QStringList>

// Values loaded once at start-up and kept for the whole run: the instance's identity, its
// switches and its lists. Keys read on every use are not here.
struct ProcessValues {
    // identity, from the command line
    QString TerminalName;  // "Terminal #5"; also the name of the terminal's log
    qint16 TerminalNo = 0;
    QString ModuleName;
    qint16 NodeNo = 0;

    // job queue
    QString TerminalList;     // merged terminals "3,5,9"; empty when merging is off
    bool AltQueueOn = false;  // "setQueue": the queue is job_quenue_

    // message jobs and sender selection
    QString SmsCenterList;  // ";3;7;" & ";0": terminals of module "SMS Center"
    QString ReplayHbv[3];   // opcode.ini [ReplayHBV] "value", "value1", "value2", trimmed
    bool SenderCenterOn = false;

    // failure keywords of re-routing ("Pintar2"N, lower-cased) and the one that matched last
    QString FailureKeywords;
    QString LastFailureKeyword;
};
