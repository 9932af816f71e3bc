#pragma once

#include <QString>
#include <QStringList>

// Values loaded once at start-up and kept for the whole run: the instance's identity, its
// switches and its lists. Keys read on every use are not here. Classes read them through their
// Context; the loader fills them, and the window's controls change a few through the named
// methods below.
struct ProcessValues {
    // The terminal's own log: its name, "Terminal #0" before the terminal is known.
    QString LogName() const {
        return TerminalName.isEmpty() ? QStringLiteral("Terminal #0") : TerminalName;
    }

    // the account frame, the target label, the chat host and the log view's menu
    void SetAccount(const QString& id, const QString& target, const QString& target2) {
        ID = id;
        LblTarget = target;
        LblTarget2 = target2;
    }
    void SetMainTarget(const QString& target) { LblTarget = target; }
    void SetChatHost(const QString& host) { lblServer = host; }
    void SetIgnoreList(const QString& list) { IgnoreList = list; }
    void SetAutoLogin(bool on) { AutoLoginOn = on ? 1 : 0; }
    void SetBoosterMode(bool on) { BoosterMode = on ? 1 : 0; }
    // the settings panel
    void SetExtraCommand(const QString& command) { ExtraCommand = command; }
    void SetExtraCommandOn(bool on) { OffCekSaldo = on ? 1 : 0; }
    void SetFailureKeywords(const QString& typed) { FailureKeywordsText = typed; }
    void SetRerouting(bool on) { Pintar = on ? 1 : 0; }
    void SetOffParsing(quint8 value) { OffParsing = value; }
    void SetLimitPending(qint16 limit) { LimitPending = limit; }
    void SetJobsPerTick(int jobs) { JobsPerTick = jobs; }

    // identity, from the command line
    QString TerminalName;  // "Terminal #5"; also the name of the terminal's log
    qint16 TerminalNo = 0;
    QString ModuleName;
    qint16 NodeNo = 0;

    // database access as opened at start-up (the booster program gets them on its command line)
    QString DatabaseName;
    QString DatabasePassword;

    // the chat account, as the account frame and the window's labels hold it
    QString ID;          // chat account
    QString PwdHbv;      // chat password as stored (scrambled)
    QString LblTarget;   // main target
    QString LblTarget2;  // backup targets, ";"-separated
    QString lblServer;   // chat host, "NC" for the account's domain
    bool chMerger = false;
    QString ExtraCommand;         // "RLV-CMD#"N
    QString FailureKeywordsText;  // "Pintar2"N as typed

    // chat session and output
    QString ChatPort = QStringLiteral("5222");
    quint8 AutoLoginOn = 1;
    quint8 BoosterMode = 0;
    bool ReplaceDenomOn = false;
    bool MonitorDebugOn = false;
    bool TrxIdMatching = false;   // "mnTrxID #": settle replies by transaction id
    bool OpenSettlement = false;  // "TERIMA SEMUA #": settle replies from any contact
    QString IgnoreList;
    QString AdminNumber;

    // switches shown in the settings panel and read by settlement and re-routing
    bool PromoOn = false;
    QString PromoTemplate;
    quint8 Pintar = 0;
    quint8 OffParsing = 0;
    qint16 OffCekSaldo = 1;
    qint32 LimitDeposit = 100;
    bool FilterOn = false;
    qint16 LimitPending = 0;
    int JobsPerTick = 1;  // 1 to kMaxJobsPerTick
    quint8 Prioritas = 1;
    int PriorityLevels = 0;  // items of opcode.ini [Reseller] "Prioritas"
    QString SnMulti0;
    QString SnMulti1;
    QStringList DischargeList;
    QString ModulRules;  // Log/Modul.txt lines, each followed by "%|%", lower-cased

    // configuration flags (table configuration, level 11)
    quint8 SeparatePackageRebate =
        0;                    // "Pisahkan rebat Paket Harga dari penambahan deposit langsung"
    quint8 DebitAtOrder = 0;  // "Potong deposit reseller di awal transaksi"
    quint8 SmallestQueueFilter = 0;  // "Selalu mencari antrian terkecil untuk tiap terminal"

    // job queue
    QString TerminalList;     // merged terminals "3,5,9"; empty when merging is off
    bool AltQueueOn = false;  // "setQueue": the queue is job_quenue_

    // message jobs and sender selection
    QString SmsCenterList;  // ";3;7;" & ";0": terminals of module "SMS Center"
    QString ReplayHbv[3];   // opcode.ini [ReplayHBV] "value", "value1", "value2", trimmed
    bool SenderCenterOn = false;
};
