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

// The grey hints the window shows in empty further SN marker fields. They are no markers: a
// field showing one holds nothing, and one that an earlier panel stored as a marker is shown
// empty, so that the next "Simpan" clears it.
constexpr char kFurtherSnStartHint[] = "SNA";
constexpr char kFurtherSnEndHint[] = "SNB";
constexpr char kEmpty[] = "";

struct SnField {
    const char* stem;
    const char* suffix;
    const char* defaultValue;
    const char* hint = nullptr;
};

// TxtSN(0) to (18), by index.
const SnField kSnFields[PanelValues::kSnFields] = {
    {kSnAwal, "", kEmpty},
    {kSnAkhir, "", kEmpty},
    {kSnAwal, "a", kEmpty, kFurtherSnStartHint},
    {kSnAkhir, "b", kEmpty, kFurtherSnEndHint},
    {kSnAwal, "c", kEmpty, kFurtherSnStartHint},
    {kSnAkhir, "d", kEmpty, kFurtherSnEndHint},
    {kSnAwal, "e", kEmpty, kFurtherSnStartHint},
    {kSnAkhir, "f", kEmpty, kFurtherSnEndHint},
    {kSnAwal, "g", kEmpty, kFurtherSnStartHint},
    {kSnAkhir, "h", kEmpty, kFurtherSnEndHint},
    {kSnAwal, "i", kEmpty, kFurtherSnStartHint},
    {kSnAkhir, "j", kEmpty, kFurtherSnEndHint},
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

bool Ticked(const QString& stored) {
    return Convert::Val(stored) != 0.0;
}

QString Flag(bool on) {
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

}  // namespace

PanelSettings::PanelSettings(Context ctx, ProcessValues& values, Output& out, Collaborators with)
    : ctx_(ctx),
      values_(values),
      out_(out),
      w_(with),
      saver_(ctx.settings, &with.replies, &with.lookups) {}

const QStringList& PanelSettings::SupplierEntries() {
    return SettingSaver::SupplierEntries();
}

QString PanelSettings::MethodCode(const QString& entry) {
    return SettingSaver::MethodCode(entry);
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

QString PanelSettings::SnField(int index) const {
    const QString stored = Setting(SnKey(index), SnDefault(index));
    const char* hint = kSnFields[index].hint;
    if (hint != nullptr && stored.compare(QLatin1String(hint), Qt::CaseInsensitive) == 0)
        return QString("");
    return stored;
}

int PanelSettings::SnIndex(const char* stem) {
    for (int i = kFirstCaptureField; i < PanelValues::kSnFields; ++i)
        if (qstrcmp(kSnFields[i].stem, stem) == 0) return i;
    return -1;
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
        for (int i = 0; i <= kLastSnMarker; ++i) v.TxtSN[i] = SnField(i);
        v.Check1 = Ticked(Setting(Own(kPintar), kPintarDefault));
        const QString offParsing = Setting(Own(kOffParsing), kOffParsingDefault);
        v.Check2 = Ticked(offParsing);
        values_.SetOffParsing(Convert::ToByte(offParsing));
        // The value in force: the extra command runs on the same default the start-up reads.
        v.Check3 = Ticked(Setting(Own(kOffCekSaldo), kOffCekSaldoDefault));
        v.Text1 = values.FailureKeywordsText;
        for (int i = kFirstCaptureField; i < PanelValues::kSnFields; ++i) v.TxtSN[i] = SnField(i);
        v.txtSetting5 = Setting(Own(kSnAwalStok), kSnAwalStokDefault);
        v.txtSetting6 = Setting(Own(kSnAkhirStok), kSnAkhirStokDefault);
        v.cmbOpr =
            ctx_.settings.GetSetting(kAppNxEngine, values.TerminalName, kMethod, kMethodDefault);
        v.LimitPending = StoredLimitPending();
        v.JobsPerTick =
            qMax(1, JobsPerTick(ctx_.settings.GetSetting(kAppNxEngine, values.TerminalName,
                                                         kJobsPerTick, kJobsPerTickDefault)));
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
        // Stored lower-cased, kept in memory as typed.
        if (StoreFailureKeywords(v.Text1.toLower(), v.Text1)) AddFailureKeywords(v.Text1.toLower());
        Save(Own(kPintar), Flag(v.Check1));
        values_.SetRerouting(v.Check1);
        Save(Own(kOffParsing), Flag(v.Check2));
        values_.SetOffParsing(v.Check2 ? 1 : 0);
        Save(Own(kOffCekSaldo), Flag(v.Check3));
        values_.SetExtraCommandOn(v.Check3);
        Save(Own(kSnAwalStok), v.txtSetting5);
        Save(Own(kSnAkhirStok), v.txtSetting6);
        ctx_.settings.SaveSetting(kAppNxEngine, values.TerminalName, kMethod, v.cmbOpr);
        if (JobsPerTick(QString::number(v.JobsPerTick)) > 0) {
            ctx_.settings.SaveSetting(kAppNxEngine, values.TerminalName, kJobsPerTick,
                                      QString::number(v.JobsPerTick));
            values_.SetJobsPerTick(v.JobsPerTick);
        }
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("OKButton_Click "), e);
        w_.state.Refresh();
        return false;
    }
    w_.state.Refresh();
    return SavePriceCapture(v);
}

void PanelSettings::SaveSupplierMethod(const QString& entry) {
    if (entry == SupplierEntries().first()) {
        out_.MessageBox(kInformasi, SettingSaver::NoneRefusal());
        return;
    }
    try {
        saver_.SaveSupplierMethod(entry, ctx_.values.TerminalNo);
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("SaveSupplierMethod "), e);
    }
}

bool PanelSettings::StoreFailureKeywords(const QString& stored, const QString& typed) {
    // A list with an empty keyword is refused, and the stored one stays in force.
    const QString refusal = SettingSaver::KeywordRefusal(typed);
    if (!refusal.isEmpty()) {
        out_.MessageBox(kInformasi, refusal);
        return false;
    }
    Save(Own(kPintar2), stored);
    values_.SetFailureKeywords(typed);
    return true;
}

bool PanelSettings::SavePriceCapture(const PanelValues& v) {
    // A start marker without its end marker would cut the wrong text from every reply.
    SettingSaver::Entries entries;
    for (const SettingSaver::CapturePair& pair : SettingSaver::CapturePairs()) {
        for (const char* stem : {pair.startStem, pair.endStem}) {
            const int i = SnIndex(stem);
            entries.append({SnKey(i), v.TxtSN[i].toLower()});
        }
    }
    entries.append(
        {SnKey(PanelValues::kSnFields - 1), v.TxtSN[PanelValues::kSnFields - 1].toLower()});
    try {
        const QString refusal = saver_.Save(kAppKzdSql, kSecSettings, entries);
        if (refusal.isEmpty()) return true;
        out_.MessageBox(kInformasi, refusal);
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("SavePriceCapture "), e);
    }
    return false;
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
    try {
        if (!StoreFailureKeywords(text, text)) return false;
        w_.state.Refresh();
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("Text1_KeyDown "), e);
        return false;
    }
    AddFailureKeywords(text);
    return true;
}

void PanelSettings::AddFailureKeywords(const QString& list) {
    try {
        saver_.AddFailureKeywords(list);
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
