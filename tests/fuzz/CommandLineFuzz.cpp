// The program's command line and the host's line it carries: the flags are found wherever they
// stand, the other words come back joined, and a line taken for a terminal's reads without
// harm.
#include <QDir>

#include "FuzzSupport.h"
#include "app/CommandLine.h"
#include "store/Convert.h"
#include "store/Errors.h"

namespace {

// A line taken for a terminal's reads as start-up reads it: numbers in range, and a name that
// stays a file name in the log folder. Anything else is refused with a reason.
void ReadHostFields(const CommandLine& c) {
    QString problem;
    const CommandLine::Host host = c.ReadHost(&problem);
    FUZZ_REQUIRE((host == CommandLine::Host::Unusable) != problem.isEmpty());
    if (host != CommandLine::Host::Terminal) return;
    const QStringList fields = c.hostLine.split(QStringLiteral("@@"));
    try {
        FUZZ_REQUIRE(Convert::ToInt16(QString(fields[0]).remove(QStringLiteral("Terminal #"))) > 0);
        FUZZ_REQUIRE(Convert::ToInt16(fields.value(2)) >= 0);
    } catch (const RelvaneError&) {
        fuzz::Fail("a number out of range taken");
    }
    FUZZ_REQUIRE(!fields[0].contains(QLatin1Char('/')) && !fields[0].contains(QLatin1String("..")));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qunsetenv("RELVANE_HEADLESS");
    qunsetenv("RELVANE_HOME");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > fuzz::kMaxInput) return 0;
    FuzzedDataProvider in(data, size);
    QStringList arguments{QStringLiteral("relvane")};
    // Words as a program gets them: no NUL inside one.
    while (in.remaining_bytes() > 0 && arguments.size() < 32)
        arguments.append(fuzz::Text(in, 200).remove(QChar(0)));

    // A terminal's flags are read wherever they stand; a command's words are its own.
    const QString information = CommandLine::Information(arguments);
    bool asks = false;
    const QString command = arguments.value(1);
    for (int i = 1; i < arguments.size() && command != QLatin1String("config") &&
                    command != QLatin1String("monitor");
         ++i) {
        if (arguments[i] == QLatin1String("--home"))
            ++i;
        else if (QStringList{"--version", "--help", "-h"}.contains(arguments[i]))
            asks = true;
    }
    FUZZ_REQUIRE(information.isEmpty() != asks);

    const QString executableFolder = QStringLiteral("/opt/relvane/bin");
    const CommandLine c = CommandLine::Parse(arguments, executableFolder);
    FUZZ_REQUIRE(QDir::isAbsolutePath(c.home));
    // Only flags are taken out (the word after --home is its folder, whatever it says): the
    // words left are the host's, in their order.
    int words = 0;
    bool headless = false;
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--headless")) {
            headless = true;
            continue;
        }
        if (arguments[i] == QLatin1String("--home") && i + 1 < arguments.size()) {
            ++i;
            continue;
        }
        FUZZ_REQUIRE(c.hostLine.mid(words, arguments[i].size()) == arguments[i]);
        words += arguments[i].size() + 1;
    }
    FUZZ_REQUIRE(c.hostLine.size() == std::max(words - 1, 0));
    FUZZ_REQUIRE(c.headless == headless);
    ReadHostFields(c);
    return 0;
}
