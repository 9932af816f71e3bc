#include "BenchSupport.h"

#include <QProcess>

namespace {
QString Env(const char* name, const char* fallback) {
    const QString v = qEnvironmentVariable(name);
    return v.isEmpty() ? QString::fromUtf8(fallback) : v;
}
}  // namespace

DbConnectionSpec BenchSpec(const QString& driver) {
    DbConnectionSpec spec;
    spec.driver = driver;
    spec.server = Env("RELVANE_DB_HOST", "127.0.0.1");
    spec.port = Env("RELVANE_DB_PORT", "33061");
    spec.uid = Env("RELVANE_DB_USER", "relvane");
    spec.password = Env("RELVANE_DB_PASSWORD", "relvane");
    spec.database = QStringLiteral("relvane_demo");  // ./run services start loads its schema
    return spec;
}
