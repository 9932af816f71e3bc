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
      replyDelayMs_(replyDelayMs) {}

void FakeSupplier::Start() {
    if (client_) client_->disconnectFromServer();
    client_ = std::make_unique<QXmppClient>();
    QXmppClient* client = client_.get();
    connect(client, &QXmppClient::messageReceived, this, [this, client](const QXmppMessage& m) {
        if (m.body().isEmpty()) return;
        emit OrderReceived(m.from(), m.body());
        if (replyDelayMs_ < 0) return;
        const QString reply = ReplyTo(m.body(), ++serial_, failEvery_);
        const QString to = m.from();
        QTimer::singleShot(replyDelayMs_, client, [client, to, reply] {
            QXmppMessage answer(QString(), to, reply);
            answer.setType(QXmppMessage::Chat);
            client->sendPacket(answer);
        });
    });
    QXmppConfiguration config;
    config.setJid(jid_);
    config.setPassword(password_);
    config.setHost(host_);
    config.setPort(port_);
    config.setResource(QStringLiteral("supplier"));
    client_->connectToServer(config);
}

QString FakeSupplier::ReplyTo(const QString& order, int n, int failEvery) {
    if (failEvery > 0 && n % failEvery == 0)
        return QStringLiteral("GAGAL %1 stok tidak tersedia").arg(order);
    return QStringLiteral("SUKSES %1 SN:%2 STOK:%3 HRG:%4")
        .arg(order)
        .arg(n, 8, 10, QLatin1Char('0'))
        .arg(1000 - n)
        .arg(9800);
}
