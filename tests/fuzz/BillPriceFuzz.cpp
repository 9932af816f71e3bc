// The bill and price readers of a supplier's reply: the text between bill markers, the first
// marker pair that matches, the bill amount after "tagihan", and the purchase price by the
// terminal's markers. What they read comes from the reply, and amounts are digits only.
#include "FuzzSupport.h"
#include "dispatch/MoneyGuards.h"
#include "ledger/Prices.h"
#include "settlement/BillCapture.h"
#include "settlement/PriceUpdate.h"
#include "store/Convert.h"
#include "store/Database.h"
#include "store/SettingsStore.h"

namespace {

constexpr size_t kMaxReply = 401;
const QString kNotFound = QStringLiteral("N/A");

// The price markers of terminals 1 to 5: the defaults, one plain pair, lists (read by pattern),
// a list whose marker is no valid pattern piece, and no markers at all.
void StorePriceMarkers(const SettingsStore& settings) {
    const char* const presets[][4] = {
        {"2", "hrg:", ".", ""},
        {"3", "harga rp;hrg:;(", " ;.;)", "sukses"},
        {"4", "harga[;hrg", ";.", "saldo"},
        {"5", "", "", ""},
    };
    for (const auto& p : presets) {
        const auto save = [&](const char* key, const char* value) {
            settings.SaveSetting(QStringLiteral("kzd_sql"), QStringLiteral("Settings"),
                                 QLatin1String(key) + QLatin1String(p[0]), QLatin1String(value));
        };
        save("SNAwalGetHrgProduk", p[1]);
        save("SNAkhirGetHrgProduk", p[2]);
        save("SNAkhirGetHrgKataAwal", p[3]);
    }
}

bool Digits(const QString& text) {
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    return true;
}

// An amount as the settlement takes it: a number or an overflow, nothing else.
void AsAmount(const QString& text) {
    try {
        Convert::ToInt32(text);
    } catch (const RelvaneError& e) {
        FUZZ_REQUIRE(e.Description() == QLatin1String("Overflow"));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > fuzz::kMaxInput) return 0;
    fuzz::Application();
    static const SettingsStore settings(fuzz::ScratchFolder() + QStringLiteral("/config"));
    static UtilityComponent util(fuzz::ScratchFolder() + QStringLiteral("/home"), &settings);
    static Database db(&util, QStringLiteral("fuzz"));  // never opened
    static ProcessValues values;
    static Context ctx{db, util, settings, values};
    static Prices prices(ctx);
    static const bool stored = (StorePriceMarkers(settings), true);
    (void)stored;

    FuzzedDataProvider in(data, size);
    const QString terminal = QString::number(in.ConsumeIntegralInRange(1, 5));
    const QString awal = fuzz::Text(in, 40);
    const QString akhir = fuzz::Text(in, 40);
    const QString reply = fuzz::Text(in, kMaxReply);

    const QString between = BillCapture::AmbilDiantara(reply, awal, akhir);
    FUZZ_REQUIRE(between == kNotFound || reply.toLower().contains(between));
    try {
        const BillCapture::Found found = BillCapture::FirstBetween(reply, awal, akhir);
        FUZZ_REQUIRE(found.ok == (found.value != kNotFound));
        FUZZ_REQUIRE(found.ok || found.k == (awal.isEmpty() ? 0 : awal.count(';') + 1));
        FUZZ_REQUIRE(!found.ok || reply.toLower().contains(found.value));
    } catch (const RelvaneError&) {
        // A start marker without its end marker: the lists are of different lengths.
        FUZZ_REQUIRE(akhir.count(';') < awal.count(';') || akhir.isEmpty());
    }

    const QString bill = MoneyGuards::GetNominalTagihan(reply);
    FUZZ_REQUIRE(Digits(bill) && bill.size() <= 10);

    // A fresh reader per reply: the markers are loaded on first use.
    PriceUpdate price(ctx, prices);
    try {
        const QString stated = price.GetHrgDariBalasan(reply, terminal);
        const QString before = price.GetHrgCadangan(reply);
        const QString read = price.ReadPrice(reply, terminal);
        for (const QString& p : {stated, before, read}) {
            FUZZ_REQUIRE(!p.contains(QLatin1Char('.')) && !p.contains(QLatin1Char(',')));
            if (p != kNotFound) AsAmount(p);
        }
    } catch (const RelvaneError&) {
        // Only the list whose marker is no pattern piece may fail, and the caller logs it.
        FUZZ_REQUIRE(terminal == QLatin1String("4"));
    }
    return 0;
}
