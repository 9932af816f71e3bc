#include "support/XmppPeer.h"

#include <QXmppMessage.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(5);
    }
    return true;
}

QString XmppPeer::TlsAuthority() {
    const QString own = qEnvironmentVariable("RELVANE_XMPP_TLS_CA");
    if (!own.isEmpty()) return own;
    return QStringLiteral(RELVANE_SOURCE_DIR "/build/services/prosody/certs/") + TlsDomain() +
           QStringLiteral(".crt");
}
XmppPeer::XmppPeer(const QString& user, bool grantPresence, const QString& resource)
    : user_(user), grantPresence_(grantPresence), resource_(resource) {
    QObject::connect(&client_, &QXmppClient::messageReceived, [this](const QXmppMessage& m) {
        // A message the server kept while the account was away was meant for an earlier test.
        if (!m.body().isEmpty() && !m.stamp().isValid()) received_.append(m.body());
    });
}

XmppPeer::~XmppPeer() {
    client_.disconnectFromServer();
}

QString XmppPeer::Jid() const {
    return user_ + QLatin1Char('@') + Domain();
}

bool XmppPeer::Login(int timeoutMs) {
    QXmppConfiguration config;
    config.setJid(Jid());
    config.setPassword(Password());
    config.setHost(QStringLiteral("127.0.0.1"));
    config.setPort(Port().toInt());
    config.setResource(resource_);
    config.setAutoAcceptSubscriptions(grantPresence_);
    client_.connectToServer(config);
    return WaitUntil([this] { return client_.isConnected(); }, timeoutMs);
}

void XmppPeer::Say(const QString& to, const QString& body, const QString& id,
                   const QDateTime& stamp) {
    QXmppMessage m(QString(), to, body);
    m.setType(QXmppMessage::Chat);
    m.setId(id);
    m.setStamp(stamp);
    client_.sendPacket(m);
}
