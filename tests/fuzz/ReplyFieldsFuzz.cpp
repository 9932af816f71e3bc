// The SN and the stock figure read from a supplier's reply, by marker pairs of the terminal's
// settings or by the built-in rule: what is read is always a piece of the reply, and the
// built-in rule gives one word without a closing dot.
#include <QFile>

#include "FuzzSupport.h"
#include "store/SettingsStore.h"
#include "store/UtilityComponent.h"

namespace {

constexpr qint16 kTerminal = 5;
// Replies longer than this are stored, never settled.
constexpr size_t kMaxReply = 401;

const char* const kMarkerKeys[] = {"SNAwal #5",     "SNAkhir #5",    "SNAwal #5a", "SNAkhir #5b",
                                   "SNAwal #5c",    "SNAkhir #5d",   "SNAwal #5e", "SNAkhir #5f",
                                   "SNAwal #5g",    "SNAkhir #5h",   "SNAwal #5i", "SNAkhir #5j",
                                   "SNAwalStok #5", "SNAkhirStok #5"};

// One settings line: markers are one-line texts, quoted so that blanks at their ends stay.
QByteArray Entry(const char* key, QString marker) {
    for (QChar& c : marker)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) c = QLatin1Char(' ');
    return QByteArray(key) + "=\"" + marker.toUtf8() + "\"\n";
}

bool OneWord(const QString& text) {
    for (const QChar c : text)
        if (c.isSpace()) return false;
    return !text.endsWith(QLatin1Char('.'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > fuzz::kMaxInput) return 0;
    FuzzedDataProvider in(data, size);
    static const SettingsStore settings(fuzz::ScratchFolder() + QStringLiteral("/config"));
    static const bool made = QDir().mkpath(settings.Folder());
    (void)made;
    static const UtilityComponent util(fuzz::ScratchFolder() + QStringLiteral("/home"), &settings);

    // Which markers the terminal has (a bit each), and the markers themselves.
    const auto configured = in.ConsumeIntegral<uint16_t>();
    QByteArray ini = "[Settings]\n";
    for (int i = 0; i < 14; ++i)
        if (configured & (1u << i)) ini += Entry(kMarkerKeys[i], fuzz::Text(in, 12));
    const QString reply = fuzz::Text(in, kMaxReply);
    {
        QFile file(settings.FileOf(QStringLiteral("kzd_sql")));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) fuzz::Fail("scratch file");
        file.write(ini);
    }

    const QString sn = util.SnFromReply(reply, kTerminal);
    FUZZ_REQUIRE(reply.contains(sn));
    const QString stock = util.StockFromReply(reply, kTerminal);
    FUZZ_REQUIRE(reply.contains(stock));
    bool anyStart = false;
    for (int i = 0; i < 12; i += 2)
        anyStart = anyStart || !settings
                                    .GetSetting(QStringLiteral("kzd_sql"),
                                                QStringLiteral("Settings"), kMarkerKeys[i])
                                    .isEmpty();
    if (!anyStart) FUZZ_REQUIRE(OneWord(sn));
    // Another terminal has no markers of its own: the built-in rule and the default stock markers.
    const QString other = util.SnFromReply(reply, kTerminal + 1);
    FUZZ_REQUIRE(reply.contains(other) && OneWord(other));
    FUZZ_REQUIRE(reply.contains(util.StockFromReply(reply, kTerminal + 1)));
    return 0;
}
