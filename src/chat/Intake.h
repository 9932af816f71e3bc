#pragma once

#include <QObject>
#include <QString>

class Core;

// Takes each supplier message in: cleans it, shows it, decides whether it is settled, stores
// it in the inbox, reports it to the monitor and forwards it to the administrator.
class Intake : public QObject {
    Q_OBJECT
  public:
    explicit Intake(Core& core, QObject* parent = nullptr);

    // A chat message as the client delivers it.
    void IncomingMessage(const QString& contact, const QString& body);
    // One incoming message (chat or booster row).
    void txtPm(const QString& msisdn, const QString& pesan);
    bool IsIgnoredMessage(const QString& text) const;
    // The terminal's own supplier accounts settle transactions; strangers do not, unless the
    // terminal accepts every contact.
    bool IsKnownSupplier(const QString& sender);

    static QString CleanText(const QString& body);
    static QString BareAccount(const QString& jid);

  private:
    void Settle(const QString& text);

    Core& core_;
};
