#pragma once

#include <QString>
#include <QStringList>

// The program's own flags and the host's command line. The host passes one string
// ("Terminal #5@@Relvane@@2@@password"); a shell splits it at blanks, so the words that are
// not our flags are joined back with single blanks.
struct CommandLine {
    bool headless = false;
    QString home;  // --home DIR, else RELVANE_HOME, else the executable's folder
    QString hostLine;

    static CommandLine Parse(const QStringList& arguments, const QString& executableFolder);

    // What `relvane --version` or `relvane --help` prints, or an empty text when the first
    // argument asks for neither. Only the first: a later word may belong to the host's line.
    static QString Information(const QString& firstArgument);
};
