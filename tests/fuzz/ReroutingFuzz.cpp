// The texts of re-routing: the fields of a transaction code, the entries of a terminal list
// and the terminal each names, and the new job's text made from the product's command.
#include "FuzzSupport.h"
#include "routing/Rerouting.h"
#include "routing/TerminalChoice.h"
#include "store/Convert.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > fuzz::kMaxInput) return 0;
    FuzzedDataProvider in(data, size);
    const QString trxId = fuzz::Text(in, 60);
    const QString list = fuzz::Text(in, 100);
    Rerouting::AlihCommand command;
    command.command = fuzz::Text(in, 160);
    const QString target = fuzz::Text(in, 40);
    command.suffix =
        target.isEmpty() || target == QLatin1String("-") ? QString() : QLatin1Char('@') + target;
    const QString tujuan = fuzz::RemainingText(in).left(30);

    for (int field = 0; field < 5; ++field) {
        const QString value = Rerouting::AmbilFieldTrx(trxId, field);
        FUZZ_REQUIRE(!value.contains(QLatin1Char('#')) && trxId.contains(value));
    }
    const QString trxid = Rerouting::AmbilFieldTrx(trxId, 1);
    // The denomination as the new job carries it.
    const QString denom =
        QString::number(Convert::Val(Rerouting::AmbilFieldTrx(trxId, 3)), 'g', 15);

    const QStringList entries = TerminalChoice::Entries(list);
    FUZZ_REQUIRE(entries.join(QLatin1Char(';')) == list);
    for (const QString& entry : entries) {
        if (const std::optional<int> n = TerminalChoice::TerminalNumber(entry))
            FUZZ_REQUIRE(TerminalChoice::TerminalNumber(QString::number(*n)) == n);
    }

    // Whatever the texts hold, the job's text is made.
    Rerouting::IsiPerintahAlih(command, tujuan, trxid, denom);
    return 0;
}
