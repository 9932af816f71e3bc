#include "chat/ChatSession.h"

#include <QXmppMessage.h>
#include <QXmppRosterManager.h>
#include <QXmppUtils.h>

#include <QDateTime>
#include <QSslSocket>

#include "chat/ChatSecurity.h"
#include "chat/PasswordScramble.h"
#include "chat/YmQueue.h"
#include "queue/MessageTables.h"
#include "store/Lookups.h"
#include "store/Output.h"
#include "store/SettingsKeys.h"
#include "store/SettingsStore.h"
#include "store/Stamps.h"
#include "store/TerminalList.h"

namespace {
const QString kLogIn = QStringLiteral("Log In");
const QString kLogOut = QStringLiteral("Log Out");
constexpr int kReloginMs = 5000;
constexpr int kLoginTimeoutMs = 30000;
// Messages remembered to recognise a second copy; a stored copy of a text taken live without a
// stanza id counts as one within this window (the time a server keeps a dropped session).
constexpr int kSeenKept = 2000;
constexpr qint64 kSeenTextWindowSecs = 600;
}  // namespace

int ChatSession::LoginTimeoutMs() {
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("RELVANE_LOGIN_TIMEOUT_MS", &ok);
    return ok && ms > 0 ? ms : kLoginTimeoutMs;
}

ChatSession::ChatSession(Context ctx, Output& out, MessageTables& messages, Lookups& lookups,
                         YmQueue& ym, QObject* parent)
    : QObject(parent), ctx_(ctx), out_(out), messages_(messages), lookups_(lookups), ym_(ym) {
    tmAutoLogin_.setInterval(kReloginMs);
    tmstartLogin_.setInterval(2000);
    tmstartLogin_.setSingleShot(true);
    attemptTimer_.setSingleShot(true);
    connect(&tmAutoLogin_, &QTimer::timeout, this, &ChatSession::tmAutoLogin_Timer);
    connect(&tmstartLogin_, &QTimer::timeout, this, &ChatSession::tmstartLogin_Timer);
    connect(&attemptTimer_, &QTimer::timeout, this, &ChatSession::OnAttemptTimeout);
    NewClient();
}

void ChatSession::NewClient() {
    if (client_ != nullptr) {
        // The old client says nothing more to this session; whatever it still holds unsent or
        // unacknowledged goes with it.
        client_->disconnect(this);
        if (auto* roster = client_->findExtension<QXmppRosterManager>()) roster->disconnect(this);
        if (client_->state() != QXmppClient::DisconnectedState) client_->disconnectFromServer();
        client_->deleteLater();
    }
    client_ = new QXmppClient(this);
    connect(client_, &QXmppClient::connected, this, &ChatSession::OnConnected);
    connect(client_, &QXmppClient::disconnected, this, &ChatSession::OnDisconnected);
    connect(client_, &QXmppClient::stateChanged, this, &ChatSession::OnStateChange);
    connect(client_, &QXmppClient::error, this, &ChatSession::OnError);
    connect(client_, &QXmppClient::messageReceived, this, &ChatSession::OnMessage);
    if (auto* roster = client_->findExtension<QXmppRosterManager>()) {
        connect(roster, &QXmppRosterManager::rosterReceived, this, &ChatSession::ContactsChanged);
        connect(roster, &QXmppRosterManager::itemAdded, this, &ChatSession::ContactsChanged);
        connect(roster, &QXmppRosterManager::itemRemoved, this, &ChatSession::ContactsChanged);
        connect(roster, &QXmppRosterManager::itemChanged, this, &ChatSession::ContactsChanged);
        connect(roster, &QXmppRosterManager::presenceChanged, this, &ChatSession::ContactsChanged);
    }
    lastState_ = QXmppClient::DisconnectedState;
    emit ContactsChanged();  // the new client knows its contacts once the server sends them
}

bool ChatSession::StreamManaged() const {
    return client_->streamManagementState() != QXmppClient::NoStreamManagement;
}

template <typename T>
void ChatSession::Set(T& field, const T& value) {
    if (field == value) return;
    field = value;
    emit StateChanged();
}

void ChatSession::LogI() {
    const ProcessValues& v = ctx_.values;
    try {
        out_.SendBox(QStringLiteral("Login"),
                     QStringLiteral("(") + NowStamp() + QStringLiteral(") :: Connecting. . ."));
        const QString pass = PasswordScramble::UnscrambleText(v.PwdHbv, Keys::kPasswordKey);
        if (v.ID.isEmpty() || pass.isEmpty()) {
            attempt_ = false;
            // Nothing is in progress: a later click or re-login must be able to try again.
            Set(LoginInProgress_, false);
            Disconnect();
            out_.SendBox(QStringLiteral("Login"),
                         QStringLiteral("GAGAL, Silahkan cek username/pass anda..."));
            return;
        }
        QXmppConfiguration config;
        config.setJid(v.ID);
        config.setPassword(pass);
        config.setResource(ctx_.settings.GetSetting(Keys::kAppHbvGate, Keys::kSecSetting,
                                                    Keys::PerTerminal(Keys::kRscHbv, v.TerminalNo),
                                                    Keys::kRscHbvDefault));
        config.setPort(v.ChatPort.toInt());
        // Re-login is the terminal's own (every five seconds while AUTOLOGIN is on), never the
        // client library's.
        config.setAutoReconnectionEnabled(false);
        if (v.lblServer.toLower() == QLatin1String("nc")) {
            Set(StatusBar_, QStringLiteral(":>> Default:") + v.ChatPort);
            // The account's own domain is the server.
            config.setHost(QXmppUtils::jidToDomain(v.ID));
        } else {
            Set(StatusBar_, QStringLiteral(":>> ") + v.lblServer + QLatin1Char(':') + v.ChatPort);
            config.setHost(v.lblServer);
        }
        const ChatSecurity security = ChatSecurity::For(config.host(), ctx_.settings, v.TerminalNo,
                                                        ctx_.util.ProgramFolder());
        security.Apply(config);
        out_.SendBox(QStringLiteral("Login"), security.Describe());
        NewClient();
        attempt_ = true;
        conflict_ = false;
        attemptTimer_.start(LoginTimeoutMs());
        client_->connectToServer(config);
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("LogI "), e);
    }
}

void ChatSession::CmdLoginYM_Click(bool byHand) {
    try {
        if (CmdLoginYM_ != kLogIn) {
            attempt_ = false;  // a log-out by hand does not start the automatic re-login
            Disconnect();
            if (!byHand && !tmAutoLogin_.isActive()) tmAutoLogin_.start();
            Set(StatusBar_, QStringLiteral("Status : Disconnect."));
            Set(LoginInProgress_, false);
            Set(CmdLoginYM_, kLogIn);
            const QString text = QStringLiteral("Log Out at ") + TimeNow();
            Set(StatusBar_, text);
            out_.SendBox(QStringLiteral("Service"), text);
        } else if (!LoginInProgress_) {
            Set(LoginInProgress_, true);
            Set(StatusBar_,
                QStringLiteral("Status : Connecting to Server...->") + ctx_.values.LblTarget2);
            LogI();
        }
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("CmdLoginYM_Click "), e);
    }
}

void ChatSession::LoginYM_Click() {
    const ProcessValues& v = ctx_.values;
    try {
        messages_.OnOffTerminal(QStringLiteral("Relvane"), v.TerminalNo, true);
        if (MergerLoginBlocked()) {
            // A row left on by an instance that was killed blocks only until it is cleared:
            // each re-login tick asks again.
            if (!tmAutoLogin_.isActive()) tmAutoLogin_.start();
            return;
        }
        if (v.BoosterMode != 1) {
            CmdLoginYM_Click();
            Set(LoginYMBorder_, 1);
            return;
        }
        ym_.CheckYmQueue();
        ctx_.util.WriteIni(ctx_.util.ProgramFile(Keys::kSettingIni), Keys::kSecSoftware,
                           Keys::kBoster, v.TerminalName);
        ym_.StartBooster();
        Set(LoginYMBorder_, 1);
        Set(CmdLoginYM_, kLogOut);
        Set(LoginInProgress_, false);
        Set(StatusBar_, QStringLiteral("IRC Boster ON ") + TimeNow());
        out_.SendBox(QStringLiteral("Service"), QStringLiteral("Swit To IRC Boster ") + TimeNow());
        emit ExtraCommandDue();
    } catch (const std::exception& e) {
        ctx_.LogError(QStringLiteral("LoginYM "), e);
        // The database was out of reach: try again with the automatic re-login rather than
        // stay offline until someone clicks.
        if (!tmAutoLogin_.isActive()) tmAutoLogin_.start();
    }
}

bool ChatSession::MergerLoginBlocked() {
    if (!ctx_.values.chMerger) return false;
    const QList<qint16> active = lookups_.ActiveTerminals(ctx_.values.TerminalList);
    NoteBlockers(active);
    if (active.size() <= 1) return false;
    out_.SendBox(QStringLiteral("1 RLV to ALL Supplier Actived"),
                 QStringLiteral("Modul Tidak bisa Login"));
    Set(LoginYMBorder_, 1);
    Set(CmdLoginYM_, kLogIn);
    return true;
}

void ChatSession::NoteBlockers(const QList<qint16>& active) {
    QStringList others;
    for (qint16 t : active)
        if (t != ctx_.values.TerminalNo) others.append(QString::number(t));
    const QString blockers = active.size() > 1 ? others.join(QLatin1Char(',')) : QString();
    if (blockers == blockers_) return;  // said already, or nothing to say
    blockers_ = blockers;
    if (!blockers.isEmpty())
        ctx_.Log(QStringLiteral("MergerLoginBlocked status='1' di terminal ") + blockers);
}

void ChatSession::tmAutoLogin_Timer() {
    const ProcessValues& v = ctx_.values;
    // In booster mode too: a booster start that met the database away, or a log-out after a
    // failed table probe, is tried again until the booster runs.
    if (v.AutoLoginOn == 1 && !LoggedIn()) LoginYM_Click();
    if (v.BoosterMode == 1 && LoggedIn()) tmAutoLogin_.stop();
}

void ChatSession::tmstartLogin_Timer() {
    LoginYM_Click();
    tmstartLogin_.stop();
}

void ChatSession::OnConnected() {
    attemptTimer_.stop();
    tmAutoLogin_.stop();
    out_.SendBox(QStringLiteral("OnConnect"),
                 QStringLiteral("(") + NowStamp() + QStringLiteral(") :: Online Connected"));
    Set(StatusBar_, QStringLiteral("Status : ...->Online"));
    Set(CmdLoginYM_, kLogOut);
    emit Connected();
    emit ExtraCommandDue();
}

void ChatSession::OnDisconnected() {
    // A refused login reports an error and then a disconnect: one attempt ends once.
    if (!attempt_) return;
    attempt_ = false;
    attemptTimer_.stop();
    Disconnect();
    if (!conflict_) {
        conflictSaid_ = false;
        tmAutoLogin_.setInterval(kReloginMs);
    }
    Set(LoginInProgress_, false);
    Set(CmdLoginYM_, kLogIn);
    out_.SendBox(QStringLiteral("OnDisconnect"),
                 QStringLiteral("(") + NowStamp() + QStringLiteral(") :: Disconnected"));
    Set(StatusBar_, QStringLiteral("Status : ...->Disconnected"));
    if (!tmAutoLogin_.isActive()) tmAutoLogin_.start();
    emit Disconnected();
}

void ChatSession::OnStateChange(QXmppClient::State state) {
    static const char* const kNames[] = {"Disconnected", "Connecting", "Connected"};
    if (state == lastState_) return;  // the client repeats itself during one connect
    lastState_ = state;
    out_.SendBox(QString(), QString::fromLatin1(kNames[state]) + QStringLiteral("->") +
                                client_->configuration().host() + QLatin1Char(':') +
                                QString::number(client_->configuration().port()));
}

void ChatSession::OnError(QXmppClient::Error error) {
    static const char* const kErrors[] = {"NoError", "SocketError", "KeepAliveError",
                                          "XmppStreamError"};
    ctx_.Log(QStringLiteral("TreeView1_Error ") + QString::fromLatin1(kErrors[error]));
    if (error == QXmppClient::XmppStreamError &&
        client_->xmppStreamError() == QXmppStanza::Error::Conflict) {
        // Another instance logs in with this account and resource: each would throw the other
        // off at every re-login. Say so once and come back slowly.
        conflict_ = true;
        tmAutoLogin_.setInterval(kConflictRetryMs);
        if (!conflictSaid_) {
            conflictSaid_ = true;
            const QString line =
                QStringLiteral(
                    "Akun chat dipakai instance lain dengan resource yang sama; login "
                    "ulang tiap %1 detik")
                    .arg(kConflictRetryMs / 1000);
            out_.SendBox(QStringLiteral("Login"), line);
            ctx_.Log(line);
        }
    }
    // A refused certificate, a server without TLS, a refused connection: the operator's clue.
    if (error == QXmppClient::SocketError)
        out_.SendBox(QStringLiteral("Login"), client_->socketErrorString());
    if (client_->state() == QXmppClient::DisconnectedState) OnDisconnected();
}

void ChatSession::OnAttemptTimeout() {
    if (!attempt_ || client_->isConnected()) return;
    const QString line = QStringLiteral(
                             "Login tidak selesai dalam %1 detik, dihentikan; login "
                             "ulang berjalan")
                             .arg(LoginTimeoutMs() / 1000.0);
    out_.SendBox(QStringLiteral("Login"), line);
    ctx_.Log(line);
    NewClient();  // the stalled connection goes with the old client
    OnDisconnected();
}

bool ChatSession::SeenBefore(const QString& from, const QXmppMessage& message) {
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QString byId =
        message.id().isEmpty() ? QString() : from + QStringLiteral("\x1fid\x1f") + message.id();
    const QString byText = from + QStringLiteral("\x1ftext\x1f") + message.body();
    bool seen = !byId.isEmpty() && seen_.contains(byId);
    // Without an id, a live message is always new; a stored one (it carries its first sending
    // time) repeats a text taken live shortly before.
    if (!seen && byId.isEmpty() && message.stamp().isValid()) {
        const auto it = seen_.constFind(byText);
        seen = it != seen_.constEnd() && it->secsTo(now) <= kSeenTextWindowSecs;
    }
    if (seen) return true;
    for (const QString& key : {byId, byText}) {
        if (key.isEmpty()) continue;
        if (!seen_.contains(key)) seenOrder_.enqueue(key);
        seen_.insert(key, now);
    }
    while (seenOrder_.size() > kSeenKept) seen_.remove(seenOrder_.dequeue());
    return false;
}

void ChatSession::OnMessage(const QXmppMessage& message) {
    if (message.body().isEmpty()) return;  // chat states, receipts and the like carry no text
    if (message.type() == QXmppMessage::Error) {
        // A bounce quotes our own order under the supplier's address: it is no reply.
        ctx_.Log(QStringLiteral("Pesan gagal terkirim ke ") + message.from() +
                 QStringLiteral(": ") + message.body());
        return;
    }
    // The contact is the account, without the resource it happens to write from.
    const QString from = QXmppUtils::jidToBareJid(message.from());
    if (SeenBefore(from, message)) {
        // Sent again by the server (a dropped session's unacknowledged window, then its
        // offline store): one inbox row, one notice.
        ctx_.Log(QStringLiteral("Pesan ganda diabaikan (") + from + QStringLiteral(") ") +
                 message.body());
        return;
    }
    emit MessageReceived(from, message.body());
}

void ChatSession::Disconnect() {
    if (client_->state() != QXmppClient::DisconnectedState) client_->disconnectFromServer();
}

bool ChatSession::Hand(const QString& target, const QString& message, QString* error) {
    if (!client_->isConnected()) {
        *error = QStringLiteral("not connected");
        return false;
    }
    QXmppMessage stanza(QString(), target, message);
    stanza.setType(QXmppMessage::Chat);
    if (client_->sendPacket(stanza)) {
        // The order is recorded as sent: it leaves the process now, not at the next turn of
        // the event loop, so that a process ended in between has still sent it.
        if (auto* socket = client_->findChild<QSslSocket*>()) socket->flush();
        return true;
    }
    *error = QStringLiteral("the stream did not take the message");
    return false;
}

QList<ChatSession::Contact> ChatSession::Contacts() const {
    auto* roster = client_->findExtension<QXmppRosterManager>();
    if (roster == nullptr) return {};
    QStringList ids = roster->getRosterBareJids();
    ids.sort(Qt::CaseInsensitive);
    QList<Contact> contacts;
    for (const QString& id : ids) {
        Contact c;
        c.id = id;
        const auto presences = roster->getAllPresencesForBareJid(id);
        for (const QXmppPresence& p : presences)
            c.online = c.online || p.type() == QXmppPresence::Available;
        c.asked = roster->getRosterEntry(id).subscriptionStatus() == QLatin1String("subscribe");
        contacts.append(c);
    }
    return contacts;
}

void ChatSession::AddContact(const QString& id) {
    auto* roster = client_->findExtension<QXmppRosterManager>();
    if (roster == nullptr) return;
    roster->addItem(id);
    roster->subscribe(id);
}

void ChatSession::RemoveContact(const QString& id) {
    if (auto* roster = client_->findExtension<QXmppRosterManager>()) roster->removeItem(id);
}

QString ChatSession::ChatText(const QString& message) const {
    return ctx_.values.ReplaceDenomOn ? ShortenDenom(message) : message;
}

void ChatSession::ReportNotSent(const QString& text, const QString& error) {
    out_.SendBox(QStringLiteral("SendChat"), text + QStringLiteral(", ") + error);
}

bool ChatSession::SendChat(const QString& message, const QString& target) {
    if (message.isEmpty() || target.isEmpty()) return false;
    const QString text = ChatText(message);
    QString error;
    if (Hand(target, text, &error)) return true;
    ReportNotSent(text, error);
    return false;
}

bool ChatSession::ChatReady(const QString& message) {
    if (IsOnline()) return true;
    ReportNotSent(ChatText(message), QStringLiteral("not connected"));
    return false;
}

QString ChatSession::ShortenDenom(const QString& text) {
    const QString match = UtilityComponent::RegexFirstMatch(QStringLiteral("^[1-9]{1,3}0+"), text);
    QString shortened = match;
    shortened.remove(QStringLiteral("000"));
    return shortened + text.mid(match.size());
}
