#include "app/CommandLine.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

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

QString CommandLine::Information(const QStringList& arguments) {
    const QString command = arguments.value(1);
    if (command == QLatin1String("config") || command == QLatin1String("monitor")) return QString();
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--home"))
            ++i;  // its folder, whatever it is called
        else if (arguments[i] == QLatin1String("--version"))
            return QStringLiteral("relvane " RELVANE_VERSION "\n");
        else if (arguments[i] == QLatin1String("--help") || arguments[i] == QLatin1String("-h"))
            return QString::fromUtf8(kHelp);
    }
    return QString();
}

std::optional<qint16> CommandLine::TerminalNumber(const QString& text) {
    static const QRegularExpression digits(QStringLiteral("\\A[0-9]{1,5}\\z"));
    const int n = digits.match(text).hasMatch() ? text.toInt() : 0;
    if (n < 1 || n > 32767) return std::nullopt;
    return static_cast<qint16>(n);
}

CommandLine::Host CommandLine::ReadHost(QString* problem) const {
    const auto unusable = [problem](const QString& why) {
        if (problem != nullptr) *problem = why;
        return Host::Unusable;
    };
    if (hostLine.trimmed() == QLatin1String("Reserved")) return Host::Reserved;
    if (hostLine.trimmed().isEmpty()) return unusable(QStringLiteral("no host line"));
    const QStringList fields = hostLine.split(QStringLiteral("@@"));
    if (fields.size() < 2)
        return unusable(QStringLiteral("\"%1\" is not a host line: its fields are separated by "
                                       "\"@@\"")
                            .arg(hostLine));
    if (fields[1] != QLatin1String("Relvane")) return Host::OtherModule;
    // The name becomes the log's file name and a settings file's: nothing but the pattern.
    const QString name = fields[0];
    if (!name.startsWith(QLatin1String("Terminal #")) ||
        !TerminalNumber(name.mid(int(qstrlen("Terminal #")))))
        return unusable(QStringLiteral("the terminal name \"%1\" is not \"Terminal #\" "
                                       "followed by a number from 1 to 32767")
                            .arg(name));
    static const QRegularExpression node(QStringLiteral("\\A[0-9]{1,5}\\z"));
    const QString nodeText = fields.value(2);
    if (!node.match(nodeText).hasMatch() || nodeText.toInt() > 32767)
        return unusable(
            QStringLiteral("the node number \"%1\" is not a whole number from 0 to 32767")
                .arg(nodeText));
    return Host::Terminal;
}

int CommandLine::EndBeforeStart(QTextStream& err) const {
    QString problem;
    switch (ReadHost(&problem)) {
        case Host::Reserved:
        case Host::OtherModule:
            return 0;
        case Host::Unusable:
            err << "relvane: " << problem << "\n"
                << QString::fromUtf8(kHelp).section(QLatin1Char('\n'), 0, 0) << "\n"
                << "(relvane --help says more)" << Qt::endl;
            return 2;
        case Host::Terminal:
            break;
    }
    if (!QFileInfo(home).isDir()) {
        err << "relvane: the program folder " << home << " does not exist (--home DIR, else "
            << "RELVANE_HOME): no " << home << "/Setting.ini" << Qt::endl;
        return 1;
    }
    return -1;
}
