#include "dispatch/Lifecycle.h"

#include <QCoreApplication>

#include "chat/ChatSession.h"
#include "chat/MonitorSocket.h"
#include "chat/Output.h"
#include "chat/PasswordScramble.h"
#include "chat/YmQueue.h"
#include "dispatch/Core.h"
#include "dispatch/DispatchLoop.h"
#include "dispatch/Workers.h"
#include "store/ConnectDatabase.h"
#include "store/Convert.h"
#include "store/Database.h"
#include "store/ProgramFiles.h"
#include "store/SettingsKeys.h"
#include "store/SettingsStore.h"

using namespace Keys;

namespace {

// Reads from the database at start-up that may fail while the database is unreachable: the
// program stays up (the connection is tried again before each later statement).
template <typename T, typename Read>
T Tolerant(Core& core, const QString& what, T fallback, Read read) {
    try {
        return read();
    } catch (const std::exception& e) {
        core.Log(what + QLatin1Char(' ') + Describe(e));
        return fallback;
    }
}

}  // namespace

Lifecycle::Lifecycle(Core& core, QObject* parent) : QObject(parent), core_(core) {
    tmSendKeAne_.setInterval(1000);
    Timer3_.setInterval(2000);
    tmClose_.setInterval(1000);
    connect(&tmSendKeAne_, &QTimer::timeout, this, &Lifecycle::tmSendKeAne_Timer);
    connect(&Timer3_, &QTimer::timeout, this, &Lifecycle::Timer3_Timer);
    connect(&tmClose_, &QTimer::timeout, this, &Lifecycle::tmClose_Timer);
}

QString Lifecycle::Setting(const QString& app, const QString& section, const QString& key,
                           const QString& def) const {
    return core_.Settings().GetSetting(app, section, key, def);
}

void Lifecycle::End(int exitCode) {
    core_.exitCode_ = exitCode;
    emit core_.Finished(exitCode);
}

bool Lifecycle::Form_Load(const QString& commandLine) {
    ProcessValues& v = core_.Values();
    const QStringList fields = commandLine.split(QStringLiteral("@@"));
    // Errors before the settings are loaded already belong in the terminal's own log.
    if (fields.size() > 1) v.TerminalName = fields[0];
    try {
        core_.State().Set(core_.State().LoginInProgress, false);
        // A host line without a password takes it from RELVANE_DB_PASSWORD_FILE; "Reserved"
        // needs none.
        v.DatabasePassword = fields.size() > 1 ? DatabasePassword(fields.value(3)) : QString("");
        ConnectDatabase(core_.Util(), core_.Db(), v.DatabasePassword);
        v.DatabaseName = core_.Db().Target().database;
        v.SeparatePackageRebate = Tolerant<quint8>(core_, "GetConfigFlag", 0, [&] {
            return core_.Work().lookups.GetConfigFlag(
                QStringLiteral("Pisahkan rebat Paket Harga dari penambahan deposit langsung"));
        });
        core_.Monitor().InitMonitorSocket();
    } catch (const std::exception& e) {
        const auto* db = dynamic_cast<const DbError*>(&e);
        core_.Out().MessageBox(QStringLiteral("HOME") + (db ? db->Code() : QString()), Describe(e));
        core_.exitCode_ = 1;
        return false;
    }
    if (commandLine.trimmed() == QLatin1String("Reserved")) {
        core_.exitCode_ = 0;
        return false;
    }
    if (commandLine.contains(QStringLiteral("@@"))) {
        if (fields.value(1) !=
            QLatin1String("Relvane")) {  // another module's instance: quietly end
            core_.exitCode_ = 0;
            return false;
        }
        try {
            LoadSettings(fields.value(1), fields.value(0), Convert::ToInt16(fields.value(2)));
        } catch (const std::exception& e) {
            core_.Out().MessageBox(QStringLiteral("Informasi"),
                                   QStringLiteral("Terjadi Error Proses Get data ") + Describe(e));
            core_.exitCode_ = 1;
            return false;
        }
    }
    core_.State().Set(core_.State().LoginYMImage, 2);
    v.ModulRules = ProgramFiles::ReadModulRules(core_.Util());
    core_.Dispatch().Start();
    tmSendKeAne_.start();
    Timer3_.start();
    tmClose_.start();
    return true;
}

void Lifecycle::LoadSettings(const QString& moduleName, const QString& terminalName,
                             qint16 nodeNo) {
    ProcessValues& v = core_.Values();
    WindowState& s = core_.State();
    v.NodeNo = nodeNo;
    v.ModuleName = moduleName;
    v.TerminalName = terminalName;
    v.TerminalNo = Convert::ToInt16(QString(terminalName).remove(QStringLiteral("Terminal #")));
    const int n = v.TerminalNo;
    auto own = [&](const char* stem) { return PerTerminal(stem, n); };

    s.Set(s.Caption, QStringLiteral("[") + moduleName + QStringLiteral("] ") + QString::number(n) +
                         QStringLiteral("-> ") +
                         Setting(kAppHbvGate, kSecSetting, own(kServerHbv), ""));
    v.MonitorDebugOn =
        Convert::ToBool(Setting(kAppKzdSql, kSecSettings, kMnDebugApi, kMnDebugApiDefault));
    v.ReplaceDenomOn = Convert::ToBool(
        Setting(kAppKzdSql, kSecSettings, own(kMnReplaceDenom), kMnReplaceDenomDefault));
    core_.Monitor().KirimData(QStringLiteral("NODE@=") + QString::number(nodeNo) +
                              QStringLiteral("@=True"));

    s.Set(s.ID, Setting(kAppHbvGate, kSecSetting, own(kUidHbv), ""));
    s.Set(s.Pass, PasswordScramble::UnscrambleText(
                      Setting(kAppHbvGate, kSecSetting, own(kPwdHbv), ""), kPasswordKey));
    s.Set(s.LblTarget, Setting(kAppHbvGate, kSecSetting, own(kServerHbv), ""));
    s.Set(s.LblTarget2, Setting(kAppHbvGate, kSecSetting, own(kServerHbv2), ""));

    v.LimitDeposit =
        Convert::ToInt32(Setting(kAppNxEngine, kSecSetting, kLimitDeposit, kLimitDepositDefault));
    v.FilterOn =
        Convert::ToBool(Setting(kAppNxEngineSetting, kSecSettingLain, kFilter, kFilterDefault));
    s.Set(s.MainLeft, Convert::ToInt32(Setting(terminalName, kSecSetting, kMainLeft, "1000")));
    s.Set(s.MainTop, Convert::ToInt32(Setting(terminalName, kSecSetting, kMainTop, "1000")));
    s.Set(s.MainWidth, Convert::ToInt32(Setting(terminalName, kSecSetting, kMainWidth, "5820")));
    s.Set(s.MainHeight, Convert::ToInt32(Setting(terminalName, kSecSetting, kMainHeight, "5385")));

    s.Set(s.lblServer, Setting(kAppHbvGate, kSecSetting, own(kJHostname), kJHostnameDefault));
    v.ChatPort = Setting(kAppHbvGate, kSecSetting, own(kJPort), kJPortDefault);
    s.Set(s.ExtraCommand, Setting(kAppNxEngine2007, kSecSetting, own(kRlvCmd), kRlvCmdDefault));
    v.AutoLoginOn =
        Convert::ToByte(Setting(kAppHbvGate, kSecSetting, own(kAutoLogin), kAutoLoginDefault));
    v.BoosterMode =
        Convert::ToByte(Setting(kAppHbvGate, kSecSetting, own(kYConsole), kYConsoleDefault));
    s.Set(s.chMerger,
          Convert::ToBool(Setting(kAppHbvGate, kSecSetting, kYMerger, kYMergerDefault)));
    v.TrxIdMatching =
        Convert::Val(Setting(kAppHbvGate, kSecSetting, own(kMnTrxId), kMnTrxIdDefault)) == 1;
    v.OpenSettlement =
        Convert::ToBool(Setting(kAppHbvGate, kSecSetting, own(kTerimaSemua), kTerimaSemuaDefault));

    v.PromoOn = Convert::ToBool(Setting(kAppKzdSql, kSecFiturPromo, kAktiv, kAktivDefault));
    v.PromoTemplate = Setting(kAppKzdSql, kSecFiturPromo, kValue, kPromoDefault);
    v.AdminNumber = Setting(kAppKzdSql, kSecHpAdmin, kValue, "");
    v.Pintar = Convert::ToByte(Setting(kAppKzdSql, kSecSettings, own(kPintar), kPintarDefault));
    v.OffParsing =
        Convert::ToByte(Setting(kAppKzdSql, kSecSettings, own(kOffParsing), kOffParsingDefault));
    v.OffCekSaldo =
        Convert::ToInt16(Setting(kAppKzdSql, kSecSettings, own(kOffCekSaldo), kOffCekSaldoDefault));
    s.Set(s.FailureKeywordsText, Setting(kAppKzdSql, kSecSettings, own(kPintar2), kPintar2Default));
    v.IgnoreList = Setting(kAppHbvGate, kSecSetting, own(kMsgIgnore), kMsgIgnoreDefault);
    v.DebitAtOrder = Tolerant<quint8>(core_, "GetConfigFlag", 0, [&] {
        return core_.Work().lookups.GetConfigFlag(
            QStringLiteral("Potong deposit reseller di awal transaksi"));
    });
    v.LimitPending =
        Convert::ToInt16(Setting(kAppNxEngine, terminalName, kLimitPending, kLimitPendingDefault));
    v.AltQueueOn =
        Convert::ToByte(Setting(kAppKzdSql, kSecRebat, kSetQueue, kSetQueueDefault)) == 1;

    v.TerminalList = s.chMerger ? CekAllRLV() : QString();
    core_.Ym().DelPesanExpired();

    v.PrioritasAktif = 1;
    v.Prioritas = Convert::ToByte(Setting(kAppKzdSql, kSecRebat, kPrioritas, kPrioritasDefault));
    const QString levels = ProgramFiles::ReadOpcode(core_.Util(), kSecReseller, kPrioritas);
    v.PriorityLevels = levels.isEmpty() ? 0 : levels.split(QLatin1Char('|')).size();
    v.SnMulti0 = Setting(kAppKzdSql, kSecSettings, own(kSnMulti0), kSnMulti0Default);
    v.SnMulti1 = Setting(kAppKzdSql, kSecSettings, own(kSnMulti1), kSnMulti1Default);
    v.DischargeList = Tolerant<QString>(core_, "DischargeTerminals", QStringLiteral("0"), [&] {
                          return core_.Work().lookups.DischargeTerminals();
                      }).split(QLatin1Char(';'));

    v.SmallestQueueFilter = Tolerant<quint8>(core_, "GetConfigFlag", 0, [&] {
        return core_.Work().lookups.GetConfigFlag(
            QStringLiteral("Selalu mencari antrian terkecil untuk tiap terminal"));
    });
    v.SenderCenterOn = Tolerant<quint8>(core_, "GetConfigFlag", 0, [&] {
                           return core_.Work().lookups.GetConfigFlag(
                               QStringLiteral("Terminal Center sebagai Sender"));
                       }) == 1;
    v.SmsCenterList =
        Tolerant<QString>(
            core_, "TerminalsByModul", QStringLiteral(";"),
            [&] { return core_.Work().lookups.TerminalsByModul(QStringLiteral("SMS Center")); }) +
        QStringLiteral(";0");
    v.ReplayHbv[0] = ProgramFiles::ReadOpcode(core_.Util(), kSecReplayHbv, kReplayValue).trimmed();
    v.ReplayHbv[1] = ProgramFiles::ReadOpcode(core_.Util(), kSecReplayHbv, kReplayValue1).trimmed();
    v.ReplayHbv[2] = ProgramFiles::ReadOpcode(core_.Util(), kSecReplayHbv, kReplayValue2).trimmed();

    core_.Chat().StartLoginTimer();
    core_.Util().CreateLog(terminalName);
    CatatSetLog(moduleName, terminalName, nodeNo);
}

QString Lifecycle::CekAllRLV() {
    try {
        const DbResult r =
            core_.Db().Exec(QStringLiteral("select terminal from terminal where modul='Relvane'"));
        QString list;
        for (int i = 0; i < r.RecordCount(); ++i) {
            const QString t = r.Text(i, QStringLiteral("terminal"));
            const QString value =
                Setting(kAppKzdSql, kSecNxEngineMedia, QString::fromUtf8(kValueTerminal) + t,
                        kValueTerminalMergeDefault);
            if (Convert::Val(value) == 2) list += QLatin1Char(',') + t;
        }
        list = list.mid(1);
        core_.Out().SendBox(QStringLiteral("Merger RLV"), QStringLiteral("Terminal ") + list);
        return list;
    } catch (const std::exception& e) {
        core_.Out().SendBox(QStringLiteral("CekAllRLV Error"), Describe(e));
        return QString("");
    }
}

void Lifecycle::CatatSetLog(const QString& module, const QString& value, qint16 node) {
    ProgramFiles::WriteSetLog(core_.Util(), module, value, node);
}

QString Lifecycle::CekTutup() {
    auto kodeKelompok = [&](const QVariant& terminal) {
        const DbResult r = core_.Db().Exec(
            QStringLiteral("SELECT kode_kelompok FROM terminal WHERE terminal= ?"), {terminal});
        return r.IsEmpty() ? QString("") : r.Text(0, QStringLiteral("kode_kelompok"));
    };
    try {
        QString r = kodeKelompok(core_.Values().TerminalNo);
        if (r != QLatin1String("NC")) r = kodeKelompok(0);
        return r;
    } catch (const std::exception&) {
        return QString("");
    }
}

void Lifecycle::tmClose_Timer() {
    if (CekTutup() == QLatin1String("NC")) Form_Unload();
}

QString Lifecycle::CounterText(int c) {
    return QStringLiteral("%1:%2:%3:%4")
        .arg(c / 10 / 3600)
        .arg((c / 10 / 60) % 60)
        .arg((c / 10) % 60)
        .arg(c % 10);
}

void Lifecycle::tmSendKeAne_Timer() {
    if (core_.Values().BoosterMode == 1) return;
    WindowState& s = core_.State();
    s.idleCounter += 1;
    s.Set(s.lblCounter, CounterText(s.idleCounter));
    if (s.lblCounter == QLatin1String("0:2:0:0")) s.idleCounter = -1;
}

void Lifecycle::Timer3_Timer() {
    core_.State().Set(core_.State().LoginYMImage, 1);
}

void Lifecycle::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    ProcessValues& v = core_.Values();
    WindowState& s = core_.State();
    auto quietly = [](auto step) {
        try {
            step();
        } catch (...) {
        }
    };
    core_.Dispatch().Stop();
    tmSendKeAne_.stop();
    Timer3_.stop();
    tmClose_.stop();
    quietly([&] {
        // Headless there is no window: the stored position stays as it was.
        if (!s.WindowShown || s.Minimized || v.TerminalName.isEmpty()) return;
        const QString& app = v.TerminalName;
        core_.Settings().SaveSetting(app, kSecSetting, kMainLeft, QString::number(s.MainLeft));
        core_.Settings().SaveSetting(app, kSecSetting, kMainTop, QString::number(s.MainTop));
        core_.Settings().SaveSetting(app, kSecSetting, kMainWidth, QString::number(s.MainWidth));
        core_.Settings().SaveSetting(app, kSecSetting, kMainHeight, QString::number(s.MainHeight));
        core_.Settings().SaveSetting(app, kSecSetting, kMainMaximized,
                                     s.Maximized ? QStringLiteral("Yes") : QStringLiteral("No"));
    });
    quietly([&] {
        core_.Work().messages.OnOffTerminal(QStringLiteral("Relvane"), v.TerminalNo, false);
    });
    quietly([&] {
        core_.Monitor().KirimData(QStringLiteral("NODE@=") + QString::number(v.NodeNo) +
                                  QStringLiteral("@=False"));
    });
    quietly([&] { CatatSetLog(QStringLiteral("Relvane"), QStringLiteral("NC"), v.NodeNo); });
    quietly([&] { core_.Monitor().Close(); });
    quietly([&] { core_.Db().Close(); });
    quietly([&] { core_.Chat().Disconnect(); });
    End(0);
}
