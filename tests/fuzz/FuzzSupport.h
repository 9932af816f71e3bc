#pragma once

// What every fuzz target shares: a Qt application object for the classes that want one, a
// scratch folder that goes away with the process, texts cut from the input with a bound on
// their length, and the stop that turns a broken promise into a finding.
#include <fuzzer/FuzzedDataProvider.h>

#include <QCoreApplication>
#include <QString>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

// No input is longer than this: more says nothing new and only costs memory and time.
constexpr size_t kMaxInput = 64 * 1024;

// A broken property: say which, then stop the way the fuzzer reports as a crash.
[[noreturn]] inline void Fail(const char* what) {
    std::fprintf(stderr, "property failed: %s\n", what);
    std::fflush(stderr);
    __builtin_trap();
}

#define FUZZ_REQUIRE(condition)                     \
    do {                                            \
        if (!(condition)) ::fuzz::Fail(#condition); \
    } while (0)

inline void Application() {
    static int argc = 1;
    static char name[] = "relvane-fuzz";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);
}

// A folder of its own under $TMPDIR, removed when the process ends normally.
inline const QString& ScratchFolder() {
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/relvane-fuzz-XXXXXX"));
    if (!dir.isValid()) {
        std::fprintf(stderr, "no scratch folder under %s\n", qPrintable(QDir::tempPath()));
        std::abort();
    }
    static const QString path = dir.path();
    return path;
}

// Up to max bytes of the input as UTF-8 text (invalid sequences become U+FFFD).
inline QString Text(FuzzedDataProvider& in, size_t max) {
    const std::string bytes = in.ConsumeRandomLengthString(max);
    return QString::fromUtf8(bytes.data(), static_cast<int>(bytes.size()));
}

inline QString RemainingText(FuzzedDataProvider& in) {
    const std::string bytes = in.ConsumeRemainingBytesAsString();
    return QString::fromUtf8(bytes.data(), static_cast<int>(bytes.size()));
}

}  // namespace fuzz
