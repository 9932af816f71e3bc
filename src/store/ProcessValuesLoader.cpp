#include "store/ProcessValuesLoader.h"

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

ProcessValuesLoader::ProcessValuesLoader(ProcessValues& values, const SettingsStore& settings,
                                         UtilityComponent& util, Lookups& lookups, Output& out)
    : v_(values), settings_(settings), util_(util), lookups_(lookups), out_(out) {}

QString ProcessValuesLoader::Setting(const QString& app, const QString& section, const QString& key,
                                     const QString& def) const {
    return settings_.GetSetting(app, section, key, def);
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
    v.ExtraCommand = Setting(kAppNxEngine2007, kSecSetting, Own(kRlvCmd), kRlvCmdDefault);
    v.AutoLoginOn =
        Convert::ToByte(Setting(kAppHbvGate, kSecSetting, Own(kAutoLogin), kAutoLoginDefault));
    v.BoosterMode =
        Convert::ToByte(Setting(kAppHbvGate, kSecSetting, Own(kYConsole), kYConsoleDefault));
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
        Convert::ToInt32(Setting(kAppNxEngine, kSecSetting, kLimitDeposit, kLimitDepositDefault));
    v.FilterOn =
        Convert::ToBool(Setting(kAppNxEngineSetting, kSecSettingLain, kFilter, kFilterDefault));
    v.PromoOn = Convert::ToBool(Setting(kAppKzdSql, kSecFiturPromo, kAktiv, kAktivDefault));
    v.PromoTemplate = Setting(kAppKzdSql, kSecFiturPromo, kValue, kPromoDefault);
    v.AdminNumber = Setting(kAppKzdSql, kSecHpAdmin, kValue, "");
    v.Pintar = Convert::ToByte(Setting(kAppKzdSql, kSecSettings, Own(kPintar), kPintarDefault));
    v.OffParsing =
        Convert::ToByte(Setting(kAppKzdSql, kSecSettings, Own(kOffParsing), kOffParsingDefault));
    v.OffCekSaldo =
        Convert::ToInt16(Setting(kAppKzdSql, kSecSettings, Own(kOffCekSaldo), kOffCekSaldoDefault));
    v.FailureKeywordsText = Setting(kAppKzdSql, kSecSettings, Own(kPintar2), kPintar2Default);
    v.DebitAtOrder = Tolerant<quint8>("GetConfigFlag", 0, [&] {
        return lookups_.GetConfigFlag(QStringLiteral("Potong deposit reseller di awal transaksi"));
    });
    v.LimitPending = Convert::ToInt16(
        Setting(kAppNxEngine, v.TerminalName, kLimitPending, kLimitPendingDefault));
    const QString jobsPerTick =
        Setting(kAppNxEngine, v.TerminalName, kJobsPerTick, kJobsPerTickDefault);
    if (!JobsPerTickRefusal(jobsPerTick).isEmpty())
        throw RelvaneError(JobsPerTickRefusal(jobsPerTick));
    v.JobsPerTick = JobsPerTick(jobsPerTick);
    v.AltQueueOn =
        Convert::ToByte(Setting(kAppKzdSql, kSecRebat, kSetQueue, kSetQueueDefault)) == 1;
}

void ProcessValuesLoader::LoadRoutingLists() {
    ProcessValues& v = v_;
    v.Prioritas = Convert::ToByte(Setting(kAppKzdSql, kSecRebat, kPrioritas, kPrioritasDefault));
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
