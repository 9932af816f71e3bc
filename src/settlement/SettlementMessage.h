#pragma once

#include <QString>

#include "settlement/Settlement.h"

class ReplyClassifier;
class SettlementRows;

// The reseller's reply to a settled order, filled from the keyword's template. Placeholders are
// replaced in a fixed order, every occurrence, matching case exactly.
class SettlementMessage {
  public:
    SettlementMessage(SettlementRows& rows, ReplyClassifier& classifier)
        : rows_(rows), classifier_(classifier) {}

    // The whole reply: the placeholders below with the time now, then "<trx>" (today's
    // successful orders of the reseller) and the numbered SN fields "<sn-N>".
    QString FillMessage(const Settlement::Reply& r, bool success);
    // The placeholders of the reseller's reply that the reply and its row fill, in their fixed
    // order, with the time stamps given; "<trx>" and "<sn-N>" are left for the whole reply.
    static QString FillMessage(const Settlement::Reply& r, bool success, const QString& now,
                               const QString& shortNow);

  private:
    SettlementRows& rows_;
    ReplyClassifier& classifier_;
};
