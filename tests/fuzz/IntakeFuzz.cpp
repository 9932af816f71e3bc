// How a chat message is taken in: the cleaned text holds no line breaks and no "|" (the field
// separator of the monitor record), has no blanks at its ends; the account loses its resource;
// the ignore list matches phrases in any letter case.
#include "FuzzSupport.h"
#include "dispatch/Intake.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > fuzz::kMaxInput) return 0;
    FuzzedDataProvider in(data, size);
    const QString list = fuzz::Text(in, 200);
    const QString jid = fuzz::Text(in, 100);
    const QString body = fuzz::RemainingText(in);

    const QString text = Intake::CleanText(body);
    FUZZ_REQUIRE(!text.contains(QLatin1Char('|')) && !text.contains(QLatin1Char('\r')) &&
                 !text.contains(QLatin1Char('\n')));
    FUZZ_REQUIRE(text == text.trimmed() && text.size() <= body.size());

    const QString account = Intake::BareAccount(jid);
    FUZZ_REQUIRE(!account.contains(QLatin1Char('/')) && account == account.trimmed());

    FUZZ_REQUIRE(!Intake::IsIgnoredMessage(text, QString()));
    const bool ignored = Intake::IsIgnoredMessage(text, list);
    // A phrase of the list that the text holds in capitals is still found.
    if (!list.isEmpty()) {
        const QString phrase = list.section(QLatin1Char(';'), 0, 0);
        FUZZ_REQUIRE(Intake::IsIgnoredMessage(text + phrase.toUpper(), list) ||
                     phrase.toUpper().toLower() != phrase.toLower());
    }
    FUZZ_REQUIRE(ignored == Intake::IsIgnoredMessage(text, list));
    return 0;
}
