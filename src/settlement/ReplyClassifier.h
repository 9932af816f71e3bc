#pragma once

#include <QString>

#include "store/Context.h"

// What a supplier reply says: its kind by the keywords of table balasan, the reseller's reply
// template of that keyword, the transaction code a reply may quote, and the numbered SN fields
// of a template.
class ReplyClassifier {
  public:
    enum class Kind { NoKeyword, Success, Failure, Dropped };
    struct Verdict {
        Kind kind = Kind::NoKeyword;
        QString keyword;
        QString templ;  // the reply template for the reseller
    };

    explicit ReplyClassifier(Context ctx) : ctx_(ctx) {}

    // The keywords of every "OKE" and "ERROR" row in id order, lower-cased, ";"-joined.
    QString GetKataKunci();
    // The list this instance holds: loaded on first use, and again while it loads empty.
    const QString& Keywords();
    // Template, ";" and kind of the keyword's first row that is not a "CS" row; "" for none.
    QString GetBalasan(const QString& keyword);
    // The second "#" field of a transaction code; "0" when there is none.
    static QString GetKodeTrx(const QString& kodeTransaksi);
    // The template with its numbered SN placeholders ("<sn-0>", "<sn-1>", ...) filled from the
    // reply by the terminal's "SNMulti0 #"/"SNMulti1 #" marker pairs.
    QString IsiSNMulti(const QString& reply, const QString& templ);

    // The first keyword of the list found anywhere in the (lower-cased) reply decides; its row
    // says success ("OKE") or failure ("ERROR"), any other kind drops the reply.
    Verdict Classify(const QString& lowerReply);
    // The template of the first failure ("ERROR") keyword in the (lower-cased) text, else the
    // default failure template.
    QString FailureTemplate(const QString& lowerText);
    // The reseller's reply to a failure, as the settings panel stores it for new keywords.
    static QString DefaultFailureTemplate();
    // Adds a failure reply template to table balasan for each keyword of a ";"-separated list
    // that has none yet. Each keyword is keyed as typed, leading blanks included: that is how
    // replies are matched against it. Raises when a statement fails.
    void AddFailureKeywords(const QString& list);

  private:
    Context ctx_;
    QString keywords_;
    bool markerCountReported_ = false;
};
