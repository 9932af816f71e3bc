#include "app/CommandLine.h"

#include <QDir>

namespace {

const char kHelp[] =
    "usage: relvane [--headless] [--home DIR] \"Terminal #N@@Relvane@@NODE@@DBPASSWORD\"\n"
    "       relvane config [--home DIR] get APP SECTION KEY\n"
    "       relvane config [--home DIR] set APP SECTION KEY VALUE [KEY VALUE]...\n"
    "       relvane config password TERMINAL [PASSWORD]   (read from standard input when\n"
    "                                                     not given, without echo)\n"
    "       relvane config list [APP]\n"
    "       relvane config keys [APP]     (every known key, its default and what it does)\n"
    "       relvane config import FILE    (settings from a .reg export)\n"
    "       relvane --version | --help\n"
    "\n"
    "Serves one chat terminal of the reseller server. The host's line gives the terminal's\n"
    "name, the module, the node number and the database password; with the password field\n"
    "empty, the password is read from the file RELVANE_DB_PASSWORD_FILE names.\n"
    "`config` edits the terminals' settings without starting one, doing what the settings\n"
    "panel does on saving them: a re-route keyword list (Pintar2N) adds its failure replies to\n"
    "the database of Setting.ini in the program folder.\n"
    "\n"
    "  --headless    without the window: log lines go to stdout, message boxes to stderr\n"
    "  --home DIR    program folder: Setting.ini, opcode.ini, Log/\n"
    "\n"
    "Environment:\n"
    "  RELVANE_HOME              program folder without --home (else the program's own folder)\n"
    "  RELVANE_CONFIG_DIR        settings folder (else $XDG_CONFIG_HOME/relvane, else\n"
    "                            ~/.config/relvane)\n"
    "  RELVANE_HEADLESS=1        the same as --headless\n"
    "  RELVANE_DB_PASSWORD_FILE  file holding the database password\n"
    "  RELVANE_MONITOR_HOST      where monitor records go (127.0.0.1)\n"
    "  RELVANE_MONITOR_PORT      and to which port (8702)\n"
    "  RELVANE_AMOUNT_LOCALE     locale of the amounts in resellers' messages, e.g. id_ID\n"
    "                            (100.000) or en_US (100,000); else the process's locale\n"
    "  NOTIFY_SOCKET             set by systemd: readiness, status and watchdog go there\n";

}  // namespace

CommandLine CommandLine::Parse(const QStringList& arguments, const QString& executableFolder) {
    CommandLine c;
    QStringList rest;
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--headless")) {
            c.headless = true;
        } else if (arguments[i] == QLatin1String("--home") && i + 1 < arguments.size()) {
            c.home = arguments[++i];
        } else {
            rest.append(arguments[i]);
        }
    }
    c.hostLine = rest.join(QLatin1Char(' '));
    if (qEnvironmentVariable("RELVANE_HEADLESS") == QLatin1String("1")) c.headless = true;
    if (c.home.isEmpty()) c.home = qEnvironmentVariable("RELVANE_HOME");
    if (c.home.isEmpty()) c.home = executableFolder;
    c.home = QDir(c.home).absolutePath();
    return c;
}

QString CommandLine::Information(const QString& firstArgument) {
    if (firstArgument == QLatin1String("--version"))
        return QStringLiteral("relvane " RELVANE_VERSION "\n");
    if (firstArgument == QLatin1String("--help") || firstArgument == QLatin1String("-h"))
        return QString::fromUtf8(kHelp);
    return QString();
}
