// The booster's text encoding: for any key, decoding an encoded text gives it back, the length
// never changes, and only printable ASCII moves, within printable ASCII.
#include "FuzzSupport.h"
#include "store/UtilityComponent.h"

namespace {

bool Printable(QChar c) {
    return c.unicode() >= 32 && c.unicode() <= 126;
}

void RoundTrip(const QString& text, const QString& key) {
    const QString encoded = UtilityComponent::Encode(text, key);
    const QString decoded = UtilityComponent::Decode(text, key);
    FUZZ_REQUIRE(encoded.size() == text.size() && decoded.size() == text.size());
    FUZZ_REQUIRE(UtilityComponent::Decode(encoded, key) == text);
    FUZZ_REQUIRE(UtilityComponent::Encode(decoded, key) == text);
    for (int i = 0; i < text.size(); ++i) {
        FUZZ_REQUIRE(Printable(encoded[i]) == Printable(text[i]));
        if (!Printable(text[i])) FUZZ_REQUIRE(encoded[i] == text[i]);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > fuzz::kMaxInput) return 0;
    FuzzedDataProvider in(data, size);
    // A key of printable characters, as the booster's is, and one of any characters.
    const std::string keyBytes = in.ConsumeRandomLengthString(32);
    QString printableKey, anyKey;
    for (const char b : keyBytes) {
        printableKey += QChar(32 + static_cast<unsigned char>(b) % 95);
        anyKey += QChar(static_cast<unsigned char>(b) * 257);
    }
    // The text as UTF-16 code units, lone surrogates and all.
    const std::vector<uint8_t> units = in.ConsumeRemainingBytes<uint8_t>();
    const QString text(reinterpret_cast<const QChar*>(units.data()),
                       static_cast<int>(units.size() / 2));

    RoundTrip(text, QStringLiteral("kvrtn7302"));
    RoundTrip(text, printableKey);
    RoundTrip(text, anyKey);
    return 0;
}
