#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

class Lookups;
class ReplyClassifier;
class SettingsStore;

// Stores settings together with what saving them sets off, for the settings panel and for
// `relvane config set` alike:
// - a re-route keyword list ("Pintar2"N) with an empty item is refused, and each new keyword
//   gets a failure reply template in table balasan, without which a reply carrying it would
//   never settle;
// - a supplier entry ("Method" of a terminal) writes its method code to the terminal's products;
// - a bill-payment capture pair keeps as many end markers as start markers.
// The database work needs the classifier and the lookups; without them only settings that set
// nothing off can be saved.
class SettingSaver {
  public:
    using Entries = QList<std::pair<QString, QString>>;  // key, value, in the order saved

    // Start and end key of a bill-payment capture pair and the refusal when their counts
    // differ, in the order the pairs are checked.
    struct CapturePair {
        const char* startStem;
        const char* endStem;
        const char* refusal;
    };
    static const QList<CapturePair>& CapturePairs();
    // Both ";"-separated lists hold as many markers (an empty text holds none).
    static bool SameCount(const QString& startList, const QString& endList);

    // The refusal of a re-route keyword list, empty when it may be stored.
    static QString KeywordRefusal(const QString& list);

    // The supplier entries in their order; the code of an entry (null for "None" and any other
    // text); the message shown when "None" is chosen.
    static const QStringList& SupplierEntries();
    static QString MethodCode(const QString& entry);
    static QString NoneRefusal();

    // True when saving these entries changes rows of the database.
    static bool NeedsDatabase(const QString& application, const QString& section,
                              const Entries& entries);

    SettingSaver(const SettingsStore& store, ReplyClassifier* replies, Lookups* lookups);

    // The first refusal for the store as the entries would leave it, empty when there is none.
    QString Refusal(const QString& application, const QString& section,
                    const Entries& entries) const;
    // Checks, stores every entry, then does what each sets off. Returns the refusal (nothing
    // stored) or, when it went through, the warnings about what was not set off. Raises when
    // the store or the database fails; what was stored before stays stored.
    QString Save(const QString& application, const QString& section, const Entries& entries,
                 QStringList* warnings = nullptr);

    // A failure reply template for each keyword of the list that has none yet.
    void AddFailureKeywords(const QString& list);
    // The entry's method code for every product row of the terminal; false when the entry
    // has no code (nothing run).
    bool SaveSupplierMethod(const QString& entry, qint16 terminal);

  private:
    const SettingsStore& store_;
    ReplyClassifier* replies_;
    Lookups* lookups_;
};
