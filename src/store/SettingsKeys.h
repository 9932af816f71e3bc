#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// The settings vocabulary: every application, section, key and default of the settings store
// and of the files beside the program, byte for byte (blanks and "#" included). A key that
// belongs to one terminal takes the terminal number at its end, built at the moment of the
// call with PerTerminal(): "SERVER HBV #" for terminal 5 is the key "SERVER HBV #5".
namespace Keys {

inline QString PerTerminal(const char* stem, int terminal, const char* suffix = "") {
    return QString::fromUtf8(stem) + QString::number(terminal) + QString::fromUtf8(suffix);
}

// ---- applications
inline constexpr char kAppHbvGate[] = "HBV-Gate";
inline constexpr char kAppNxEngine[] = "NXEngine";
inline constexpr char kAppNxEngineSetting[] = "NXEngine Setting";
inline constexpr char kAppNxEngine2007[] = "NXEngine2007";
inline constexpr char kAppNxEngine2018[] = "NXEngine 2018";
inline constexpr char kAppKzdSql[] = "kzd_sql";
// (the window position lives under the application named after the terminal, "Terminal #5")

// ---- HBV-Gate / "Setting": chat account and connection
inline constexpr char kSecSetting[] = "Setting";
inline constexpr char kUidHbv[] = "UID HBV #";
inline constexpr char kPwdHbv[] = "PWD HBV #";
inline constexpr char kServerHbv[] = "SERVER HBV #";
inline constexpr char kServerHbv2[] = "SERVER HBV2 #";
inline constexpr char kMsgIgnore[] = "MSG IGNORE #";
inline constexpr char kMsgIgnoreDefault[] = "di terima mohon di;sabar dalam proses";
inline constexpr char kJHostname[] = "jHostname #";
inline constexpr char kJHostnameDefault[] = "NC";
inline constexpr char kJPort[] = "jPORT #";
inline constexpr char kJPortDefault[] = "5222";
inline constexpr char kRscHbv[] = "RSC HBV #";
inline constexpr char kRscHbvDefault[] = "NX-Engine.jos.banget";
// "1": the network to the chat server is trusted, a login without TLS is accepted.
inline constexpr char kJPlain[] = "jPlain #";
inline constexpr char kJPlainDefault[] = "0";
// PEM file of the certificate authority of a private chat server.
inline constexpr char kJCa[] = "jCA #";
inline constexpr char kAutoLogin[] = "AUTOLOGIN #";
inline constexpr char kAutoLoginDefault[] = "1";
inline constexpr char kYConsole[] = "yConsole #";
inline constexpr char kYConsoleDefault[] = "0";
inline constexpr char kMnTrxId[] = "mnTrxID #";
inline constexpr char kMnTrxIdDefault[] = "0";
// Off: only the terminal's own supplier accounts settle transactions; on: any contact.
inline constexpr char kTerimaSemua[] = "TERIMA SEMUA #";
inline constexpr char kTerimaSemuaDefault[] = "0";
inline constexpr char kYMerger[] = "yMerger";
inline constexpr char kYMergerDefault[] = "0";

// ---- NXEngine
inline constexpr char kLimitDeposit[] = "LimitDeposit";  // section "Setting"
inline constexpr char kLimitDepositDefault[] = "100";
inline constexpr char kLimitPending[] = "LimitPending";  // section = TerminalName
inline constexpr char kLimitPendingDefault[] = "0";
// Orders a tick may hand over, each through its own guards and hand-over, in queue order.
inline constexpr char kJobsPerTick[] = "JobsPerTick";  // section = TerminalName
inline constexpr char kJobsPerTickDefault[] = "1";
inline constexpr int kMaxJobsPerTick = 50;
inline constexpr char kMethod[] = "Method";  // section = TerminalName
inline constexpr char kMethodDefault[] = "None";

// ---- NXEngine Setting / "Setting Lain"
inline constexpr char kSecSettingLain[] = "Setting Lain";
inline constexpr char kFilter[] = "Filter";
inline constexpr char kFilterDefault[] = "False";

// ---- NXEngine2007 / "Setting": the extra command
inline constexpr char kRlvCmd[] = "RLV-CMD#";
inline constexpr char kRlvCmdDefault[] = "SAL.5831";

// ---- NXEngine 2018 / "HBV Setting"
inline constexpr char kSecHbvSetting[] = "HBV Setting";
inline constexpr char kHbvCenterSender[] = "HBV Center Sender #";
inline constexpr char kNoCenterSender[] = "--- Tidak Ada ---";

// ---- kzd_sql / "Settings"
inline constexpr char kSecSettings[] = "Settings";
inline constexpr char kMnDebugApi[] = "mnDebugApi";
inline constexpr char kMnDebugApiDefault[] = "False";
inline constexpr char kMnReplaceDenom[] = "mnReplaceDenom #";
inline constexpr char kMnReplaceDenomDefault[] = "False";
inline constexpr char kPintar[] = "Pintar";
inline constexpr char kPintarDefault[] = "0";
inline constexpr char kOffParsing[] = "OFFParsing";
inline constexpr char kOffParsingDefault[] = "0";
inline constexpr char kOffCekSaldo[] = "OFFCekSaldo";
inline constexpr char kOffCekSaldoDefault[] = "1";
inline constexpr char kPintar2[] = "Pintar2";
inline constexpr char kPintar2Default[] = "stok tidak tersedia;belum di open";
inline constexpr char kSnMulti0[] = "SNMulti0 #";
inline constexpr char kSnMulti0Default[] = "sn0awal;sn1awal;sn2awal;dst";
inline constexpr char kSnMulti1[] = "SNMulti1 #";
inline constexpr char kSnMulti1Default[] = "sn0akhir;sn1akhir;sn2akhir;dst";
inline constexpr char kSnAwal[] = "SNAwal #";    // also with "a", "c", "e", "g", "i" after N
inline constexpr char kSnAkhir[] = "SNAkhir #";  // also with "b", "d", "f", "h", "j" after N
inline constexpr char kSnAwalStok[] = "SNAwalStok #";
inline constexpr char kSnAwalStokDefault[] = "k=";
inline constexpr char kSnAkhirStok[] = "SNAkhirStok #";
inline constexpr char kSnAkhirStokDefault[] = ".";
inline constexpr char kSnAwalHrg[] = "SNAwalHrg #";
inline constexpr char kSnAkhirHrg[] = "SNAkhirHrg #";
inline constexpr char kSnAwalIdx[] = "SNAwalIdx #";
inline constexpr char kSnAkhirIdx[] = "SNAkhirIdx #";
inline constexpr char kSnAwalIdPln[] = "SNAwalIDPLN #";
inline constexpr char kSnAkhirIdPln[] = "SNAkhirIDPLN #";
inline constexpr char kSnKataKunci[] = "SNKataKunci #";
inline constexpr char kSnKataKunciDefault[] = "tagihan;payment;berhasil";
inline constexpr char kSnAwalGetHrgProduk[] = "SNAwalGetHrgProduk";
inline constexpr char kSnAwalGetHrgProdukDefault[] = "(";
inline constexpr char kSnAkhirGetHrgProduk[] = "SNAkhirGetHrgProduk";
inline constexpr char kSnAkhirGetHrgProdukDefault[] = ")";
inline constexpr char kSnAkhirGetHrgKataAwal[] = "SNAkhirGetHrgKataAwal";
inline constexpr char kSnAkhirGetHrgKataAwalDefault[] = "saldo";

// ---- kzd_sql / other sections
inline constexpr char kSecFiturPromo[] = "FiturPromo";
inline constexpr char kAktiv[] = "Aktiv";
inline constexpr char kAktivDefault[] = "0";
inline constexpr char kValue[] = "Value";
inline constexpr char kPromoDefault[] =
    "Terima Kasih Anda telah berhasil mengisi pulsa <namaproduk>di toko <namaagen>. Sering isi "
    "pulsa terus ya..";
inline constexpr char kSecHpAdmin[] = "HP Admin";    // key "Value", no number configured by default
inline constexpr char kPasswordKey[] = "sorentika";  // scrambles the stored chat password
inline constexpr char kYmQueueKey[] = "kvrtn7302";   // encodes ym_queue texts
inline constexpr char kSecRebat[] = "Rebat";
inline constexpr char kSetQueue[] = "setQueue";
inline constexpr char kSetQueueDefault[] = "0";
inline constexpr char kPrioritas[] = "Prioritas";
inline constexpr char kPrioritasDefault[] = "1";
inline constexpr char kSecNxEngineMedia[] = "NX Engine Media";
inline constexpr char kValueTerminal[] = "ValueTerminal #";
inline constexpr char kValueTerminalMergeDefault[] = "2";   // read when building the merge list
inline constexpr char kValueTerminalSenderDefault[] = "0";  // read by sender selection

// ---- window position, application = TerminalName, section "Setting"
inline constexpr char kMainLeft[] = "MainLeft";
inline constexpr char kMainTop[] = "MainTop";
inline constexpr char kMainWidth[] = "MainWidth";
inline constexpr char kMainHeight[] = "MainHeight";
inline constexpr char kMainMaximized[] = "Mainmaximized";

// ---- files in the program folder
inline constexpr char kSettingIni[] = "Setting.ini";
inline constexpr char kSecDatabase[] = "Database";
inline constexpr char kSecSoftware[] = "Software";
inline constexpr char kBoster[] = "Boster";
inline constexpr char kOpcodeIni[] = "opcode.ini";
inline constexpr char kSecReseller[] = "Reseller";  // key "Prioritas"
inline constexpr char kSecReplayHbv[] = "ReplayHBV";
inline constexpr char kReplayValue[] = "value";
inline constexpr char kReplayValue1[] = "value1";
inline constexpr char kReplayValue2[] = "value2";
inline constexpr char kSecPesan[] = "Pesan";
inline constexpr char kPesan4[] = "Pesan4";
inline constexpr char kModulTxt[] = "Log/Modul.txt";
inline constexpr char kSetLog[] = "Log/Set.log";

// One entry of the store's vocabulary, for `relvane config`: the key is the stem, then the
// terminal number when perTerminal, then the suffix. An application or section "Terminal #"
// followed by a number stands for any terminal's name. The description is the one line
// `relvane config keys` prints about what the key does.
struct Definition {
    const char* application;
    const char* section;
    const char* stem;
    bool perTerminal;
    const char* suffix;
    const char* defaultValue;
    const char* description = nullptr;

    // The key as people write it: "Pintar2N", "SNAwal #Na", "LimitPending".
    QString Pattern() const;
};
const QVector<Definition>& Vocabulary();

// The applications the vocabulary names, in its order ("Terminal #" not among them).
QStringList Applications();

// The definition a concrete (application, section, key) falls under, longest stem first;
// nullptr when the key is not part of the vocabulary.
const Definition* Find(const QString& application, const QString& section, const QString& key);

// The orders-per-tick setting's value; 0 when the text is not a whole number from 1 to
// kMaxJobsPerTick.
int JobsPerTick(const QString& text);
// Why a text cannot be the orders-per-tick setting; empty when it can.
QString JobsPerTickRefusal(const QString& text);

}  // namespace Keys
