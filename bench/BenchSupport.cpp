#include "BenchSupport.h"

#include <QProcess>

namespace {
QString Env(const char* name, const char* fallback) {
    const QString v = qEnvironmentVariable(name);
    return v.isEmpty() ? QString::fromUtf8(fallback) : v;
}
}  // namespace

DbTarget BenchTarget(const QString& driver) {
    DbTarget target;
    target.driver = driver;
    target.server = Env("RELVANE_DB_HOST", "127.0.0.1");
    target.port = Env("RELVANE_DB_PORT", "33061");
    target.uid = Env("RELVANE_DB_USER", "relvane");
    target.password = Env("RELVANE_DB_PASSWORD", "relvane");
    target.database = QStringLiteral("relvane_demo");  // ./run services start loads its schema
    return target;
}
