#pragma once

#include <QXmppClient.h>

#include <QDateTime>
#include <QStringList>
#include <functional>

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

    static QString Domain();
    static QString Port();
    // The private server's domain that offers TLS, and its certificate (its own authority).
    static QString TlsDomain();
    static QString TlsAuthority();
    static QString Password();

  private:
    QString user_;
    bool grantPresence_;
    QString resource_;
    QXmppClient client_;
    QStringList received_;
};

// Runs the event loop until the condition holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);
