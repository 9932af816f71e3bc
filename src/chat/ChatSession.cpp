#include "chat/ChatSession.h"

#include <QXmppMessage.h>
#include <QXmppRosterManager.h>
#include <QXmppUtils.h>

#include <QDateTime>
#include <QSslSocket>

#include "chat/Intake.h"
#include "chat/Output.h"
#include "chat/PasswordScramble.h"
#include "chat/YmQueue.h"
#include "dispatch/Core.h"
#include "dispatch/Workers.h"
#include "store/Database.h"
#include "store/SettingsKeys.h"
#include "store/SettingsStore.h"
#include "store/Stamps.h"
#include "store/TerminalList.h"

namespace {
const QString kLogIn = QStringLiteral("Log In");
const QString kLogOut = QStringLiteral("Log Out");
}  // namespace

ChatSession::ChatSession(Core& core, QObject* parent) : QObject(parent), core_(core) {
    tmAutoLogin_.setInterval(5000);
    tmstartLogin_.setInterval(2000);
    tmstartLogin_.setSingleShot(true);
    connect(&tmAutoLogin_, &QTimer::timeout, this, &ChatSession::tmAutoLogin_Timer);
    connect(&tmstartLogin_, &QTimer::timeout, this, &ChatSession::tmstartLogin_Timer);
    connect(&client_, &QXmppClient::connected, this, &ChatSession::OnConnected);
    connect(&client_, &QXmppClient::disconnected, this, &ChatSession::OnDisconnected);
    connect(&client_, &QXmppClient::stateChanged, this, &ChatSession::OnStateChange);
    connect(&client_, &QXmppClient::error, this, &ChatSession::OnError);
    connect(&client_, &QXmppClient::messageReceived, this, &ChatSession::OnMessage);
    if (auto* roster = client_.findExtension<QXmppRosterManager>()) {
        connect(roster, &QXmppRosterManager::rosterReceived, this, &ChatSession::ContactsChanged);
        connect(roster, &QXmppRosterManager::itemAdded, this, &ChatSession::ContactsChanged);
        connect(roster, &QXmppRosterManager::itemRemoved, this, &ChatSession::ContactsChanged);
    }
}

void ChatSession::LogI() {
    WindowState& s = core_.State();
    try {
        core_.Out().SendBox(QStringLiteral("Login"), QStringLiteral("(") + NowStamp() +
                                                         QStringLiteral(") :: Connecting. . ."));
        if (s.ID.isEmpty() || s.Pass.isEmpty()) {
            attempt_ = false;
            // Nothing is in progress: a later click or re-login must be able to try again.
            s.Set(s.LoginInProgress, false);
            Disconnect();
            core_.Out().SendBox(QStringLiteral("Login"),
                                QStringLiteral("GAGAL, Silahkan cek username/pass anda..."));
            return;
        }
        QXmppConfiguration config;
        config.setJid(s.ID);
        config.setPassword(s.Pass);
        config.setResource(core_.Settings().GetSetting(
            Keys::kAppHbvGate, Keys::kSecSetting,
            Keys::PerTerminal(Keys::kRscHbv, core_.Values().TerminalNo), Keys::kRscHbvDefault));
        config.setPort(core_.Values().ChatPort.toInt());
        // Re-login is the terminal's own (every five seconds while AUTOLOGIN is on), never the
        // client library's.
        config.setAutoReconnectionEnabled(false);
        // TLS whenever the server offers it.
        config.setStreamSecurityMode(QXmppConfiguration::TLSEnabled);
        const QString host = s.lblServer.toLower();
        if (host == QLatin1String("nc")) {
            s.Set(s.StatusBar, QStringLiteral(":>> Default:") + core_.Values().ChatPort);
            // The account's own domain is the server.
            config.setHost(QXmppUtils::jidToDomain(s.ID));
        } else {
            s.Set(s.StatusBar, QStringLiteral(":>> ") + s.lblServer + QLatin1Char(':') +
                                   core_.Values().ChatPort);
            config.setHost(s.lblServer);
        }
        attempt_ = true;
        client_.connectToServer(config);
    } catch (const std::exception& e) {
        core_.Log(QStringLiteral("LogI ") + Describe(e));
    }
}

void ChatSession::CmdLoginYM_Click(bool byHand) {
    WindowState& s = core_.State();
    try {
        if (s.CmdLoginYM != kLogIn) {
            attempt_ = false;  // a log-out by hand does not start the automatic re-login
            Disconnect();
            if (!byHand && !tmAutoLogin_.isActive()) tmAutoLogin_.start();
            s.Set(s.StatusBar, QStringLiteral("Status : Disconnect."));
            s.Set(s.LoginInProgress, false);
            s.Set(s.CmdLoginYM, kLogIn);
            const QString text = QStringLiteral("Log Out at ") + TimeNow();
            s.Set(s.StatusBar, text);
            core_.Out().SendBox(QStringLiteral("Service"), text);
        } else if (!s.LoginInProgress) {
            s.Set(s.LoginInProgress, true);
            s.Set(s.StatusBar, QStringLiteral("Status : Connecting to Server...->") + s.LblTarget2);
            LogI();
        }
    } catch (const std::exception& e) {
        core_.Log(QStringLiteral("CmdLoginYM_Click ") + Describe(e));
    }
}

void ChatSession::LoginYM_Click() {
    WindowState& s = core_.State();
    ProcessValues& v = core_.Values();
    try {
        core_.Work().messages.OnOffTerminal(QStringLiteral("Relvane"), v.TerminalNo, true);
        if (MergerLoginBlocked()) return;
        if (v.BoosterMode != 1) {
            CmdLoginYM_Click();
            s.Set(s.LoginYMBorder, 1);
            return;
        }
        core_.Ym().CheckYmQueue();
        core_.Util().WriteIni(core_.Util().ProgramFile(Keys::kSettingIni), Keys::kSecSoftware,
                              Keys::kBoster, v.TerminalName);
        core_.Ym().StartBooster();
        s.Set(s.LoginYMBorder, 1);
        s.Set(s.CmdLoginYM, kLogOut);
        s.Set(s.LoginInProgress, false);
        s.Set(s.StatusBar, QStringLiteral("IRC Boster ON ") + TimeNow());
        core_.Out().SendBox(QStringLiteral("Service"),
                            QStringLiteral("Swit To IRC Boster ") + TimeNow());
        emit core_.ExtraCommandDue();
    } catch (const std::exception& e) {
        core_.Log(QStringLiteral("LoginYM ") + Describe(e));
        // The database was out of reach: try again with the automatic re-login rather than
        // stay offline until someone clicks.
        if (!tmAutoLogin_.isActive()) tmAutoLogin_.start();
    }
}

bool ChatSession::MergerLoginBlocked() {
    WindowState& s = core_.State();
    if (!s.chMerger) return false;
    QStringList numbers = MergedTerminals(core_.Values().TerminalList);
    if (numbers.isEmpty()) numbers.append(QStringLiteral("NULL"));
    const DbResult r = core_.Db().Exec(
        QStringLiteral(
            "SELECT * FROM terminal where modul='Relvane' and status='1' and terminal in (") +
        numbers.join(QLatin1Char(',')) + QLatin1Char(')'));
    if (r.RecordCount() <= 1) return false;
    core_.Out().SendBox(QStringLiteral("1 RLV to ALL Supplier Actived"),
                        QStringLiteral("Modul Tidak bisa Login"));
    s.Set(s.LoginYMBorder, 1);
    s.Set(s.CmdLoginYM, kLogIn);
    return true;
}

void ChatSession::tmAutoLogin_Timer() {
    const ProcessValues& v = core_.Values();
    if (v.AutoLoginOn == 1 && v.BoosterMode == 0) LoginYM_Click();
    if (v.BoosterMode == 1) tmAutoLogin_.stop();
}

void ChatSession::tmstartLogin_Timer() {
    LoginYM_Click();
    tmstartLogin_.stop();
}

void ChatSession::OnConnected() {
    WindowState& s = core_.State();
    tmAutoLogin_.stop();
    core_.Out().SendBox(QStringLiteral("OnConnect"),
                        QStringLiteral("(") + NowStamp() + QStringLiteral(") :: Online Connected"));
    s.Set(s.StatusBar, QStringLiteral("Status : ...->Online"));
    s.Set(s.CmdLoginYM, kLogOut);
    emit core_.ExtraCommandDue();
}

void ChatSession::OnDisconnected() {
    // A refused login reports an error and then a disconnect: one attempt ends once.
    if (!attempt_) return;
    attempt_ = false;
    WindowState& s = core_.State();
    Disconnect();
    s.Set(s.LoginInProgress, false);
    s.Set(s.CmdLoginYM, kLogIn);
    core_.Out().SendBox(QStringLiteral("OnDisconnect"),
                        QStringLiteral("(") + NowStamp() + QStringLiteral(") :: Disconnected"));
    s.Set(s.StatusBar, QStringLiteral("Status : ...->Disconnected"));
    if (!tmAutoLogin_.isActive()) tmAutoLogin_.start();
}

void ChatSession::OnStateChange(QXmppClient::State state) {
    static const char* const kNames[] = {"Disconnected", "Connecting", "Connected"};
    if (state == lastState_) return;  // the client repeats itself during one connect
    lastState_ = state;
    core_.Out().SendBox(QString(), QString::fromLatin1(kNames[state]) + QStringLiteral("->") +
                                       client_.configuration().host() + QLatin1Char(':') +
                                       QString::number(client_.configuration().port()));
}

void ChatSession::OnError(QXmppClient::Error error) {
    static const char* const kErrors[] = {"NoError", "SocketError", "KeepAliveError",
                                          "XmppStreamError"};
    core_.Log(QStringLiteral("TreeView1_Error ") + QString::fromLatin1(kErrors[error]));
    if (client_.state() == QXmppClient::DisconnectedState) OnDisconnected();
}

void ChatSession::OnMessage(const QXmppMessage& message) {
    if (message.body().isEmpty()) return;  // chat states, receipts and the like carry no text
    if (message.type() == QXmppMessage::Error) {
        // A bounce quotes our own order under the supplier's address: it is no reply.
        core_.Log(QStringLiteral("Pesan gagal terkirim ke ") + message.from() +
                  QStringLiteral(": ") + message.body());
        return;
    }
    core_.In().IncomingMessage(message.from(), message.body());
}

void ChatSession::Disconnect() {
    if (client_.state() != QXmppClient::DisconnectedState) client_.disconnectFromServer();
}

bool ChatSession::Send(const QString& target, const QString& message, QString* error) {
    if (!client_.isConnected()) {
        *error = QStringLiteral("not connected");
        return false;
    }
    QXmppMessage stanza(QString(), target, message);
    stanza.setType(QXmppMessage::Chat);
    if (client_.sendPacket(stanza)) {
        // The order is recorded as sent: it leaves the process now, not at the next turn of
        // the event loop, so that a process ended in between has still sent it.
        if (auto* socket = client_.findChild<QSslSocket*>()) socket->flush();
        return true;
    }
    *error = QStringLiteral("the stream did not take the message");
    return false;
}

QStringList ChatSession::Contacts() const {
    // findExtension is not const in the client's interface; looking an extension up changes
    // nothing.
    auto* roster = const_cast<QXmppClient&>(client_).findExtension<QXmppRosterManager>();
    if (roster == nullptr) return {};
    QStringList ids = roster->getRosterBareJids();
    ids.sort(Qt::CaseInsensitive);
    return ids;
}

void ChatSession::AddContact(const QString& id) {
    if (auto* roster = client_.findExtension<QXmppRosterManager>()) roster->addItem(id);
}

void ChatSession::RemoveContact(const QString& id) {
    if (auto* roster = client_.findExtension<QXmppRosterManager>()) roster->removeItem(id);
}

bool ChatSession::cmd_Login_Click(const QString& user, const QString& pass, const QString& target,
                                  const QString& target2, const QString& ignore) {
    WindowState& s = core_.State();
    const int n = core_.Values().TerminalNo;
    if (!user.contains(QLatin1Char('@'))) {
        core_.Out().MessageBox(QStringLiteral("Informasi"),
                               QStringLiteral("Input Username salah, Contoh: terminal5@localhost"));
        return false;
    }
    try {
        const SettingsStore& st = core_.Settings();
        st.SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, Keys::PerTerminal(Keys::kUidHbv, n),
                       user);
        st.SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, Keys::PerTerminal(Keys::kPwdHbv, n),
                       PasswordScramble::ScrambleText(pass, Keys::kPasswordKey));
        st.SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, Keys::PerTerminal(Keys::kServerHbv, n),
                       target);
        st.SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting,
                       Keys::PerTerminal(Keys::kServerHbv2, n), target2);
        st.SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, Keys::PerTerminal(Keys::kMsgIgnore, n),
                       ignore);
        s.Set(s.ID, user);
        s.Set(s.LblTarget, target);
        s.Set(s.LblTarget2, target2);
        core_.Out().SendBox(QStringLiteral("Perubahan Setting"),
                            QStringLiteral("Close dan Open Lagi RLV Untuk Merasakan Perubahannya"));
    } catch (const std::exception& e) {
        core_.Log(QStringLiteral("cmd_Login_Click ") + Describe(e));
    }
    return true;
}

bool ChatSession::Toggle(const char* stem, bool current) {
    const bool next = !current;
    core_.Settings().SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting,
                                 Keys::PerTerminal(stem, core_.Values().TerminalNo),
                                 next ? QStringLiteral("1") : QStringLiteral("0"));
    return next;
}

bool ChatSession::mnAutoLogin_Click() {
    ProcessValues& v = core_.Values();
    v.AutoLoginOn = Toggle(Keys::kAutoLogin, v.AutoLoginOn == 1) ? 1 : 0;
    return v.AutoLoginOn == 1;
}

bool ChatSession::mnBoster_Click() {
    ProcessValues& v = core_.Values();
    v.BoosterMode = Toggle(Keys::kYConsole, v.BoosterMode == 1) ? 1 : 0;
    return v.BoosterMode == 1;
}

bool ChatSession::mnTrxID_Click() {
    const bool stored =
        core_.Settings().GetSetting(Keys::kAppHbvGate, Keys::kSecSetting,
                                    Keys::PerTerminal(Keys::kMnTrxId, core_.Values().TerminalNo),
                                    Keys::kMnTrxIdDefault) == QLatin1String("1");
    return Toggle(Keys::kMnTrxId, stored);
}
