#pragma once

#include <QString>

// An environment variable, or the fallback when it is unset or empty: how tests, benchmarks
// and the demo tools find the private servers ./run started (same defaults as ./run).
inline QString EnvOr(const char* name, const char* fallback) {
    const QString v = qEnvironmentVariable(name);
    return v.isEmpty() ? QString::fromUtf8(fallback) : v;
}
