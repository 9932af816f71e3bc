#include "controls/PanelSettings.h"

#include "controls/WindowState.h"
#include "settlement/ReplyClassifier.h"
#include "store/Convert.h"
#include "store/Errors.h"
#include "store/Lookups.h"
#include "store/Output.h"
#include "store/SettingsKeys.h"
#include "store/SettingsStore.h"

using namespace Keys;

namespace {

const QString kInformasi = QStringLiteral("Informasi");

// The panel's own defaults where they differ from the start-up reader's: unset further SN
// markers show as placeholders, and an unset extra-command switch shows unticked.
constexpr char kFurtherSnStartDefault[] = "SNA";
constexpr char kFurtherSnEndDefault[] = "SNB";
constexpr char kOffCekSaldoPanelDefault[] = "0";
constexpr char kEmpty[] = "";

struct SnField {
    const char* stem;
    const char* suffix;
    const char* defaultValue;
};

// TxtSN(0) to (18), by index.
const SnField kSnFields[PanelValues::kSnFields] = {
    {kSnAwal, "", kEmpty},
    {kSnAkhir, "", kEmpty},
    {kSnAwal, "a", kFurtherSnStartDefault},
    {kSnAkhir, "b", kFurtherSnEndDefault},
    {kSnAwal, "c", kFurtherSnStartDefault},
    {kSnAkhir, "d", kFurtherSnEndDefault},
    {kSnAwal, "e", kFurtherSnStartDefault},
    {kSnAkhir, "f", kFurtherSnEndDefault},
    {kSnAwal, "g", kFurtherSnStartDefault},
    {kSnAkhir, "h", kFurtherSnEndDefault},
    {kSnAwal, "i", kFurtherSnStartDefault},
    {kSnAkhir, "j", kFurtherSnEndDefault},
    {kSnAwalIdx, "", kEmpty},
    {kSnAkhirIdx, "", kEmpty},
    {kSnAwalIdPln, "", kEmpty},
    {kSnAkhirIdPln, "", kEmpty},
    {kSnAwalHrg, "", kEmpty},
    {kSnAkhirHrg, "", kEmpty},
    {kSnKataKunci, "", kSnKataKunciDefault},
};
constexpr int kLastSnMarker = 11;       // TxtSN(0) to (11): SN markers, saved with the others
constexpr int kFirstCaptureField = 12;  // TxtSN(12) to (18): saved only when the pairs match

struct Supplier {
    const char* entry;
    const char* code;  // nullptr: no code may be written
};

const Supplier kSuppliers[] = {
    {"None", nullptr},        {"M-KIOS", "M-KIOS"}, {"M-Tronik/I-Sev", "I-SEV"},
    {"Mobo Indosat", "M0BO"}, {"Dompul", "DOMPUL"}, {"V-Tri", "V-TRI"},
    {"GSM-SMS", "GSM"},       {"RLV", "RLV"},       {"TP-PULSA", "TP-PLS"},
};

// Start and end field of each capture pair, in the order they are checked.
struct CapturePair {
    int start;
    int end;
    const char* refusal;
};

const CapturePair kCapturePairs[] = {
    {14, 15, "Setting Penangkapan ID PLN tidak di ijikan karena Ubound tidak Sesuai"},
    {16, 17, "Setting Penangkapan HARGA tidak di ijikan karena Ubound tidak Sesuai"},
    {12, 13, "Setting Penangkapan INDEX tidak di ijikan karena Ubound tidak Sesuai"},
};

// The last index of the ";"-separated list; an empty text is an empty list.
int LastIndex(const QString& list) {
    return list.isEmpty() ? -1 : static_cast<int>(list.count(QLatin1Char(';')));
}

bool Ticked(const QString& stored) {
    return Convert::Val(stored) != 0.0;
}

QString Flag(bool on) {
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

}  // namespace

PanelSettings::PanelSettings(Context ctx, ProcessValues& values, Output& out, Collaborators with)
    : ctx_(ctx), values_(values), out_(out), w_(with) {}

const QStringList& PanelSettings::SupplierEntries() {
    static const QStringList entries = [] {
        QStringList list;
        for (const Supplier& s : kSuppliers) list.append(QString::fromUtf8(s.entry));
        return list;
    }();
    return entries;
}

QString PanelSettings::MethodCode(const QString& entry) {
    for (const Supplier& s : kSuppliers)
        if (s.code != nullptr && entry == QLatin1String(s.entry)) return QString::fromUtf8(s.code);
    return QString();
}

QString PanelSettings::FrAutoCaption(bool pintarOn) {
    return pintarOn ? QStringLiteral("Intelligent ON") : QStringLiteral("Intelligent OFF");
}

QString PanelSettings::Own(const char* stem, const char* suffix) const {
    return PerTerminal(stem, ctx_.values.TerminalNo, suffix);
}

QString PanelSettings::SnKey(int index) const {
    return Own(kSnFields[index].stem, kSnFields[index].suffix);
}

QString PanelSettings::SnDefault(int index) {
    return QString::fromUtf8(kSnFields[index].defaultValue);
}

QString PanelSettings::Setting(const QString& key, const QString& defaultValue) const {
    return ctx_.settings.GetSetting(kAppKzdSql, kSecSettings, key, defaultValue);
}

void PanelSettings::Save(const QString& key, const QString& value) const {
    ctx_.settings.SaveSetting(kAppKzdSql, kSecSettings, key, value);
}

PanelValues PanelSettings::Load() {
    PanelValues v;
    const ProcessValues& values = ctx_.values;
    try {
        v.txtParsing =
            ctx_.settings.GetSetting(kAppNxEngine2007, kSecSetting, Own(kRlvCmd), kRlvCmdDefault);
        for (int i = 0; i <= kLastSnMarker; ++i) v.TxtSN[i] = Setting(SnKey(i), SnDefault(i));
        v.Check1 = Ticked(Setting(Own(kPintar), kPintarDefault));
        const QString offParsing = Setting(Own(kOffParsing), kOffParsingDefault);
        v.Check2 = Ticked(offParsing);
        values_.SetOffParsing(Convert::ToByte(offParsing));
        v.Check3 = Ticked(Setting(Own(kOffCekSaldo), kOffCekSaldoPanelDefault));
        v.Text1 = values.FailureKeywordsText;
        for (int i = kFirstCaptureField; i < PanelValues::kSnFields; ++i)
            v.TxtSN[i] = Setting(SnKey(i), SnDefault(i));
        v.txtSetting5 = Setting(Own(kSnAwalStok), kSnAwalStokDefault);
        v.txtSetting6 = Setting(Own(kSnAkhirStok), kSnAkhirStokDefault);
        v.cmbOpr =
            ctx_.settings.GetSetting(kAppNxEngine, values.TerminalName, kMethod, kMethodDefault);
        v.LimitPending = StoredLimitPending();
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("mSettingRLV_Click "), e);
    }
    return v;
}

bool PanelSettings::OKButton_Click(const PanelValues& v) {
    // The supplier step reports its own refusal; the fields are saved either way.
    SaveSupplierMethod(v.cmbOpr);
    const ProcessValues& values = ctx_.values;
    try {
        ctx_.settings.SaveSetting(kAppNxEngine2007, kSecSetting, Own(kRlvCmd),
                                  v.txtParsing.toLower());
        values_.SetExtraCommand(v.txtParsing);
        for (int i = 0; i <= kLastSnMarker; ++i) Save(SnKey(i), v.TxtSN[i].toLower());
        Save(Own(kPintar2), v.Text1.toLower());
        values_.SetFailureKeywords(v.Text1);
        Save(Own(kPintar), Flag(v.Check1));
        values_.SetRerouting(v.Check1);
        Save(Own(kOffParsing), Flag(v.Check2));
        values_.SetOffParsing(v.Check2 ? 1 : 0);
        Save(Own(kOffCekSaldo), Flag(v.Check3));
        values_.SetExtraCommandOn(v.Check3);
        Save(Own(kSnAwalStok), v.txtSetting5);
        Save(Own(kSnAkhirStok), v.txtSetting6);
        ctx_.settings.SaveSetting(kAppNxEngine, values.TerminalName, kMethod, v.cmbOpr);
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("OKButton_Click "), e);
        w_.state.Refresh();
        return false;
    }
    w_.state.Refresh();
    return SavePriceCapture(v);
}

void PanelSettings::SaveSupplierMethod(const QString& entry) {
    if (entry == QLatin1String(kSuppliers[0].entry)) {
        out_.MessageBox(kInformasi, QStringLiteral("Supplier tidak boleh Terisi 'None'"));
        return;
    }
    const QString code = MethodCode(entry);
    if (code.isNull()) return;
    try {
        w_.lookups.SetSupplierMethod(code, ctx_.values.TerminalNo);
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("SaveSupplierMethod "), e);
    }
}

bool PanelSettings::SavePriceCapture(const PanelValues& v) {
    // A start marker without its end marker would cut the wrong text from every reply.
    for (const CapturePair& pair : kCapturePairs) {
        if (LastIndex(v.TxtSN[pair.start]) != LastIndex(v.TxtSN[pair.end])) {
            out_.MessageBox(kInformasi, QString::fromUtf8(pair.refusal));
            return false;
        }
    }
    try {
        for (int i = kFirstCaptureField; i < PanelValues::kSnFields; ++i)
            Save(SnKey(i), v.TxtSN[i].toLower());
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("SavePriceCapture "), e);
        return false;
    }
    return true;
}

void PanelSettings::Check1_Click(bool on) {
    try {
        Save(Own(kPintar), Flag(on));
        values_.SetRerouting(on);
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("Check1_Click "), e);
    }
}

bool PanelSettings::SaveFailureKeywords(const QString& text) {
    // An empty item would match every failure reply and re-route it.
    if (text.contains(QLatin1String(";;"))) {
        out_.MessageBox(kInformasi,
                        QStringLiteral("Kata Kunci belum Memenuhi Syarat Coba cek lagi..."));
        return false;
    }
    try {
        Save(Own(kPintar2), text);
        values_.SetFailureKeywords(text);
        w_.state.Refresh();
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("Text1_KeyDown "), e);
        return false;
    }
    AddFailureKeywords(text);
    return true;
}

void PanelSettings::AddFailureKeywords(const QString& list) {
    if (list.trimmed().isEmpty()) return;
    try {
        w_.replies.AddFailureKeywords(list);
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("CekBalTRx "), e);
    }
}

QString PanelSettings::StoredLimitPending() const {
    return ctx_.settings.GetSetting(kAppNxEngine, ctx_.values.TerminalName, kLimitPending,
                                    kLimitPendingDefault);
}

void PanelSettings::SaveLimitPending(const QString& value) {
    ctx_.settings.SaveSetting(kAppNxEngine, ctx_.values.TerminalName, kLimitPending, value);
    // Stored as typed; the guard takes its number the way start-up reads it, and keeps the
    // old one when the text is out of range.
    try {
        values_.SetLimitPending(Convert::ToInt16(value));
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("Label3_Click "), e);
    }
}

bool PanelSettings::Label3_Click(const QString& answer) {
    try {
        SaveLimitPending(answer);
        return true;
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("Label3_Click "), e);
        return false;
    }
}
