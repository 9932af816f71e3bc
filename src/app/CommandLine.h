#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <optional>

// The program's own flags and the host's command line. The host passes one string
// ("Terminal #5@@Relvane@@2@@password"); a shell splits it at blanks, so the words that are
// not our flags are joined back with single blanks.
struct CommandLine {
    bool headless = false;
    QString home;  // --home DIR, else RELVANE_HOME, else the executable's folder
    QString hostLine;

    static CommandLine Parse(const QStringList& arguments, const QString& executableFolder);

    // What `relvane --version` or `relvane --help` prints, or an empty text when no argument
    // asks for either. Asked anywhere among a terminal's arguments (`relvane --headless
    // --help`); for `config` and `monitor` the words after the command are theirs.
    static QString Information(const QStringList& arguments);

    // What the host's line asks for: a terminal ("Terminal #5@@Relvane@@2@@password"),
    // nothing ("Reserved", or another module's line), or nothing it can say (Unusable).
    enum class Host { Terminal, Reserved, OtherModule, Unusable };
    // For Unusable, why in *problem.
    Host ReadHost(QString* problem = nullptr) const;

    // The number of "Terminal #N" or of `config password N`: a whole number from 1 to 32767,
    // written in digits only; nothing otherwise.
    static std::optional<qint16> TerminalNumber(const QString& text);

    // Before anything else starts (no window, no database): -1 when the line starts a
    // terminal in a program folder that exists; else the exit status, 0 for "Reserved" and
    // another module's line (silently), 2 with a usage line for a line that is not the host's,
    // 1 when the program folder does not exist. Messages go to err.
    int EndBeforeStart(QTextStream& err) const;
};
