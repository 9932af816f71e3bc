#pragma once

#include <QXmppClient.h>

#include <QDateTime>
#include <QStringList>
#include <functional>

#include "Environment.h"

// A chat account on the private Prosody that plays a supplier or a stranger in tests.
class XmppPeer {
  public:
    // grantPresence: it lets whoever asks see its presence.
    explicit XmppPeer(const QString& user, bool grantPresence = false,
                      const QString& resource = QStringLiteral("test"));
    ~XmppPeer();

    bool Login(int timeoutMs = 10000);
    // id: the stanza's id; stamp: sent as a stored message that was first sent then.
    void Say(const QString& to, const QString& body, const QString& id = {},
             const QDateTime& stamp = {});
    const QStringList& Received() const { return received_; }
    QString Jid() const;
    QXmppClient& Client() { return client_; }

    static QString Domain() { return EnvOr("RELVANE_XMPP_DOMAIN", "localhost"); }
    static QString Port() { return EnvOr("RELVANE_XMPP_PORT", "52220"); }
    // The private server's domain that offers TLS, and its certificate (its own authority).
    static QString TlsDomain() { return EnvOr("RELVANE_XMPP_TLS_DOMAIN", "tls.localhost"); }
    static QString TlsAuthority();
    static QString Password() { return EnvOr("RELVANE_XMPP_PASSWORD", "relvane"); }

  private:
    QString user_;
    bool grantPresence_;
    QString resource_;
    QXmppClient client_;
    QStringList received_;
};

// Runs the event loop until the condition holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);
