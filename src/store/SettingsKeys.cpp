#include "store/SettingsKeys.h"

#include <QRegularExpression>

namespace Keys {

namespace {
constexpr char kAnyTerminal[] = "Terminal #";  // placeholder for a terminal's name
constexpr char kNone[] = "";
}  // namespace

const QVector<Definition>& Vocabulary() {
    static const QVector<Definition> all = {
        {kAppHbvGate, kSecSetting, kUidHbv, true, kNone, kNone},
        {kAppHbvGate, kSecSetting, kPwdHbv, true, kNone, kNone},
        {kAppHbvGate, kSecSetting, kServerHbv, true, kNone, kNone},
        {kAppHbvGate, kSecSetting, kServerHbv2, true, kNone, kNone},
        {kAppHbvGate, kSecSetting, kMsgIgnore, true, kNone, kMsgIgnoreDefault},
        {kAppHbvGate, kSecSetting, kJHostname, true, kNone, kJHostnameDefault},
        {kAppHbvGate, kSecSetting, kJPort, true, kNone, kJPortDefault},
        {kAppHbvGate, kSecSetting, kRscHbv, true, kNone, kRscHbvDefault},
        {kAppHbvGate, kSecSetting, kJPlain, true, kNone, kJPlainDefault},
        {kAppHbvGate, kSecSetting, kJCa, true, kNone, kNone},
        {kAppHbvGate, kSecSetting, kAutoLogin, true, kNone, kAutoLoginDefault},
        {kAppHbvGate, kSecSetting, kYConsole, true, kNone, kYConsoleDefault},
        {kAppHbvGate, kSecSetting, kMnTrxId, true, kNone, kMnTrxIdDefault},
        {kAppHbvGate, kSecSetting, kTerimaSemua, true, kNone, kTerimaSemuaDefault},
        {kAppHbvGate, kSecSetting, kYMerger, false, kNone, kYMergerDefault},
        {kAppNxEngine, kSecSetting, kLimitDeposit, false, kNone, kLimitDepositDefault},
        {kAppNxEngine, kAnyTerminal, kLimitPending, false, kNone, kLimitPendingDefault},
        {kAppNxEngine, kAnyTerminal, kMethod, false, kNone, kMethodDefault},
        {kAppNxEngineSetting, kSecSettingLain, kFilter, false, kNone, kFilterDefault},
        {kAppNxEngine2007, kSecSetting, kRlvCmd, true, kNone, kRlvCmdDefault},
        {kAppNxEngine2018, kSecHbvSetting, kHbvCenterSender, true, kNone, kNoCenterSender},
        {kAppKzdSql, kSecSettings, kMnDebugApi, false, kNone, kMnDebugApiDefault},
        {kAppKzdSql, kSecSettings, kMnReplaceDenom, true, kNone, kMnReplaceDenomDefault},
        {kAppKzdSql, kSecSettings, kPintar, true, kNone, kPintarDefault},
        {kAppKzdSql, kSecSettings, kOffParsing, true, kNone, kOffParsingDefault},
        {kAppKzdSql, kSecSettings, kOffCekSaldo, true, kNone, kOffCekSaldoDefault},
        {kAppKzdSql, kSecSettings, kPintar2, true, kNone, kPintar2Default},
        {kAppKzdSql, kSecSettings, kSnMulti0, true, kNone, kSnMulti0Default},
        {kAppKzdSql, kSecSettings, kSnMulti1, true, kNone, kSnMulti1Default},
        {kAppKzdSql, kSecSettings, kSnAwal, true, kNone, kNone},
        {kAppKzdSql, kSecSettings, kSnAkhir, true, kNone, kNone},
        {kAppKzdSql, kSecSettings, kSnAwal, true, "a", kNone},
        {kAppKzdSql, kSecSettings, kSnAwal, true, "c", kNone},
        {kAppKzdSql, kSecSettings, kSnAwal, true, "e", kNone},
        {kAppKzdSql, kSecSettings, kSnAwal, true, "g", kNone},
        {kAppKzdSql, kSecSettings, kSnAwal, true, "i", kNone},
        {kAppKzdSql, kSecSettings, kSnAkhir, true, "b", kNone},
        {kAppKzdSql, kSecSettings, kSnAkhir, true, "d", kNone},
        {kAppKzdSql, kSecSettings, kSnAkhir, true, "f", kNone},
        {kAppKzdSql, kSecSettings, kSnAkhir, true, "h", kNone},
        {kAppKzdSql, kSecSettings, kSnAkhir, true, "j", kNone},
        {kAppKzdSql, kSecSettings, kSnAwalStok, true, kNone, kSnAwalStokDefault},
        {kAppKzdSql, kSecSettings, kSnAkhirStok, true, kNone, kSnAkhirStokDefault},
        {kAppKzdSql, kSecSettings, kSnAwalHrg, true, kNone, kNone},
        {kAppKzdSql, kSecSettings, kSnAkhirHrg, true, kNone, kNone},
        {kAppKzdSql, kSecSettings, kSnAwalIdx, true, kNone, kNone},
        {kAppKzdSql, kSecSettings, kSnAkhirIdx, true, kNone, kNone},
        {kAppKzdSql, kSecSettings, kSnAwalIdPln, true, kNone, kNone},
        {kAppKzdSql, kSecSettings, kSnAkhirIdPln, true, kNone, kNone},
        {kAppKzdSql, kSecSettings, kSnKataKunci, true, kNone, kSnKataKunciDefault},
        {kAppKzdSql, kSecSettings, kSnAwalGetHrgProduk, true, kNone, kSnAwalGetHrgProdukDefault},
        {kAppKzdSql, kSecSettings, kSnAkhirGetHrgProduk, true, kNone, kSnAkhirGetHrgProdukDefault},
        {kAppKzdSql, kSecSettings, kSnAkhirGetHrgKataAwal, true, kNone,
         kSnAkhirGetHrgKataAwalDefault},
        {kAppKzdSql, kSecFiturPromo, kAktiv, false, kNone, kAktivDefault},
        {kAppKzdSql, kSecFiturPromo, kValue, false, kNone, kPromoDefault},
        {kAppKzdSql, kSecHpAdmin, kValue, false, kNone, kNone},
        {kAppKzdSql, kSecRebat, kSetQueue, false, kNone, kSetQueueDefault},
        {kAppKzdSql, kSecRebat, kPrioritas, false, kNone, kPrioritasDefault},
        {kAppKzdSql, kSecNxEngineMedia, kValueTerminal, true, kNone, kValueTerminalMergeDefault},
        {kAnyTerminal, kSecSetting, kMainLeft, false, kNone, "1000"},
        {kAnyTerminal, kSecSetting, kMainTop, false, kNone, "1000"},
        {kAnyTerminal, kSecSetting, kMainWidth, false, kNone, "5820"},
        {kAnyTerminal, kSecSetting, kMainHeight, false, kNone, "5385"},
        {kAnyTerminal, kSecSetting, kMainMaximized, false, kNone, kNone},
    };
    return all;
}

namespace {

bool NameMatches(const char* pattern, const QString& name) {
    if (qstrcmp(pattern, kAnyTerminal) == 0) {
        static const QRegularExpression terminalName(QStringLiteral("^terminal #\\d+$"),
                                                     QRegularExpression::CaseInsensitiveOption);
        return terminalName.match(name.trimmed()).hasMatch();
    }
    return name.trimmed().compare(QString::fromUtf8(pattern), Qt::CaseInsensitive) == 0;
}

bool KeyMatches(const Definition& d, const QString& key) {
    const QString stem = QString::fromUtf8(d.stem);
    const QString suffix = QString::fromUtf8(d.suffix);
    const QString k = key.trimmed();
    if (!d.perTerminal) return k.compare(stem, Qt::CaseInsensitive) == 0;
    if (!k.startsWith(stem, Qt::CaseInsensitive) || !k.endsWith(suffix, Qt::CaseInsensitive))
        return false;
    const QString number = k.mid(stem.size(), k.size() - stem.size() - suffix.size());
    static const QRegularExpression digits(QStringLiteral("^\\d+$"));
    return digits.match(number).hasMatch();
}

}  // namespace

const Definition* Find(const QString& application, const QString& section, const QString& key) {
    const Definition* best = nullptr;
    for (const Definition& d : Vocabulary()) {
        if (!NameMatches(d.application, application) || !NameMatches(d.section, section) ||
            !KeyMatches(d, key))
            continue;
        // "Pintar25" is both Pintar of 25 and Pintar2 of 5; the longer stem is meant more often.
        if (best == nullptr || qstrlen(d.stem) > qstrlen(best->stem)) best = &d;
    }
    return best;
}

}  // namespace Keys
