#include <QXmppConfiguration.h>
#include <gtest/gtest.h>

#include <QFile>

#include "chat/ChatSecurity.h"
#include "store/SettingsKeys.h"
#include "support/TerminalFixture.h"

// Plain logins only where nobody can listen in: this machine, or a network the operator says is
// trusted. Everywhere else TLS is required, and no certificate error is ever ignored.
TEST_F(TerminalTest, ChatSecurityAllowsPlainOnlyOnLoopbackOrWhereTheOperatorSaysSo) {
    using K = ChatSecurity::Kind;
    const struct {
        const char* host;
        const char* jPlain;
        K kind;
    } cases[] = {
        {"localhost", "0", K::PlainOnLoopback},
        {"LocalHost", "0", K::PlainOnLoopback},
        {"127.0.0.1", "0", K::PlainOnLoopback},
        {"127.8.9.10", "0", K::PlainOnLoopback},
        {"::1", "0", K::PlainOnLoopback},
        {"10.0.0.7", "0", K::TlsRequired},
        {"chat.example.net", "0", K::TlsRequired},
        {"localhost.example.net", "0", K::TlsRequired},
        {"128.0.0.1", "", K::TlsRequired},
        {"10.0.0.7", "1", K::PlainOnTrustedNetwork},
        {"chat.example.net", " 1 ", K::PlainOnTrustedNetwork},
        {"chat.example.net", "yes", K::TlsRequired},
    };
    const QString plainKey = Keys::PerTerminal(Keys::kJPlain, 9);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.host) + " jPlain=" + c.jPlain);
        SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, plainKey, c.jPlain);
        const ChatSecurity s = ChatSecurity::For(c.host, Settings(), 9, Home());
        EXPECT_EQ(s.kind(), c.kind);
        QXmppConfiguration config;
        s.Apply(config);
        EXPECT_FALSE(config.ignoreSslErrors());
        EXPECT_EQ(config.streamSecurityMode(), c.kind == K::TlsRequired
                                                   ? QXmppConfiguration::TLSRequired
                                                   : QXmppConfiguration::TLSEnabled);
    }
    // Another terminal's switch is not this one's.
    SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, plainKey, "1");
    EXPECT_EQ(ChatSecurity::For("10.0.0.7", Settings(), 10, Home()).kind(), K::TlsRequired);
}

// The private server's second domain offers TLS with a self-signed certificate: refused until
// the terminal names its authority (relative to the program folder), then the login succeeds.
TEST_F(TerminalTest, AnUntrustedCertificateIsRefusedAndTheNamedAuthorityAccepted) {
    Prepare(17);
    const QString caKey = Keys::PerTerminal(Keys::kJCa, 17);
    SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, Keys::PerTerminal(Keys::kUidHbv, 17),
                QStringLiteral("terminal17@") + XmppPeer::TlsDomain());
    ASSERT_TRUE(QFile::copy(XmppPeer::TlsAuthority(), Home() + "/chat-ca.pem"))
        << XmppPeer::TlsAuthority().toStdString();
    SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, caKey, "missing.pem");
    // What the operator's log view shows, when it does not show the text.
    const auto missing = [&](const QString& text) {
        return Lines().filter(text).isEmpty() ? Lines().join('\n').toStdString() : std::string();
    };
    ASSERT_TRUE(Start());
    Term().Chat().LoginYM_Click();
    EXPECT_FALSE(WaitOnline(4000));
    EXPECT_EQ(missing("no certificate could be read from " + Home() + "/missing.pem"), "");
    // The refusal says why.
    EXPECT_EQ(missing("Login: The certificate is self-signed, and untrusted"), "");

    SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, caKey, "chat-ca.pem");
    EXPECT_TRUE(WaitOnline(15000)) << Lines().join('\n').toStdString();
    EXPECT_EQ(missing("TLS when offered (chat server on loopback), certificate checked, "
                      "authority " +
                      Home() + "/chat-ca.pem"),
              "");
}
