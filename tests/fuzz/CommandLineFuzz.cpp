// The program's command line and the host's line it carries: the flags are found wherever they
// stand, the other words come back joined, and the host's fields read as numbers without harm.
#include <QDir>

#include "FuzzSupport.h"
#include "app/CommandLine.h"
#include "store/Convert.h"
#include "store/Errors.h"

namespace {

// The host's fields as start-up reads them; a number out of range is an error, not a wrap.
void ReadHostFields(const QString& hostLine) {
    const QStringList fields = hostLine.split(QStringLiteral("@@"));
    for (const QString& number :
         {fields.value(2), QString(fields.value(0)).remove(QStringLiteral("Terminal #"))}) {
        try {
            const qint16 n = Convert::ToInt16(number);
            FUZZ_REQUIRE(Convert::Val(QString::number(n)) == n);
        } catch (const RelvaneError& e) {
            FUZZ_REQUIRE(e.Description() == QLatin1String("Overflow"));
        }
    }
    Convert::ToBool(fields.value(1));
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

    const QString information = CommandLine::Information(arguments.value(1));
    const bool asks = arguments.value(1) == QLatin1String("--version") ||
                      arguments.value(1) == QLatin1String("--help") ||
                      arguments.value(1) == QLatin1String("-h");
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
    ReadHostFields(c.hostLine);
    return 0;
}
