// The reseller's reply filled from a keyword's template: every occurrence of each placeholder
// is filled (the price and the bill only for a success with one), whatever the template's
// other text; with hostile texts in the reply and the row, and any SN markers, nothing breaks.
#include <QFile>
#include <QLocale>

#include "FuzzSupport.h"
#include "settlement/ReplyClassifier.h"
#include "settlement/Settlement.h"
#include "settlement/SettlementMessage.h"
#include "store/Database.h"
#include "store/SettingsStore.h"

namespace {

constexpr size_t kMaxReply = 401;

const char* const kFilled[] = {"<bypas>",       "<trxid>",      "<trxid2>",      "<tujuan>",
                               "<produk>",      "<namaproduk>", "<depositawal>", "<deposit>",
                               "<sn>",          "<datetime>",   "<datetime2>",   "<kodereseller>",
                               "<namareseller>"};
const char* const kOthers[] = {"<harga>", "<bayar>", "<trx>", "<sn-0>",
                               "<sn-1>",  "<sn-2>",  "<n>",   "<sn"};

// A template of placeholders and plain text without angle brackets.
QString Template(FuzzedDataProvider& in) {
    QString templ;
    const int tokens = in.ConsumeIntegralInRange(0, 24);
    for (int i = 0; i < tokens; ++i) {
        const auto pick = in.ConsumeIntegralInRange<size_t>(0, 29);
        if (pick < std::size(kFilled)) {
            templ += QLatin1String(kFilled[pick]);
        } else if (pick < std::size(kFilled) + std::size(kOthers)) {
            templ += QLatin1String(kOthers[pick - std::size(kFilled)]);
        } else {
            templ += fuzz::Text(in, 12).remove(QLatin1Char('<')).remove(QLatin1Char('>'));
        }
    }
    return templ;
}

QString Value(FuzzedDataProvider& in, size_t max, bool hostile) {
    const QString text = fuzz::Text(in, max);
    return hostile ? text : QString(text).remove(QLatin1Char('<')).remove(QLatin1Char('>'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > fuzz::kMaxInput) return 0;
    fuzz::Application();
    static const bool once = [] {
        QLocale::setDefault(QLocale::c());  // amounts group the same way on every machine
        // The log folder is a file: the reader's log lines go nowhere.
        QDir().mkpath(fuzz::ScratchFolder() + QStringLiteral("/home"));
        QFile(fuzz::ScratchFolder() + QStringLiteral("/home/Log")).open(QIODevice::WriteOnly);
        return true;
    }();
    (void)once;
    static const SettingsStore settings(fuzz::ScratchFolder() + QStringLiteral("/config"));
    static UtilityComponent util(fuzz::ScratchFolder() + QStringLiteral("/home"), &settings);
    static Database db(&util, QStringLiteral("fuzz"));  // never opened
    static ProcessValues values;
    static Context ctx{db, util, settings, values};

    FuzzedDataProvider in(data, size);
    const bool hostile = in.ConsumeBool();
    const bool success = in.ConsumeBool();
    Settlement::Reply r;
    r.templ = Template(in);
    r.rec.terminal = in.ConsumeIntegral<qint16>();
    r.entry.id = in.ConsumeIntegral<qint64>();
    r.price = in.ConsumeIntegral<qint32>();
    r.before = in.ConsumeIntegral<qint32>();
    r.after = in.ConsumeIntegral<qint32>();
    r.bill = in.ConsumeIntegral<qint32>();
    r.rec.kodeTransaksi = Value(in, 40, hostile);
    r.rec.tujuan = Value(in, 20, hostile);
    r.rec.kodeProduk = Value(in, 10, hostile);
    r.namaProduk = Value(in, 40, hostile);
    r.sn = Value(in, 40, hostile);
    r.rec.kodeReseller = Value(in, 10, hostile);
    r.nama = Value(in, 30, hostile);
    values.SnMulti0 = fuzz::Text(in, 30);
    values.SnMulti1 = fuzz::Text(in, 30);
    r.text = Value(in, kMaxReply, hostile);

    const QString m = SettlementMessage::FillMessage(
        r, success, QStringLiteral("2024-05-01 10:20:30"), QStringLiteral("01051020"));
    if (!hostile) {
        for (const char* p : kFilled) FUZZ_REQUIRE(!m.contains(QLatin1String(p)));
        FUZZ_REQUIRE(m.contains(QLatin1String("<harga>")) ==
                     (!success && r.templ.contains(QLatin1String("<harga>"))));
        FUZZ_REQUIRE(m.contains(QLatin1String("<bayar>")) ==
                     ((!success || r.bill == 0) && r.templ.contains(QLatin1String("<bayar>"))));
    }

    // The numbered SN fields, by whatever markers the terminal has: filled without harm.
    ReplyClassifier(ctx).IsiSNMulti(r.text, m);
    return 0;
}
