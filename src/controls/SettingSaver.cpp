#include "controls/SettingSaver.h"

#include <optional>

#include "settlement/ReplyClassifier.h"
#include "store/Errors.h"
#include "store/Lookups.h"
#include "store/SettingsKeys.h"
#include "store/SettingsStore.h"

using namespace Keys;

namespace {

constexpr char kTerminalPrefix[] = "Terminal #";

struct Supplier {
    const char* entry;
    const char* code;  // nullptr: no code may be written
};

const Supplier kSuppliers[] = {
    {"None", nullptr},        {"M-KIOS", "M-KIOS"}, {"M-Tronik/I-Sev", "I-SEV"},
    {"Mobo Indosat", "M0BO"}, {"Dompul", "DOMPUL"}, {"V-Tri", "V-TRI"},
    {"GSM-SMS", "GSM"},       {"RLV", "RLV"},       {"TP-PULSA", "TP-PLS"},
};

// The last index of the ";"-separated list; an empty text is an empty list.
int LastIndex(const QString& list) {
    return list.isEmpty() ? -1 : static_cast<int>(list.count(QLatin1Char(';')));
}

bool SameName(const QString& a, const QString& b) {
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

// What a concrete key is, and the terminal number written into it (or into the section, for the
// keys of a terminal's own section).
struct Known {
    const Definition* definition = nullptr;
    int terminal = -1;

    bool Is(const char* stem) const {
        return definition != nullptr && qstrcmp(definition->stem, stem) == 0;
    }
};

Known Identify(const QString& application, const QString& section, const QString& key) {
    Known k;
    k.definition = Find(application, section, key);
    if (k.definition == nullptr) return k;
    const QString name = key.trimmed();
    if (k.definition->perTerminal) {
        const int stem = static_cast<int>(qstrlen(k.definition->stem));
        const int suffix = static_cast<int>(qstrlen(k.definition->suffix));
        k.terminal = name.mid(stem, name.size() - stem - suffix).toInt();
    } else if (section.trimmed().startsWith(QLatin1String(kTerminalPrefix), Qt::CaseInsensitive)) {
        k.terminal = section.trimmed().mid(qstrlen(kTerminalPrefix)).toInt();
    }
    return k;
}

bool IsMethod(const QString& application, const Known& k) {
    return k.Is(kMethod) && SameName(application, QString::fromUtf8(kAppNxEngine));
}

// The value the entries give the key, the last one when several do.
std::optional<QString> Given(const SettingSaver::Entries& entries, const QString& key) {
    std::optional<QString> value;
    for (const auto& [k, v] : entries)
        if (SameName(k, key)) value = v;
    return value;
}

}  // namespace

const QList<SettingSaver::CapturePair>& SettingSaver::CapturePairs() {
    static const QList<CapturePair> pairs = {
        {kSnAwalIdPln, kSnAkhirIdPln,
         "Setting Penangkapan ID PLN tidak di ijikan karena Ubound tidak Sesuai"},
        {kSnAwalHrg, kSnAkhirHrg,
         "Setting Penangkapan HARGA tidak di ijikan karena Ubound tidak Sesuai"},
        {kSnAwalIdx, kSnAkhirIdx,
         "Setting Penangkapan INDEX tidak di ijikan karena Ubound tidak Sesuai"},
    };
    return pairs;
}

bool SettingSaver::SameCount(const QString& startList, const QString& endList) {
    return LastIndex(startList) == LastIndex(endList);
}

QString SettingSaver::KeywordRefusal(const QString& list) {
    // An empty item would match every failure reply and re-route it.
    if (list.contains(QLatin1String(";;")))
        return QStringLiteral("Kata Kunci belum Memenuhi Syarat Coba cek lagi...");
    return QString();
}

const QStringList& SettingSaver::SupplierEntries() {
    static const QStringList entries = [] {
        QStringList list;
        for (const Supplier& s : kSuppliers) list.append(QString::fromUtf8(s.entry));
        return list;
    }();
    return entries;
}

QString SettingSaver::MethodCode(const QString& entry) {
    for (const Supplier& s : kSuppliers)
        if (s.code != nullptr && entry == QLatin1String(s.entry)) return QString::fromUtf8(s.code);
    return QString();
}

QString SettingSaver::NoneRefusal() {
    return QStringLiteral("Supplier tidak boleh Terisi 'None'");
}

bool SettingSaver::NeedsDatabase(const QString& application, const QString& section,
                                 const Entries& entries) {
    for (const auto& [key, value] : entries) {
        const Known k = Identify(application, section, key);
        if (k.Is(kPintar2) && !value.trimmed().isEmpty()) return true;
        if (IsMethod(application, k) && !MethodCode(value).isNull()) return true;
    }
    return false;
}

SettingSaver::SettingSaver(const SettingsStore& store, ReplyClassifier* replies, Lookups* lookups)
    : store_(store), replies_(replies), lookups_(lookups) {}

QString SettingSaver::Refusal(const QString& application, const QString& section,
                              const Entries& entries) const {
    for (const auto& [key, value] : entries) {
        if (application.compare(QLatin1String(kAppNxEngine), Qt::CaseInsensitive) != 0 ||
            key.compare(QLatin1String(kJobsPerTick), Qt::CaseInsensitive) != 0)
            continue;
        const QString refusal = JobsPerTickRefusal(value);
        if (!refusal.isEmpty()) return refusal;
    }
    for (const auto& [key, value] : entries) {
        if (!Identify(application, section, key).Is(kPintar2)) continue;
        const QString refusal = KeywordRefusal(value);
        if (!refusal.isEmpty()) return refusal;
    }
    for (const CapturePair& pair : CapturePairs()) {
        for (const auto& entry : entries) {
            const Known k = Identify(application, section, entry.first);
            if (!k.Is(pair.startStem) && !k.Is(pair.endStem)) continue;
            const QString startKey = PerTerminal(pair.startStem, k.terminal);
            const QString endKey = PerTerminal(pair.endStem, k.terminal);
            const QString start =
                Given(entries, startKey)
                    .value_or(store_.GetSetting(kAppKzdSql, kSecSettings, startKey, QString("")));
            const QString end =
                Given(entries, endKey)
                    .value_or(store_.GetSetting(kAppKzdSql, kSecSettings, endKey, QString("")));
            if (!SameCount(start, end)) return QString::fromUtf8(pair.refusal);
        }
    }
    return QString();
}

QString SettingSaver::Save(const QString& application, const QString& section,
                           const Entries& entries, QStringList* warnings) {
    const QString refusal = Refusal(application, section, entries);
    if (!refusal.isEmpty()) return refusal;
    for (const auto& [key, value] : entries) store_.SaveSetting(application, section, key, value);
    for (const auto& [key, value] : entries) {
        const Known k = Identify(application, section, key);
        if (k.Is(kPintar2)) AddFailureKeywords(value);
        // The supplier entry is stored even as "None"; only its code would reach the products.
        if (IsMethod(application, k) &&
            !SaveSupplierMethod(value, static_cast<qint16>(k.terminal)) &&
            value == QLatin1String(kSuppliers[0].entry) && warnings != nullptr)
            warnings->append(NoneRefusal());
    }
    return QString();
}

void SettingSaver::AddFailureKeywords(const QString& list) {
    if (list.trimmed().isEmpty()) return;
    if (replies_ == nullptr)
        throw RelvaneError(
            QStringLiteral("the failure replies of table balasan need the database"));
    replies_->AddFailureKeywords(list);
}

bool SettingSaver::SaveSupplierMethod(const QString& entry, qint16 terminal) {
    const QString code = MethodCode(entry);
    if (code.isNull()) return false;
    if (lookups_ == nullptr)
        throw RelvaneError(
            QStringLiteral("the supplier method of table parsing needs the database"));
    lookups_->SetSupplierMethod(code, terminal);
    return true;
}
