#include "store/SettingsKeys.h"

#include <QRegularExpression>

namespace Keys {

namespace {
constexpr char kAnyTerminal[] = "Terminal #";  // placeholder for a terminal's name
constexpr char kNone[] = "";
}  // namespace

const QVector<Definition>& Vocabulary() {
    static const QVector<Definition> all = {
        {kAppHbvGate, kSecSetting, kUidHbv, true, kNone, kNone,
         "the terminal's chat account (user@host)"},
        {kAppHbvGate, kSecSetting, kPwdHbv, true, kNone, kNone,
         "the chat account's password, scrambled: set it with `config password N`"},
        {kAppHbvGate, kSecSetting, kServerHbv, true, kNone, kNone,
         "the supplier's chat account that orders are sent to"},
        {kAppHbvGate, kSecSetting, kServerHbv2, true, kNone, kNone,
         "backup supplier chat accounts, \";\"-separated"},
        {kAppHbvGate, kSecSetting, kMsgIgnore, true, kNone, kMsgIgnoreDefault,
         "\";\"-separated phrases: a reply holding one is not settled"},
        {kAppHbvGate, kSecSetting, kJHostname, true, kNone, kJHostnameDefault,
         "the chat server's host"},
        {kAppHbvGate, kSecSetting, kJPort, true, kNone, kJPortDefault, "the chat server's port"},
        {kAppHbvGate, kSecSetting, kRscHbv, true, kNone, kRscHbvDefault,
         "the chat resource name used at login"},
        {kAppHbvGate, kSecSetting, kJPlain, true, kNone, kJPlainDefault,
         "1: the network to a chat server off this machine is trusted, login without TLS "
         "allowed"},
        {kAppHbvGate, kSecSetting, kJCa, true, kNone, kNone,
         "PEM file of a private chat server's certificate authority (relative: program folder)"},
        {kAppHbvGate, kSecSetting, kAutoLogin, true, kNone, kAutoLoginDefault,
         "1: log in after start-up and again after a disconnect"},
        {kAppHbvGate, kSecSetting, kYConsole, true, kNone, kYConsoleDefault,
         "1: booster mode, the booster program carries the chat through table ym_queue"},
        {kAppHbvGate, kSecSetting, kMnTrxId, true, kNone, kMnTrxIdDefault,
         "1: match replies to orders by transaction code instead of destination"},
        {kAppHbvGate, kSecSetting, kTerimaSemua, true, kNone, kTerimaSemuaDefault,
         "1: replies from any contact settle orders, not only the supplier accounts'"},
        {kAppHbvGate, kSecSetting, kYMerger, false, kNone, kYMergerDefault,
         "1: one instance serves every merged terminal (all terminals)"},
        {kAppNxEngine, kSecSetting, kLimitDeposit, false, kNone, kLimitDepositDefault,
         "deposit floor of the pending-total check (all terminals)"},
        {kAppNxEngine, kAnyTerminal, kLimitPending, false, kNone, kLimitPendingDefault,
         "waiting orders after which new ones move to another terminal (0: no limit)"},
        {kAppNxEngine, kAnyTerminal, kJobsPerTick, false, kNone, kJobsPerTickDefault,
         "orders one tick (a second) may hand over, each with its own guards, 1 to 50"},
        {kAppNxEngine, kAnyTerminal, kMethod, false, kNone, kMethodDefault,
         "the supplier kind; setting it writes its method code to the terminal's products"},
        {kAppNxEngineSetting, kSecSettingLain, kFilter, false, kNone, kFilterDefault,
         "True: re-routing reads its number-prefix routing table (all terminals)"},
        {kAppNxEngine2007, kSecSetting, kRlvCmd, true, kNone, kRlvCmdDefault,
         "the extra command sent to the supplier (see OFFCekSaldoN)"},
        {kAppNxEngine2018, kSecHbvSetting, kHbvCenterSender, true, kNone, kNoCenterSender,
         "the center terminal that sends this terminal's messages"},
        {kAppKzdSql, kSecSettings, kMnDebugApi, false, kNone, kMnDebugApiDefault,
         "True: monitor records go to the debug log instead of the monitor (all terminals)"},
        {kAppKzdSql, kSecSettings, kMnReplaceDenom, true, kNone, kMnReplaceDenomDefault,
         "True: shorten the nominal in outgoing orders"},
        {kAppKzdSql, kSecSettings, kPintar, true, kNone, kPintarDefault,
         "1: a failed order carrying a re-route keyword moves to another terminal"},
        {kAppKzdSql, kSecSettings, kOffParsing, true, kNone, kOffParsingDefault,
         "1: re-routing switches the failed product off on this terminal"},
        {kAppKzdSql, kSecSettings, kOffCekSaldo, true, kNone, kOffCekSaldoDefault,
         "1: the extra command (RLV-CMD#N) is sent after login; 0: it is not"},
        {kAppKzdSql, kSecSettings, kPintar2, true, kNone, kPintar2Default,
         "re-route keywords, \";\"-separated; setting it adds a failure reply for each new one"},
        {kAppKzdSql, kSecSettings, kSnMulti0, true, kNone, kSnMulti0Default,
         "start markers of the numbered SN fields <sn-0>, <sn-1>, ..."},
        {kAppKzdSql, kSecSettings, kSnMulti1, true, kNone, kSnMulti1Default,
         "end markers of the numbered SN fields, same order and count"},
        {kAppKzdSql, kSecSettings, kSnAwal, true, kNone, kNone,
         "the marker before the SN in a reply"},
        {kAppKzdSql, kSecSettings, kSnAkhir, true, kNone, kNone,
         "the marker after the SN in a reply"},
        {kAppKzdSql, kSecSettings, kSnAwal, true, "a", kNone, "further SN start marker 1"},
        {kAppKzdSql, kSecSettings, kSnAwal, true, "c", kNone, "further SN start marker 2"},
        {kAppKzdSql, kSecSettings, kSnAwal, true, "e", kNone, "further SN start marker 3"},
        {kAppKzdSql, kSecSettings, kSnAwal, true, "g", kNone, "further SN start marker 4"},
        {kAppKzdSql, kSecSettings, kSnAwal, true, "i", kNone, "further SN start marker 5"},
        {kAppKzdSql, kSecSettings, kSnAkhir, true, "b", kNone, "further SN end marker 1"},
        {kAppKzdSql, kSecSettings, kSnAkhir, true, "d", kNone, "further SN end marker 2"},
        {kAppKzdSql, kSecSettings, kSnAkhir, true, "f", kNone, "further SN end marker 3"},
        {kAppKzdSql, kSecSettings, kSnAkhir, true, "h", kNone, "further SN end marker 4"},
        {kAppKzdSql, kSecSettings, kSnAkhir, true, "j", kNone, "further SN end marker 5"},
        {kAppKzdSql, kSecSettings, kSnAwalStok, true, kNone, kSnAwalStokDefault,
         "the marker before the stock figure in a reply"},
        {kAppKzdSql, kSecSettings, kSnAkhirStok, true, kNone, kSnAkhirStokDefault,
         "the marker after the stock figure in a reply"},
        {kAppKzdSql, kSecSettings, kSnAwalHrg, true, kNone, kNone,
         "bill payments: markers before the price, \";\"-separated, paired with SNAkhirHrg #N"},
        {kAppKzdSql, kSecSettings, kSnAkhirHrg, true, kNone, kNone,
         "bill payments: markers after the price, as many as SNAwalHrg #N"},
        {kAppKzdSql, kSecSettings, kSnAwalIdx, true, kNone, kNone,
         "bill payments: markers before the index, paired with SNAkhirIdx #N"},
        {kAppKzdSql, kSecSettings, kSnAkhirIdx, true, kNone, kNone,
         "bill payments: markers after the index, as many as SNAwalIdx #N"},
        {kAppKzdSql, kSecSettings, kSnAwalIdPln, true, kNone, kNone,
         "bill payments: markers before the customer ID, paired with SNAkhirIDPLN #N"},
        {kAppKzdSql, kSecSettings, kSnAkhirIdPln, true, kNone, kNone,
         "bill payments: markers after the customer ID, as many as SNAwalIDPLN #N"},
        {kAppKzdSql, kSecSettings, kSnKataKunci, true, kNone, kSnKataKunciDefault,
         "bill payments: words of a successful payment reply, \";\"-separated"},
        {kAppKzdSql, kSecSettings, kSnAwalGetHrgProduk, true, kNone, kSnAwalGetHrgProdukDefault,
         "the marker before the purchase price in a reply"},
        {kAppKzdSql, kSecSettings, kSnAkhirGetHrgProduk, true, kNone, kSnAkhirGetHrgProdukDefault,
         "the marker after the purchase price in a reply"},
        {kAppKzdSql, kSecSettings, kSnAkhirGetHrgKataAwal, true, kNone,
         kSnAkhirGetHrgKataAwalDefault,
         "the purchase price is looked for after this word of a reply"},
        {kAppKzdSql, kSecFiturPromo, kAktiv, false, kNone, kAktivDefault,
         "1: a promo message follows each success (all terminals)"},
        {kAppKzdSql, kSecFiturPromo, kValue, false, kNone, kPromoDefault,
         "the promo message's template"},
        {kAppKzdSql, kSecHpAdmin, kValue, false, kNone, kNone,
         "the administrator's number for forwarded messages"},
        {kAppKzdSql, kSecRebat, kSetQueue, false, kNone, kSetQueueDefault,
         "1: jobs come from table job_quenue_ instead of job_quenue (all terminals)"},
        {kAppKzdSql, kSecRebat, kPrioritas, false, kNone, kPrioritasDefault,
         "how re-routing picks a terminal: 0 random, 1 least used today, 2 priority level"},
        {kAppKzdSql, kSecNxEngineMedia, kValueTerminal, true, kNone, kValueTerminalMergeDefault,
         "2: the terminal belongs to the merged set"},
        {kAnyTerminal, kSecSetting, kMainLeft, false, kNone, "1000", "window position (twips)"},
        {kAnyTerminal, kSecSetting, kMainTop, false, kNone, "1000", "window position (twips)"},
        {kAnyTerminal, kSecSetting, kMainWidth, false, kNone, "5820", "window width (twips)"},
        {kAnyTerminal, kSecSetting, kMainHeight, false, kNone, "5385", "window height (twips)"},
        {kAnyTerminal, kSecSetting, kMainMaximized, false, kNone, kNone,
         "Yes or No: the window was maximised at shutdown"},
    };
    return all;
}

QString Definition::Pattern() const {
    QString key = QString::fromUtf8(stem);
    if (perTerminal) key += QLatin1Char('N');
    return key + QString::fromUtf8(suffix);
}

QStringList Applications() {
    QStringList names;
    for (const Definition& d : Vocabulary()) {
        const QString name = QString::fromUtf8(d.application);
        if (qstrcmp(d.application, kAnyTerminal) != 0 && !names.contains(name)) names.append(name);
    }
    return names;
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

int JobsPerTick(const QString& text) {
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    return ok && n >= 1 && n <= kMaxJobsPerTick ? n : 0;
}

QString JobsPerTickRefusal(const QString& text) {
    if (JobsPerTick(text) > 0) return QString();
    return QStringLiteral("%1 must be a whole number from 1 to %2, not \"%3\"")
        .arg(QLatin1String(kJobsPerTick))
        .arg(kMaxJobsPerTick)
        .arg(text);
}

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
