#include <QFile>
#include <QRegularExpression>

#include "chat/ChatSession.h"
#include "chat/YmQueue.h"
#include "dispatch/DispatchLoop.h"
#include "dispatch/Intake.h"
#include "queue/Job.h"
#include "store/SettingsKeys.h"
#include "store/Stamps.h"
#include "store/UtilityComponent.h"
#include "support/TerminalFixture.h"

namespace {

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

}  // namespace

TEST_F(OfflineTerminalTest, JobStaysQueuedWhileLoggedOutOrTheChatClientCannotSend) {
    StartOffline(9);
    QueueJob("08123", "S5.08123.1");
    Tick();          // logged out: the queue is not even read
    ShowLoggedIn();  // the caption says online, but the client has no session
    Tick();
    Tick();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM job_quenue"), "1");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM outbox"), "0");
    EXPECT_EQ(Lines().filter(QRegularExpression("^SendChat: S5.08123.1, ")).size(), 2);
}

TEST_F(OfflineTerminalTest, JobWithNobodyToSendToIsDroppedAndRecordedAsNotSent) {
    StartOffline(10);
    ShowLoggedIn();
    // a message job without a destination: never sent to the supplier's account instead
    QueueJob("", "PESAN TANPA TUJUAN", "-");
    Tick();
    // an order of a reseller the database does not know: nobody would pay for it
    Rows("job_quenue", "datetime,kode_produk,tujuan,pesan,kode_reseller,terminal",
         {{NowStamp(), "S5", "08124", "S5.08124.9", "NOBODY", 10}});
    Tick();
    SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, Keys::PerTerminal(Keys::kServerHbv, 10), "");
    Term().Values().LblTarget.clear();
    QueueJob("", "S5..1");            // an order with an empty destination and no recipient
    QueueJob("08123", "S5.08123.2");  // the job behind it
    Tick();
    EXPECT_EQ(Scalar("SELECT GROUP_CONCAT(pesan, '|', status ORDER BY id) FROM outbox"),
              "PESAN TANPA TUJUAN|0,S5.08124.9|0,S5..1|0");
    EXPECT_EQ(Scalar("SELECT pesan FROM job_quenue"), "S5.08123.2");
    EXPECT_EQ(Lines().filter("dibuang").size(), 3);
    EXPECT_EQ(
        Lines().filter("dibuang, reseller tidak dikenal atau levelnya bukan angka (NOBODY)").size(),
        1);
    EXPECT_EQ(Lines().filter(QRegularExpression("^SendChat: ")).size(), 0);
}

TEST_F(OfflineTerminalTest, BoosterModeQueuesEncodedTextsOnceAndTakesRepliesIn) {
    StartOffline(11, true);
    Query("DROP TABLE ym_queue");
    Term().Chat().LoginYM_Click();
    EXPECT_EQ(Term().Chat().CmdLoginYM(), "Log Out");
    EXPECT_EQ(Util().ReadIni(Home() + "/Setting.ini", "Software", "Boster"), "Terminal #11");
    EXPECT_EQ(Lines().filter("Boster tidak bisa dijalankan").size(), 1);  // no booster program here
    EXPECT_EQ(Scalar("SELECT status FROM terminal WHERE terminal = 11"), "1");

    // a row of the mailbox that is no outgoing text does not hold the same text back
    YmRow(11, Encoded("S5.08123.1"), "0");
    QueueJob("08123", "S5.08123.1");
    Tick();
    QueueJob("08123", "S5.08123.1");  // the same text again: it waits for the first to leave
    Tick();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM job_quenue"), "1");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM outbox"), "1");
    Query("DELETE FROM ym_queue WHERE trx_id = '0'");
    const DbResult rows = Query("SELECT msisdn, pesan, terminal, trx_id FROM ym_queue");
    ASSERT_EQ(rows.RecordCount(), 1);
    EXPECT_EQ(rows.Text(0, "msisdn"), Supplier());
    EXPECT_EQ(rows.Text(0, "pesan"), Encoded("S5.08123.1"));
    EXPECT_EQ(rows.Text(0, "trx_id"), "GetQueue");
    EXPECT_EQ(Lines().filter("Info: Duplicate Detected :S5.08123.1").size(), 1);

    YmRow(11, Encoded("SUKSES SN 77"), "GetSupplierRecv");
    YmRow(12, Encoded("for another terminal"), "GetSupplierRecv");
    Query("DELETE FROM job_quenue");
    Tick();
    EXPECT_EQ(Scalar("SELECT CONCAT_WS('|', pengirim, pesan) FROM inbox"),
              Supplier() + "|SUKSES SN 77.");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ym_queue WHERE trx_id = 'GetSupplierRecv'"), "1");
}

TEST_F(OfflineTerminalTest, FailedLoginsCanBeTriedAgain) {
    StartOffline(12);
    // the database out of reach: the automatic re-login tries again
    Query("RENAME TABLE terminal TO terminal_away");
    Term().Chat().LoginYM_Click();
    Query("RENAME TABLE terminal_away TO terminal");
    EXPECT_TRUE(Term().Chat().tmAutoLogin().isActive());
    EXPECT_EQ(LogLines("Terminal #12").filter(" LoginYM ").size(), 1);
    // no chat account: each click tries again and says why it failed
    Term().Chat().CmdLoginYM_Click();
    EXPECT_FALSE(Term().Chat().LoginInProgress());
    Term().Chat().CmdLoginYM_Click();
    EXPECT_EQ(Lines().filter("GAGAL, Silahkan cek username/pass anda...").size(), 2);
}

TEST_F(OfflineTerminalTest, QueueTableIsCreatedWhenMissingAndNeverDropped) {
    StartOffline(12);
    Term().Ym().CheckYmQueue();
    YmRow(12, "x", "GetSupplierRecv");
    Term().Ym().CheckYmQueue();
    Term().Ym().CreateYm_queue();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ym_queue"), "1");
    // yesterday's unsent texts go at start-up, received ones stay
    YmRow(12, "y", "GetQueue");
    Term().Ym().DelPesanExpired();
    EXPECT_EQ(Scalar("SELECT GROUP_CONCAT(trx_id) FROM ym_queue"), "GetSupplierRecv");
}

TEST_F(OfflineTerminalTest, LongMessagesAreShownButNotStored) {
    StartOffline(9);
    Term().In().txtPm(Supplier(), QString(399, 'a'));  // 400 with the final "."
    Term().In().txtPm(Supplier(), QString(401, 'b'));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM inbox"), "1");
    EXPECT_EQ(Scalar("SELECT LENGTH(pesan) FROM inbox"), "400");
    // exactly 400 with its final "." is stored and goes on to settlement; 401 does not
    Term().In().txtPm("stranger@x", QString(399, 'c') + ".");
    Term().In().txtPm("stranger@x", QString(400, 'd') + ".");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM inbox WHERE pengirim = 'stranger@x'"), "1");
    EXPECT_EQ(Lines().filter("Bukan akun supplier terminal ini").size(), 1);
    Term().In().txtPm(Supplier(), "harga 'promo'");
    EXPECT_EQ(Scalar("SELECT pesan FROM inbox WHERE pesan LIKE 'harga%'"), "harga `promo`.");
}

TEST_F(OfflineTerminalTest, IgnoreListPhrasesAreMatchedWithoutRegardToCase) {
    StartOffline(9);
    const Intake& in = Term().In();
    // the default list, as start-up loads it
    EXPECT_TRUE(in.IsIgnoredMessage("Trx anda SABAR DALAM PROSES."));
    EXPECT_FALSE(in.IsIgnoredMessage("SUKSES SN 123."));
    Term().Values().IgnoreList = "antri; sedang diproses";  // phrases keep their blanks
    EXPECT_TRUE(in.IsIgnoredMessage("trx sedang diproses"));
    EXPECT_FALSE(in.IsIgnoredMessage("trx-sedang diproses"));
    Term().Values().IgnoreList = "antri;;";  // an empty phrase is in every text
    EXPECT_TRUE(in.IsIgnoredMessage("SUKSES SN 123."));
}

TEST_F(OfflineTerminalTest, StartUpLoadsSettingsAndRecordsTheInstance) {
    SaveSetting(Keys::kAppKzdSql, Keys::kSecNxEngineMedia, "ValueTerminal #4", "1");
    SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, Keys::kYMerger, "1");
    Rows("terminal", "terminal,modul", {{3, "Relvane"}, {4, "Relvane"}, {7, "Relvane"}});
    StartOffline(10);
    EXPECT_EQ(Term().Values().TerminalList, "3,7,10");
    EXPECT_EQ(Lines().filter("Merger RLV: Terminal 3,7,10").size(), 1);
    EXPECT_EQ(Window().state.Caption, "[Relvane] 10-> " + Supplier());
    EXPECT_EQ(Window().state.Pass, XmppPeer::Password());
    EXPECT_EQ(Util().ReadIni(Home() + "/Log/Set.log", "Relvane", "2"), "Terminal #10");
    EXPECT_TRUE(QFile::exists(Home() + "/Log/Terminal #10.log"));
}

TEST_F(OfflineTerminalTest, SupplierAccountsAreKnownWhateverTheirCaseAndResource) {
    Prepare(9);
    SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, Keys::PerTerminal(Keys::kUidHbv, 9), "");
    SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, Keys::PerTerminal(Keys::kServerHbv, 9),
                "Supplier9@LocalHost/Gateway");
    ASSERT_TRUE(Start());
    Intake& in = Term().In();
    EXPECT_TRUE(in.IsKnownSupplier("supplier9@localhost/phone"));
    EXPECT_TRUE(in.IsKnownSupplier("SUPPLIER9@LOCALHOST"));
    EXPECT_FALSE(in.IsKnownSupplier("supplier99@localhost"));
    // an account named only by a routing row of the database: of this terminal or its merged
    // terminals only
    EXPECT_FALSE(in.IsKnownSupplier("pusat@localhost/res"));
    Insert("parsing", {{"kode_produk", "S5"}, {"terminal", 3}, {"target", "Pusat@LocalHost/x"}});
    EXPECT_FALSE(in.IsKnownSupplier("pusat@localhost/res"));
    Term().Values().TerminalList = "3,9";
    EXPECT_TRUE(in.IsKnownSupplier("pusat@localhost/res"));
    Term().Values().TerminalList = "";
    Insert("parsing", {{"kode_produk", "S6"}, {"terminal", 9}, {"target", "Cabang@LocalHost"}});
    EXPECT_TRUE(in.IsKnownSupplier("cabang@localhost"));
}

TEST_F(OfflineTerminalTest, MergedTerminalsSendEachJobToItsOwnTerminalsSupplier) {
    SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, Keys::PerTerminal(Keys::kServerHbv, 3),
                "supplier3@localhost");
    StartOffline(10);
    Term().Values().TerminalList = "3,10";
    Job job;
    job.tujuan = "08123";
    job.terminal = 3;
    EXPECT_EQ(Term().Dispatch().TargetOf(job), "supplier3@localhost");
    job.terminal = 10;
    EXPECT_EQ(Term().Dispatch().TargetOf(job), Supplier());
    job.tujuan = "teman@localhost";  // a chat ID is its own target
    EXPECT_EQ(Term().Dispatch().TargetOf(job), "teman@localhost");
}

TEST_F(OfflineTerminalTest, BoosterHandsEachJobOverOnceAndWhole) {
    StartOffline(11, true);
    Term().Chat().LoginYM_Click();
    Query("RENAME TABLE outbox TO outbox_away");
    QueueJob("08123", "S5.08123.1");
    Tick();
    Tick();
    // the order could not be recorded: nothing went to the booster, the job waits
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ym_queue"), "0");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM job_quenue"), "1");
    Query("RENAME TABLE outbox_away TO outbox");
    Tick();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ym_queue"), "1");
    Query("DELETE FROM ym_queue");  // the booster has sent it
    Tick();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ym_queue"), "0");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM job_quenue"), "0");
    EXPECT_EQ(Scalar("SELECT CONCAT_WS('|', pesan, status) FROM outbox"), "S5.08123.1|1");
}

TEST_F(OfflineTerminalTest, JobTheBoosterCannotTakeIsDroppedNotRetried) {
    StartOffline(11, true);
    Term().Chat().LoginYM_Click();
    QueueJob("08123", QString(160, 'a'));  // the longest text the booster's table takes
    QueueJob("08123", QString(161, 'b'));
    QueueJob("08123", "S5.08123.3");
    for (int i = 0; i < 3; ++i) Tick();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM job_quenue"), "0");
    EXPECT_EQ(Scalar("SELECT GROUP_CONCAT(LENGTH(pesan) ORDER BY id) FROM ym_queue"), "160,10");
    EXPECT_EQ(Scalar("SELECT GROUP_CONCAT(status ORDER BY id) FROM outbox"), "1,0,1");
    EXPECT_EQ(Lines().filter("dibuang, tidak muat di ym_queue").size(), 1);
}

TEST_F(OfflineTerminalTest, TableProbeLogsOutAndArmsTheReLogin) {
    StartOffline(12);
    ShowLoggedIn();
    Query("DROP TABLE transaksi_");
    QueueJob("08123", "S5.08123.1");
    Tick();
    EXPECT_EQ(Term().Chat().CmdLoginYM(), "Log In");
    EXPECT_TRUE(Term().Chat().tmAutoLogin().isActive());
    EXPECT_EQ(Lines().filter(QRegularExpression("^Cek Tabel\\.\\.\\.: ")).size(), 1);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM job_quenue"), "1");
}

TEST_F(OfflineTerminalTest, BoosterReplyCleanUpTakesOnlyThisTerminalsCopies) {
    StartOffline(11, true);
    YmRow(11, Encoded("SUKSES SN 9"), "GetSupplierRecv");
    YmRow(11, Encoded("SUKSES SN 9"), "GetSupplierRecv");  // a copy of the same reply
    YmRow(12, Encoded("SUKSES SN 9"), "GetSupplierRecv");
    YmRow(11, Encoded("SUKSES SN 9"), "GetQueue");
    YmRow(11, "SUKSES SN 9", "GetSupplierRecv");  // another text, whose stored form is this
    Term().Ym().ProcessSupplierRecv();
    EXPECT_EQ(Scalar("SELECT GROUP_CONCAT(CONCAT(terminal, trx_id) ORDER BY id) FROM ym_queue"),
              "12GetSupplierRecv,11GetQueue,11GetSupplierRecv");
}

TEST_F(OfflineTerminalTest, EveryMessageGoesPastTheAdministratorsRules) {
    StartOffline(9);
    Term().Values().AdminNumber = "0899";
    Term().Values().ModulRules = "gangguan%|%stok kosong|s5|off%|%";
    Insert("parsing", {{"kode_produk", "s5"}, {"terminal", 9}, {"active", "1"}});
    Term().In().txtPm("stranger@x", "ada gangguan " + QString(390, 'x'));  // 403: not stored
    Term().In().txtPm("stranger@x", "stok kosong");  // a stranger cannot switch products
    EXPECT_EQ(Scalar("SELECT active FROM parsing"), "1");
    Term().In().txtPm(Supplier(), "stok kosong");
    EXPECT_EQ(Scalar("SELECT active FROM parsing"), "0");
    const QStringList sent =
        Query(
            "SELECT GROUP_CONCAT(LEFT(pesan, 24) ORDER BY id SEPARATOR '|') AS p FROM "
            "job_quenue WHERE tujuan = '0899'")
            .Text(0, "p")
            .split('|');
    EXPECT_EQ(sent, (QStringList{"Terminal #9 ada gangguan", "Terminal #9 stok kosong."}));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM inbox"), "2");
}
