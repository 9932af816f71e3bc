#include "FakeSupplier.h"

#include <QXmppMessage.h>

#include <QTimer>

FakeSupplier::FakeSupplier(const QString& jid, const QString& password, const QString& host,
                           int port, int replyDelayMs, QObject* parent)
    : QObject(parent),
      jid_(jid),
      password_(password),
      host_(host),
      port_(port),
      replyDelayMs_(replyDelayMs) {
    connect(&client_, &QXmppClient::messageReceived, this, [this](const QXmppMessage& m) {
        if (m.body().isEmpty()) return;
        emit OrderReceived(m.from(), m.body());
        if (replyDelayMs_ < 0) return;
        const QString reply =
            QStringLiteral("SUKSES %1 SN:%2").arg(m.body()).arg(++serial_, 8, 10, QLatin1Char('0'));
        const QString to = m.from();
        QTimer::singleShot(replyDelayMs_, this, [this, to, reply] {
            QXmppMessage answer(QString(), to, reply);
            answer.setType(QXmppMessage::Chat);
            client_.sendPacket(answer);
        });
    });
}

void FakeSupplier::Start() {
    QXmppConfiguration config;
    config.setJid(jid_);
    config.setPassword(password_);
    config.setHost(host_);
    config.setPort(port_);
    config.setResource(QStringLiteral("supplier"));
    client_.connectToServer(config);
}
