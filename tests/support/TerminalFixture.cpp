#include "support/TerminalFixture.h"

#include <signal.h>

#include "chat/ChatSession.h"
#include "chat/PasswordScramble.h"
#include "store/Output.h"
#include "store/SettingsKeys.h"
#include "store/Stamps.h"
#include "support/TestTools.h"

void TerminalTest::SetUp() {
    DbTest::SetUp();
    if (HasFatalFailure()) return;
    WriteFile(
        Home() + "/Setting.ini",
        QStringLiteral("[Database]\nDriver=QMYSQL\nServer=%1\nPort=%2\nDatabase=%3\nUID=%4\n")
            .arg(TestServers::DbHost(), TestServers::DbPort(), DbName(), TestServers::DbUser())
            .toUtf8());
    if (HasFatalFailure()) return;
    qputenv("RELVANE_CONFIG_DIR", Settings().Folder().toUtf8());
    ASSERT_TRUE(monitor_.bind(QHostAddress(QHostAddress::LocalHost), 0));
    qputenv("RELVANE_MONITOR_PORT", QByteArray::number(monitor_.localPort()));
}

void TerminalTest::TearDown() {
    StopProcesses();
    if (core_) core_->FormUnload();
    controls_.reset();
    core_.reset();
    DbTest::TearDown();
}

void TerminalTest::SaveSetting(const char* app, const char* section, const QString& key,
                               const QString& value) {
    Settings().SaveSetting(app, section, key, value);
}

void TerminalTest::Prepare(int n) {
    n_ = n;
    auto own = [n](const char* stem) { return Keys::PerTerminal(stem, n); };
    SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, own(Keys::kUidHbv),
                QStringLiteral("terminal%1@").arg(n) + XmppPeer::Domain());
    SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, own(Keys::kPwdHbv),
                PasswordScramble::ScrambleText(XmppPeer::Password(), Keys::kPasswordKey));
    SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, own(Keys::kJHostname), "127.0.0.1");
    SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, own(Keys::kJPort), XmppPeer::Port());
    SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, own(Keys::kServerHbv), Supplier());
    // The extra command stays off, so suppliers receive only what a test sends.
    SaveSetting(Keys::kAppKzdSql, Keys::kSecSettings, own(Keys::kOffCekSaldo), "0");
    Insert("terminal", {{"terminal", n}, {"modul", "Relvane"}, {"status", "0"}});
}

bool TerminalTest::Start() {
    controls_.reset();
    core_ = std::make_unique<Core>(Home());
    Core& c = *core_;
    controls_ = std::make_unique<Controls>(
        Controls::Terminal{c.Ctx(), c.Values(), c.Out(), c.Chat(), c.Life(), c.Dispatch(), c.In(),
                           c.Extra(), c.SharedLookups(), c.Replies()});
    QObject::connect(&core_->Out(), &Output::Line,
                     [this](const QString& label, const QString& text) {
                         lines_.append(Output::LineText(label, text));
                     });
    return core_->FormLoad(
        QStringLiteral("Terminal #%1@@Relvane@@2@@%2").arg(n_).arg(TestServers::DbPassword()));
}

bool TerminalTest::WaitOnline(int timeoutMs) {
    return WaitUntil([this] { return core_->Chat().LoggedIn(); }, timeoutMs);
}

void TerminalTest::QueueJob(const QString& tujuan, const QString& pesan, const QString& produk) {
    // An order is sent only for a reseller the database knows.
    Query("INSERT IGNORE INTO reseller (kode_reseller, deposit) VALUES ('R1', 1000000)");
    Rows("job_quenue",
         "datetime,kode_produk,tujuan,pesan,kode_reseller,hp_reseller,trx_id,terminal",
         {{NowStamp(), produk, tujuan, pesan, "R1", "0811", "T1", n_}});
}

QStringList TerminalTest::Datagrams() {
    while (monitor_.hasPendingDatagrams()) {
        QByteArray d(static_cast<int>(monitor_.pendingDatagramSize()), '\0');
        monitor_.readDatagram(d.data(), d.size());
        datagrams_.append(QString::fromUtf8(d));
    }
    return datagrams_;
}

QProcess& TerminalTest::Launch(int n, const QString& program, const QStringList& environment) {
    auto p = std::make_unique<QProcess>();
    p->setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& entry : environment)
        env.insert(entry.section('=', 0, 0), entry.section('=', 1));
    p->setProcessEnvironment(env);
    p->start(
        program,
        {"--headless", "--home", Home(),
         QStringLiteral("Terminal #%1@@Relvane@@%1@@%2").arg(n).arg(TestServers::DbPassword())});
    EXPECT_TRUE(p->waitForStarted());
    processes_.push_back(std::move(p));
    return *processes_.back();
}

void TerminalTest::Kill(QProcess& p) {
    ::kill(static_cast<pid_t>(p.processId()), SIGKILL);
    p.waitForFinished(5000);
}

void TerminalTest::Stop(QProcess& p) {
    p.terminate();
    if (!p.waitForFinished(10000)) Kill(p);
}

void TerminalTest::StopProcesses() {
    for (auto& p : processes_)
        if (p->state() != QProcess::NotRunning) Stop(*p);
    processes_.clear();
    output_.clear();
}

QString TerminalTest::Output(QProcess& p) {
    QString& all = output_[&p];
    all += QString::fromUtf8(p.readAll());
    return all;
}

bool TerminalTest::WaitOutput(QProcess& p, const QString& text, int timeoutMs) {
    return WaitUntil([&] { return Output(p).contains(text); }, timeoutMs);
}
