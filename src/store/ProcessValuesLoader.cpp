#include "store/ProcessValuesLoader.h"

#include <limits>

#include "store/Convert.h"
#include "store/Errors.h"
#include "store/Lookups.h"
#include "store/Output.h"
#include "store/ProcessValues.h"
#include "store/ProgramFiles.h"
#include "store/SettingsKeys.h"
#include "store/SettingsStore.h"
#include "store/UtilityComponent.h"

using namespace Keys;

namespace {

// Where a value stands, for a message: HBV-Gate [Setting] AUTOLOGIN #5 = "256".
QString Stored(const QString& app, const QString& section, const QString& key,
               const QString& value) {
    return QStringLiteral("%1 [%2] %3 = \"%4\"").arg(app, section, key, value);
}

}  // namespace

ProcessValuesLoader::ProcessValuesLoader(ProcessValues& values, const SettingsStore& settings,
                                         UtilityComponent& util, Lookups& lookups, Output& out)
    : v_(values), settings_(settings), util_(util), lookups_(lookups), out_(out) {}

QString ProcessValuesLoader::Setting(const QString& app, const QString& section, const QString& key,
                                     const QString& def) const {
    return settings_.GetSetting(app, section, key, def);
}

template <typename Read>
auto ProcessValuesLoader::Number(Read read, const QString& app, const QString& section,
                                 const QString& key, const QString& def) const {
    using T = decltype(read(QString()));
    const QString text = Setting(app, section, key, def);
    try {
        return read(text);
    } catch (const RelvaneError&) {
        throw RelvaneError(Stored(app, section, key, text) +
                           QStringLiteral(" is out of range: a number from %1 to %2")
                               .arg(qlonglong(std::numeric_limits<T>::min()))
                               .arg(qlonglong(std::numeric_limits<T>::max())));
    }
}

template <typename T, typename Read>
T ProcessValuesLoader::Tolerant(const char* what, T fallback, Read read) {
    try {
        return read();
    } catch (const std::exception& e) {
        util_.WriteLog(v_.LogName(), QString::fromUtf8(what) + QLatin1Char(' ') + Describe(e));
        return fallback;
    }
}

void ProcessValuesLoader::Name(const QString& terminalName) {
    v_.TerminalName = terminalName;
}

void ProcessValuesLoader::Database(const QString& password, const QString& name) {
    v_.DatabasePassword = password;
    v_.DatabaseName = name;
    v_.SeparatePackageRebate = Tolerant<quint8>("GetConfigFlag", 0, [&] {
        return lookups_.GetConfigFlag(
            QStringLiteral("Pisahkan rebat Paket Harga dari penambahan deposit langsung"));
    });
}

void ProcessValuesLoader::LoadModulRules() {
    v_.ModulRules = ProgramFiles::ReadModulRules(util_);
}

void ProcessValuesLoader::LoadSettings(const QString& moduleName, const QString& terminalName,
                                       qint16 nodeNo) {
    v_.NodeNo = nodeNo;
    v_.ModuleName = moduleName;
    v_.TerminalName = terminalName;
    v_.TerminalNo = Convert::ToInt16(QString(terminalName).remove(QStringLiteral("Terminal #")));
    // A settings file left unreadable (say, by a `config` run as root) would be taken for no
    // settings at all: no chat account, every switch at its default.
    settings_.CheckAccess(Applications() << terminalName);
    LoadChatAccount();
    LoadSwitches();
    v_.TerminalList = v_.chMerger ? CekAllRLV() : QString();
    LoadRoutingLists();
}

QString ProcessValuesLoader::Own(const char* stem) const {
    return PerTerminal(stem, v_.TerminalNo);
}

void ProcessValuesLoader::LoadChatAccount() {
    ProcessValues& v = v_;
    v.MonitorDebugOn =
        Convert::ToBool(Setting(kAppKzdSql, kSecSettings, kMnDebugApi, kMnDebugApiDefault));
    v.ReplaceDenomOn = Convert::ToBool(
        Setting(kAppKzdSql, kSecSettings, Own(kMnReplaceDenom), kMnReplaceDenomDefault));
    v.ID = Setting(kAppHbvGate, kSecSetting, Own(kUidHbv), "");
    v.PwdHbv = Setting(kAppHbvGate, kSecSetting, Own(kPwdHbv), "");
    v.LblTarget = Setting(kAppHbvGate, kSecSetting, Own(kServerHbv), "");
    v.LblTarget2 = Setting(kAppHbvGate, kSecSetting, Own(kServerHbv2), "");
    v.lblServer = Setting(kAppHbvGate, kSecSetting, Own(kJHostname), kJHostnameDefault);
    v.ChatPort = Setting(kAppHbvGate, kSecSetting, Own(kJPort), kJPortDefault);
    bool number = false;
    const int port = Convert::TrimBlanks(v.ChatPort).toInt(&number);
    if (!number || port < 1 || port > 65535)
        throw RelvaneError(Stored(kAppHbvGate, kSecSetting, Own(kJPort), v.ChatPort) +
                           QStringLiteral(" is not a port number from 1 to 65535"));
    v.ChatPort = QString::number(port);
    v.ExtraCommand = Setting(kAppNxEngine2007, kSecSetting, Own(kRlvCmd), kRlvCmdDefault);
    v.AutoLoginOn =
        Number(Convert::ToByte, kAppHbvGate, kSecSetting, Own(kAutoLogin), kAutoLoginDefault);
    v.BoosterMode =
        Number(Convert::ToByte, kAppHbvGate, kSecSetting, Own(kYConsole), kYConsoleDefault);
    v.chMerger = Convert::ToBool(Setting(kAppHbvGate, kSecSetting, kYMerger, kYMergerDefault));
    v.TrxIdMatching =
        Convert::Val(Setting(kAppHbvGate, kSecSetting, Own(kMnTrxId), kMnTrxIdDefault)) == 1;
    v.OpenSettlement =
        Convert::ToBool(Setting(kAppHbvGate, kSecSetting, Own(kTerimaSemua), kTerimaSemuaDefault));
    v.IgnoreList = Setting(kAppHbvGate, kSecSetting, Own(kMsgIgnore), kMsgIgnoreDefault);
}

void ProcessValuesLoader::LoadSwitches() {
    ProcessValues& v = v_;
    v.LimitDeposit =
        Number(Convert::ToInt32, kAppNxEngine, kSecSetting, kLimitDeposit, kLimitDepositDefault);
    v.FilterOn =
        Convert::ToBool(Setting(kAppNxEngineSetting, kSecSettingLain, kFilter, kFilterDefault));
    v.PromoOn = Convert::ToBool(Setting(kAppKzdSql, kSecFiturPromo, kAktiv, kAktivDefault));
    v.PromoTemplate = Setting(kAppKzdSql, kSecFiturPromo, kValue, kPromoDefault);
    v.AdminNumber = Setting(kAppKzdSql, kSecHpAdmin, kValue, "");
    v.Pintar = Number(Convert::ToByte, kAppKzdSql, kSecSettings, Own(kPintar), kPintarDefault);
    v.OffParsing =
        Number(Convert::ToByte, kAppKzdSql, kSecSettings, Own(kOffParsing), kOffParsingDefault);
    v.OffCekSaldo =
        Number(Convert::ToInt16, kAppKzdSql, kSecSettings, Own(kOffCekSaldo), kOffCekSaldoDefault);
    v.FailureKeywordsText = Setting(kAppKzdSql, kSecSettings, Own(kPintar2), kPintar2Default);
    v.DebitAtOrder = Tolerant<quint8>("GetConfigFlag", 0, [&] {
        return lookups_.GetConfigFlag(QStringLiteral("Potong deposit reseller di awal transaksi"));
    });
    v.LimitPending =
        Number(Convert::ToInt16, kAppNxEngine, v.TerminalName, kLimitPending, kLimitPendingDefault);
    const QString jobsPerTick =
        Setting(kAppNxEngine, v.TerminalName, kJobsPerTick, kJobsPerTickDefault);
    v.JobsPerTick = JobsPerTick(jobsPerTick);
    if (v.JobsPerTick == 0)
        throw RelvaneError(
            Stored(kAppNxEngine, v.TerminalName, kJobsPerTick, jobsPerTick) +
            QStringLiteral(" is not a whole number from 1 to %1").arg(kMaxJobsPerTick));
    v.AltQueueOn = Number(Convert::ToByte, kAppKzdSql, kSecRebat, kSetQueue, kSetQueueDefault) == 1;
}

void ProcessValuesLoader::LoadRoutingLists() {
    ProcessValues& v = v_;
    v.Prioritas = Number(Convert::ToByte, kAppKzdSql, kSecRebat, kPrioritas, kPrioritasDefault);
    const QString levels = ProgramFiles::ReadOpcode(util_, kSecReseller, kPrioritas);
    v.PriorityLevels = levels.isEmpty() ? 0 : levels.split(QLatin1Char('|')).size();
    v.SnMulti0 = Setting(kAppKzdSql, kSecSettings, Own(kSnMulti0), kSnMulti0Default);
    v.SnMulti1 = Setting(kAppKzdSql, kSecSettings, Own(kSnMulti1), kSnMulti1Default);
    v.DischargeList = Tolerant<QString>("DischargeTerminals", QStringLiteral("0"), [&] {
                          return lookups_.DischargeTerminals();
                      }).split(QLatin1Char(';'));

    v.SmallestQueueFilter = Tolerant<quint8>("GetConfigFlag", 0, [&] {
        return lookups_.GetConfigFlag(
            QStringLiteral("Selalu mencari antrian terkecil untuk tiap terminal"));
    });
    v.SenderCenterOn =
        Tolerant<quint8>("GetConfigFlag", 0, [&] {
            return lookups_.GetConfigFlag(QStringLiteral("Terminal Center sebagai Sender"));
        }) == 1;
    v.SmsCenterList =
        Tolerant<QString>("TerminalsByModul", QStringLiteral(";"),
                          [&] { return lookups_.TerminalsByModul(QStringLiteral("SMS Center")); }) +
        QStringLiteral(";0");
    v.ReplayHbv[0] = ProgramFiles::ReadOpcode(util_, kSecReplayHbv, kReplayValue).trimmed();
    v.ReplayHbv[1] = ProgramFiles::ReadOpcode(util_, kSecReplayHbv, kReplayValue1).trimmed();
    v.ReplayHbv[2] = ProgramFiles::ReadOpcode(util_, kSecReplayHbv, kReplayValue2).trimmed();
}

QString ProcessValuesLoader::CekAllRLV() {
    try {
        QString list;
        for (const QString& t : lookups_.RelvaneTerminals()) {
            const QString value =
                Setting(kAppKzdSql, kSecNxEngineMedia, QString::fromUtf8(kValueTerminal) + t,
                        kValueTerminalMergeDefault);
            if (Convert::Val(value) == 2) list += QLatin1Char(',') + t;
        }
        list = list.mid(1);
        out_.SendBox(QStringLiteral("Merger RLV"), QStringLiteral("Terminal ") + list);
        return list;
    } catch (const std::exception& e) {
        out_.SendBox(QStringLiteral("CekAllRLV Error"), Describe(e));
        return QString("");
    }
}
