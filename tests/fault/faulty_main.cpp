// A terminal, headless, that ends itself with SIGKILL at a chosen point of its work: the k-th
// database point (statement, BEGIN, COMMIT, or just after a commit) counted from the first
// time it looks for a job. RELVANE_KILL_AT=k; 0 or unset: never. Every counted point is
// printed ("point <k> <what>") before it is reached, and "next tick" when counting reaches the
// job query of the tick after the first, so a test knows when k has gone past the first tick.
//
//   relvane-faulty --home DIR "Terminal #n@@Relvane@@n@@password"
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTextStream>

#include "dispatch/Core.h"
#include "store/Database.h"
#include "store/Output.h"

namespace {

bool IsJobQuery(const QString& point) {
    return point.startsWith(QLatin1String("SELECT * FROM ")) &&
           point.endsWith(QLatin1String(" and pesan <> '' order by id asc limit 0,1"));
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int home = args.indexOf(QStringLiteral("--home"));
    if (home < 0 || home + 2 >= args.size()) {
        QTextStream(stderr) << "usage: relvane-faulty --home DIR HOSTLINE\n";
        return 2;
    }
    const int killAt = qEnvironmentVariableIntValue("RELVANE_KILL_AT");

    Core core(args.at(home + 1));
    QTextStream out(stdout);
    QObject::connect(&core.Out(), &Output::Line, &core,
                     [&out](const QString& label, const QString& text) {
                         out << Output::LineText(label, text) << Qt::endl;
                     });
    int counted = 0;
    int jobQueries = 0;
    core.Db().SetProbe([&](const QString& point) {
        if (IsJobQuery(point) && ++jobQueries == 2) out << "next tick" << Qt::endl;
        if (jobQueries == 0) return;
        ++counted;
        out << "point " << counted << ' ' << point.left(60) << Qt::endl;
        if (counted == killAt) ::kill(::getpid(), SIGKILL);
    });
    QObject::connect(
        &core, &Core::Finished, &app, [&app](int code) { app.exit(code); }, Qt::QueuedConnection);
    if (!core.FormLoad(args.mid(home + 2).join(QLatin1Char(' ')))) return core.ExitCode();
    const int code = app.exec();
    core.FormUnload();
    return code;
}
