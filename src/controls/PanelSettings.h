#pragma once

#include <QString>
#include <QStringList>
#include <array>

#include "controls/SettingSaver.h"
#include "store/Context.h"

class Lookups;
class Output;
class ReplyClassifier;
class WindowState;

// What the settings panel shows, one member per control.
struct PanelValues {
    static constexpr int kSnFields = 19;

    QString txtParsing;                    // the extra command
    std::array<QString, kSnFields> TxtSN;  // SN, bill-payment capture and success markers
    QString txtSetting5;                   // stock SN start marker
    QString txtSetting6;                   // stock SN end marker
    bool Check1 = false;                   // smart re-routing
    bool Check2 = false;                   // switch products off on failure
    bool Check3 = false;                   // extra command enabled
    QString Text1;                         // failure keywords, as typed
    QString cmbOpr;                        // supplier kind
    QString LimitPending;                  // pending limit, as stored
    int JobsPerTick = 1;                   // orders a tick may hand over
};

// The settings panel's storage and database work, without widgets: reading the terminal's
// settings for the panel, the "Simpan" steps, the re-routing switch and keywords, the pending
// limit. The routines catch their own errors and log them to the terminal's log (only a failed
// write of the pending limit goes to the caller); whatever was saved before an error stays saved.
class PanelSettings {
  public:
    struct Collaborators {
        WindowState& state;
        Lookups& lookups;
        ReplyClassifier& replies;
    };
    PanelSettings(Context ctx, ProcessValues& values, Output& out, Collaborators with);

    // The supplier entries of the panel's list, in their order.
    static const QStringList& SupplierEntries();
    // The method code written to table parsing for an entry; null for "None" and for any text
    // that is not an entry.
    static QString MethodCode(const QString& entry);
    // Caption of the re-routing frame for the switch's state.
    static QString FrAutoCaption(bool pintarOn);

    // The panel's fields from the store; the stored parsing switch becomes the in-memory one.
    PanelValues Load();

    // "Simpan": the eight steps in order. True when the panel may close (every capture pair
    // matched and was saved).
    bool OKButton_Click(const PanelValues& v);
    void SaveSupplierMethod(const QString& entry);
    bool SavePriceCapture(const PanelValues& v);

    // The re-routing switch, saved at once.
    void Check1_Click(bool on);
    // Enter in the keyword box: false when the list was refused (nothing saved).
    bool SaveFailureKeywords(const QString& text);
    // Adds a failure reply template to table balasan for each keyword not there yet.
    void AddFailureKeywords(const QString& list);

    QString StoredLimitPending() const;
    // Saved as typed, and the in-memory limit follows; raises when the store cannot be written.
    void SaveLimitPending(const QString& value);
    // The pending limit as answered in its dialog; false (logged) when it was not saved.
    bool Label3_Click(const QString& answer);

  private:
    QString Setting(const QString& key, const QString& defaultValue) const;
    void Save(const QString& key, const QString& value) const;
    QString Own(const char* stem, const char* suffix = "") const;
    QString SnKey(int index) const;
    static QString SnDefault(int index);
    // What an SN field shows: the stored marker, empty for none.
    QString SnField(int index) const;
    // The capture field (TxtSN(12) to (18)) of a key stem.
    static int SnIndex(const char* stem);
    // Stores the re-route keywords and keeps them in memory as typed; false when refused.
    bool StoreFailureKeywords(const QString& stored, const QString& typed);

    Context ctx_;
    ProcessValues& values_;
    Output& out_;
    Collaborators w_;
    SettingSaver saver_;
};
