#include "chat/ChatSecurity.h"

#include <QXmppConfiguration.h>

#include <QDir>
#include <QHostAddress>

#include "store/SettingsKeys.h"
#include "store/SettingsStore.h"

ChatSecurity ChatSecurity::For(const QString& host, const SettingsStore& settings, int terminal,
                               const QString& programFolder) {
    auto setting = [&](const char* stem, const char* defaultValue) {
        return settings.GetSetting(Keys::kAppHbvGate, Keys::kSecSetting,
                                   Keys::PerTerminal(stem, terminal), defaultValue);
    };
    ChatSecurity s;
    if (IsLoopback(host))
        s.kind_ = Kind::PlainOnLoopback;
    else if (setting(Keys::kJPlain, Keys::kJPlainDefault).trimmed() == QLatin1String("1"))
        s.kind_ = Kind::PlainOnTrustedNetwork;
    const QString ca = setting(Keys::kJCa, "").trimmed();
    if (!ca.isEmpty()) {
        s.caFile_ = QDir(programFolder).absoluteFilePath(ca);
        s.authorities_ = QSslCertificate::fromPath(s.caFile_, QSsl::Pem);
    }
    return s;
}

bool ChatSecurity::IsLoopback(const QString& host) {
    const QString h = host.trimmed().toLower();
    if (h == QLatin1String("localhost")) return true;
    const QHostAddress address(h);
    return !address.isNull() && address.isLoopback();
}

void ChatSecurity::Apply(QXmppConfiguration& config) const {
    config.setStreamSecurityMode(kind_ == Kind::TlsRequired ? QXmppConfiguration::TLSRequired
                                                            : QXmppConfiguration::TLSEnabled);
    config.setIgnoreSslErrors(false);
    if (!authorities_.isEmpty()) config.setCaCertificates(authorities_);
}

QString ChatSecurity::Describe() const {
    QString text;
    switch (kind_) {
        case Kind::TlsRequired:
            text = QStringLiteral("TLS required, certificate checked");
            break;
        case Kind::PlainOnLoopback:
            text =
                QStringLiteral("TLS when offered (chat server on loopback), certificate checked");
            break;
        case Kind::PlainOnTrustedNetwork:
            text =
                QStringLiteral("TLS when offered (jPlain: trusted network), certificate checked");
            break;
    }
    if (!caFile_.isEmpty()) {
        text += authorities_.isEmpty()
                    ? QStringLiteral(", no certificate could be read from ") + caFile_
                    : QStringLiteral(", authority ") + caFile_;
    }
    return text;
}
