#pragma once

#include <QList>
#include <QString>

class Database;
class SettingsStore;

// The host's side of a run on the private servers, shared by the demo and the load benchmark:
// resellers under their uplines in group G, products S10 and S5 with group prices and the
// uplines' rebates, reply keywords, one terminal row and one pair of parsing rows per terminal,
// and each terminal's settings (its chat account terminal<N>, its supplier supplier<N>).
class DemoWorld {
  public:
    struct Member {
        QString code;
        QString name;
        qint64 deposit = 0;
        QString upline;  // empty: an upline itself (level 2)
    };
    struct Plan {
        QList<int> terminals;
        QList<Member> members;
        QString xmppDomain = QStringLiteral("localhost");
        QString xmppHost = QStringLiteral("127.0.0.1");
        int xmppPort = 52220;
        QString xmppPassword = QStringLiteral("relvane");
    };

    // Empties the tables a run touches and fills them for the plan.
    static void PrepareTables(Database& db, const Plan& plan);
    // Terminal n's chat account, server, supplier target and reply markers.
    static void ConfigureTerminal(const SettingsStore& settings, int terminal, const Plan& plan);
    static QString Jid(const QString& user, int n, const QString& domain);
};
