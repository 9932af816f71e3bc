#include "app/CommandLine.h"

#include <QDir>

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
