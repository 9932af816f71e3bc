#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

#include "app/ConfigCommand.h"
#include "store/ConnectDatabase.h"
#include "store/Database.h"
#include "store/SettingsStore.h"
#include "store/UtilityComponent.h"

namespace {

struct Options {
    QString home;
    QString commandLine;  // the host's one string, joined back with single blanks
};

Options ParseOptions(const QStringList& args) {
    Options o;
    QStringList rest;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--headless")) continue;
        if (args[i] == QLatin1String("--home") && i + 1 < args.size()) {
            o.home = args[++i];
            continue;
        }
        rest.append(args[i]);
    }
    o.commandLine = rest.join(QLatin1Char(' '));
    if (o.home.isEmpty()) o.home = qEnvironmentVariable("RELVANE_HOME");
    if (o.home.isEmpty()) o.home = QCoreApplication::applicationDirPath();
    o.home = QDir(o.home).absolutePath();
    return o;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (app.arguments().value(1) == QLatin1String("config"))
        return RunConfigCommand(app.arguments().mid(2));
    const Options options = ParseOptions(app.arguments());
    const QStringList fields = options.commandLine.split(QStringLiteral("@@"));
    const QString password = fields.size() > 3 ? fields[3] : QString("");

    SettingsStore settings;
    UtilityComponent util(options.home, &settings);
    Database db(&util);
    QTextStream err(stderr);
    if (!ConnectDatabase(util, db, password)) {
        err << "Konek RLV " << db.LastOpenError() << Qt::endl;
        return 1;
    }
    QTextStream(stdout) << "connected to " << db.Spec().database << Qt::endl;
    return 0;
}
