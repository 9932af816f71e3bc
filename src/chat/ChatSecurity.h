#pragma once

#include <QSslCertificate>
#include <QString>

class QXmppConfiguration;
class SettingsStore;

// How a login protects the chat password and the orders on the wire. TLS is required and its
// certificate checked, unless the chat server is on this machine (loopback) or the terminal's
// "jPlain #" setting says the network to it is trusted: then TLS is used whenever the server
// offers it, and a plain stream is accepted. Certificate errors are never ignored. "jCA #"
// may name a PEM file with the certificate authority of a private chat server, trusted beside
// the system's.
class ChatSecurity {
  public:
    enum class Kind { TlsRequired, PlainOnLoopback, PlainOnTrustedNetwork };

    // host: the address the login connects to. Relative CA paths are taken from programFolder.
    static ChatSecurity For(const QString& host, const SettingsStore& settings, int terminal,
                            const QString& programFolder);

    // "localhost", 127.0.0.0/8 and ::1; no name is looked up.
    static bool IsLoopback(const QString& host);

    Kind kind() const { return kind_; }
    const QList<QSslCertificate>& Authorities() const { return authorities_; }

    void Apply(QXmppConfiguration& config) const;
    // The log line of the login: which protection, and the authority named.
    QString Describe() const;

  private:
    Kind kind_ = Kind::TlsRequired;
    QString caFile_;
    QList<QSslCertificate> authorities_;
};
