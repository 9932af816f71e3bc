#pragma once

#include <QHash>
#include <QProcess>
#include <QUdpSocket>
#include <memory>
#include <vector>

#include "chat/ChatSession.h"
#include "controls/Controls.h"
#include "dispatch/Core.h"
#include "dispatch/DispatchLoop.h"
#include "store/SettingsKeys.h"
#include "store/UtilityComponent.h"
#include "support/DbFixture.h"
#include "support/XmppPeer.h"

// A running terminal on the private servers: its own database (see DbTest), a program folder
// with Setting.ini, its settings, a monitor listener on a free loopback port, and the chat
// account terminal<N>@domain whose supplier is supplier<N>@domain. Each test uses its own N,
// so tests running side by side never share a chat account.
class TerminalTest : public DbTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Configures terminal n (settings, terminal row); call before Start().
    void Prepare(int n);
    // Form_Load with the host's command line for terminal n; false when it ended the program.
    bool Start();
    bool WaitOnline(int timeoutMs = 15000);

    Core& Term() { return *core_; }
    // The window's controls on the terminal (no widgets): what they show and what clicks do.
    Controls& Window() { return *controls_; }
    int N() const { return n_; }
    QString Supplier() const { return QStringLiteral("supplier%1@").arg(n_) + XmppPeer::Domain(); }
    void SaveSetting(const char* app, const char* section, const QString& key,
                     const QString& value);
    void QueueJob(const QString& tujuan, const QString& pesan, const QString& produk = "S5");

    // Terminal n as the host starts it, headless, from this test's program folder, as its own
    // process (program: the terminal, or a test build of it; environment: "NAME=value" more).
    // Whatever is still running at the end is stopped.
    QProcess& Launch(int n, const QString& program = RELVANE_BINARY,
                     const QStringList& environment = {});
    static void Kill(QProcess& p);  // SIGKILL
    static void Stop(QProcess& p);  // SIGTERM, then SIGKILL after 10 s
    void StopProcesses();
    // A process's output so far (kept, since reading it empties the channel).
    QString Output(QProcess& p);
    bool WaitOutput(QProcess& p, const QString& text, int timeoutMs);

    // What the terminal showed (label ": " text) and sent to the monitor.
    QStringList Lines() const { return lines_; }
    QStringList Datagrams();

  private:
    int n_ = 0;
    std::unique_ptr<Core> core_;
    std::unique_ptr<Controls> controls_;
    QUdpSocket monitor_;
    QStringList lines_;
    QStringList datagrams_;
    std::vector<std::unique_ptr<QProcess>> processes_;
    QHash<QProcess*, QString> output_;
};

// A terminal whose chat account is not configured: nothing connects, and the tests drive the
// dispatch tick themselves.
class OfflineTerminalTest : public TerminalTest {
  protected:
    void StartOffline(int n, bool booster = false) {
        Prepare(n);
        SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, Keys::PerTerminal(Keys::kUidHbv, n), "");
        if (booster)
            SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, Keys::PerTerminal(Keys::kYConsole, n),
                        "1");
        ASSERT_TRUE(Start());
    }
    // The caption says online while the client has no session: the booster started, then
    // switched off from the menu.
    void ShowLoggedIn() {
        Window().actions.mnBoster_Click();
        Term().Chat().LoginYM_Click();
        Window().actions.mnBoster_Click();
    }
    void Tick() { Term().Dispatch().tmOut_Timer(); }
    QString Encoded(const QString& text) { return UtilityComponent::Encode(text, "kvrtn7302"); }
    // A row of the booster's mailbox from the supplier of this terminal.
    void YmRow(int terminal, const QString& pesan, const char* trxId) {
        Rows("ym_queue", "tanggal,msisdn,pesan,terminal,trx_id",
             {{"2025-01-01 10:00:00", Supplier(), pesan, terminal, trxId}});
    }
};
