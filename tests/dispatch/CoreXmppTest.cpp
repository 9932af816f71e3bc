#include <QXmppMessage.h>

#include <QSignalSpy>

#include "chat/ChatSession.h"
#include "dispatch/Core.h"
#include "store/SettingsKeys.h"
#include "support/TerminalFixture.h"
#include "support/TestTools.h"

namespace {

QString Secondary(int n) {
    return QStringLiteral("supplier%1@").arg(n + 20) + XmppPeer::Domain();
}

}  // namespace

TEST_F(TerminalTest, LogsInMarksActiveAndSendsEachJobToItsRecipient) {
    Prepare(1);
    Rows("reseller", "kode_reseller,level,deposit", {{"R1", 3, 100000}});
    Rows("produk", "kode_produk,harga_jual,harga_beli", {{"S5", 5500, 5000}});
    Rows("configuration", "kode,parsing,level",
         {{"Potong deposit reseller di awal transaksi", "1", 11}});
    XmppPeer supplier("supplier1"), other("supplier21");
    ASSERT_TRUE(supplier.Login());
    ASSERT_TRUE(other.Login());
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitOnline());
    EXPECT_EQ(Scalar("SELECT status FROM terminal WHERE terminal = 1"), "1");

    QueueJob("08123", "S5.08123.1234");                // a number: the main target
    QueueJob(Secondary(1), "PESAN.CEK", "-");          // a chat ID: itself
    QueueJob("08777", "S5.08777.99@" + Secondary(1));  // the recipient after "@"
    ASSERT_TRUE(
        WaitUntil([&] { return supplier.Received().size() >= 1 && other.Received().size() >= 2; }));
    EXPECT_EQ(supplier.Received(), QStringList{"S5.08123.1234"});
    EXPECT_EQ(other.Received(), (QStringList{"PESAN.CEK", "S5.08777.99"}));

    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM job_quenue"), "0");
    EXPECT_EQ(Scalar("SELECT GROUP_CONCAT(CONCAT_WS('|', tujuan, pesan, status, terminal, "
                     "kode_produk) ORDER BY id)"
                     " FROM outbox"),
              "08123|S5.08123.1234|1|1|S5," + Secondary(1) + "|PESAN.CEK|1|1|-,08777|S5.08777.99@" +
                  Secondary(1) + "|1|1|S5");
    // each order waits for its reply, priced and paid for; the plain message does not
    EXPECT_EQ(
        Scalar("SELECT GROUP_CONCAT(CONCAT_WS('|', kode_produk, tujuan, harga_beli, deposit_awal, "
               "deposit_akhir, status) ORDER BY id) FROM transaksi"),
        "S5|08123|5500|100000|94500|2,S5|08777|5500|94500|89000|2");
    EXPECT_EQ(Scalar("SELECT deposit FROM reseller WHERE kode_reseller = 'R1'"), "89000");
    ASSERT_FALSE(Datagrams().isEmpty());
    EXPECT_EQ(Datagrams().first(), "NODE@=2@=True");
    EXPECT_THAT(Datagrams().filter("S5.08123.1234"),
                testing::ElementsAre(
                    MatchesRe("^RLV #1:> \\(1->" + QRegularExpression::escape(supplier.Jid()) +
                              "\\) TrxID:T1@=0811@=R1@=S5.08123.1234@=[^@]*@=1$")));
}

TEST_F(TerminalTest, RepliesAreCleanedStoredAndOnlySuppliersAreTrusted) {
    Prepare(2);
    XmppPeer supplier("supplier2"), stranger("stranger");
    ASSERT_TRUE(supplier.Login());
    ASSERT_TRUE(stranger.Login());
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitOnline());
    const QString me = QStringLiteral("terminal2@") + XmppPeer::Domain();
    supplier.Say(me, "OK|SN 123\nSaldo ");  // XML turns a CR LF into LF on the way
    ASSERT_TRUE(WaitUntil([&] { return Scalar("SELECT COUNT(*) FROM inbox") == "1"; }));
    EXPECT_EQ(Scalar("SELECT CONCAT_WS('|', pengirim, pesan, status, terminal) FROM inbox"),
              supplier.Jid() + "|OK-SN 123 Saldo..|1|2");
    EXPECT_TRUE(WaitUntil([&] { return !Datagrams().filter("@=OK-SN 123 Saldo..@=").isEmpty(); }));
    EXPECT_TRUE(Datagrams().filter("OK-SN").first().endsWith("@=2"));
    EXPECT_TRUE(Lines().filter("Bukan akun supplier").isEmpty());

    stranger.Say(me, "SUKSES 08123 SN 999");
    ASSERT_TRUE(WaitUntil([&] { return Scalar("SELECT COUNT(*) FROM inbox") == "2"; }));
    EXPECT_EQ(Lines().filter("Bukan akun supplier").size(), 1);
    EXPECT_TRUE(Lines().filter("Bukan akun supplier").first().endsWith(stranger.Jid()));

    // logging out by hand does not start the automatic re-login
    Term().Chat().CmdLoginYM_Click();
    EXPECT_EQ(Term().Chat().CmdLoginYM(), "Log In");
    WaitUntil([] { return false; }, 500);
    EXPECT_FALSE(Term().Chat().tmAutoLogin().isActive());
}

class TerminalCloseTest : public TerminalTest, public ::testing::WithParamInterface<int> {};

TEST_P(TerminalCloseTest, HostClosesTheInstanceThroughKodeKelompok) {
    Prepare(3 + GetParam());
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitOnline());
    QSignalSpy finished(&Term(), &Core::Finished);
    if (GetParam() == 0)
        Query("UPDATE terminal SET kode_kelompok = 'NC' WHERE terminal = ?", {N()});
    else
        Insert("terminal", {{"terminal", 0}, {"modul", "Relvane"}, {"kode_kelompok", "NC"}});
    ASSERT_TRUE(WaitUntil([&] { return finished.count() == 1; }, 5000));
    EXPECT_EQ(Scalar("SELECT status FROM terminal WHERE terminal = ?", {N()}), "0");
    EXPECT_EQ(Util().ReadIni(Home() + "/Log/Set.log", "Relvane", "2"), "NC");
    EXPECT_TRUE(WaitUntil([&] { return Datagrams().contains("NODE@=2@=False"); }, 2000));
    Term().FormUnload();  // the way out is taken once
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(Term().ExitCode(), 0);
}

INSTANTIATE_TEST_SUITE_P(OwnRowAndTerminalZero, TerminalCloseTest, ::testing::Values(0, 1));

// A lasting refusal (the outbox out of reach), not a dropped connection: the job waits, unsent.
TEST_F(TerminalTest, OrderWhoseRecordCannotBeWrittenIsNeverSentTwice) {
    Prepare(5);
    Rows("reseller", "kode_reseller,level,deposit", {{"R1", 3, 100000}});
    Rows("produk", "kode_produk,harga_jual,harga_beli", {{"S5", 5500, 5000}});
    XmppPeer supplier("supplier5");
    ASSERT_TRUE(supplier.Login());
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitOnline());
    Query("RENAME TABLE outbox TO outbox_away");
    QueueJob("08123", "S5.08123.1");
    WaitUntil([] { return false; }, 3500);  // a few ticks with the outbox out of reach
    EXPECT_TRUE(supplier.Received().isEmpty());
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM job_quenue"), "1");

    Query("RENAME TABLE outbox_away TO outbox");
    ASSERT_TRUE(WaitUntil([&] { return !supplier.Received().isEmpty(); }));
    WaitUntil([] { return false; }, 2500);
    EXPECT_EQ(supplier.Received(), QStringList{"S5.08123.1"});
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM job_quenue"), "0");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM outbox"), "1");
    EXPECT_EQ(Scalar("SELECT CONCAT_WS('|', tujuan, status) FROM transaksi"), "08123|2");
}

// Where the server acknowledges stanzas, a client kept across sessions sends again what the
// old session left unacknowledged; the terminal's own re-login must not.
TEST_F(TerminalTest, AnOrderGoesOutOnceAcrossARelogin) {
    XmppPeer seen("supplier31"), kept("terminal31");
    ASSERT_TRUE(seen.Login());
    ASSERT_TRUE(kept.Login());
    ASSERT_TRUE(WaitUntil(
        [&] { return kept.Client().streamManagementState() != QXmppClient::NoStreamManagement; },
        3000))
        << "the chat server offers no stream management";
    kept.Say(seen.Jid(), "S5.0811.1");
    kept.Client().disconnectFromServer();  // before the server's acknowledgement is read
    ASSERT_TRUE(WaitUntil([&] { return !kept.Client().isConnected(); }));
    ASSERT_TRUE(kept.Login());
    EXPECT_TRUE(WaitUntil([&] { return seen.Received().size() == 2; }, 5000));

    Prepare(30);
    XmppPeer supplier("supplier30");
    ASSERT_TRUE(supplier.Login());
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitOnline());
    ASSERT_TRUE(WaitUntil([&] { return Term().Chat().StreamManaged(); }, 3000));
    ASSERT_TRUE(Term().Chat().SendChat("S5.0812.1", Supplier()));
    Term().Chat().CmdLoginYM_Click(false);  // the program's own log-out, as a failed probe does
    ASSERT_TRUE(WaitUntil([&] { return !Term().Chat().IsOnline(); }));
    ASSERT_TRUE(WaitOnline());
    ASSERT_TRUE(WaitUntil([&] { return Term().Chat().IsOnline(); }));
    WaitUntil([] { return false; }, 2500);  // time enough for a second sending to show
    EXPECT_EQ(supplier.Received(), QStringList{"S5.0812.1"});
}

// A message the server hands over twice is taken in once: one inbox row, one notice.
TEST_F(TerminalTest, AMessageTheServerSendsTwiceIsTakenInOnce) {
    Prepare(34);
    SaveSetting(Keys::kAppKzdSql, Keys::kSecHpAdmin, Keys::kValue, "0899");
    WriteFile(Home() + "/Log/Modul.txt", "sukses\n");  // the administrator hears of every "sukses"
    XmppPeer supplier("supplier34");
    ASSERT_TRUE(supplier.Login());
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitOnline());
    const QString me = QStringLiteral("terminal34@") + XmppPeer::Domain();
    const QDateTime earlier = QDateTime::currentDateTimeUtc().addSecs(-30);
    struct Case {
        const char* text;
        const char* id;
        bool secondStored;  // the second copy comes from the server's store
        int taken;
    };
    const Case cases[] = {
        {"SUKSES SN 1", "m1", false, 1},  // the same stanza again
        {"SUKSES SN 2", "m2", true, 1},
        {"SUKSES SN 3", "", true, 1},   // no id: a stored copy of a text taken live
        {"SUKSES SN 4", "", false, 2},  // no id, both live: two messages
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        supplier.Say(me, c.text, c.id);
        supplier.Say(me, c.text, c.id, c.secondStored ? earlier : QDateTime());
        supplier.Say(me, QStringLiteral("END ") + c.text);
        ASSERT_TRUE(WaitUntil([&] {
            return Scalar("SELECT COUNT(*) FROM inbox WHERE pesan = ?",
                          {QStringLiteral("END ") + c.text + ".."}) == "1";
        }));
        const QString text = QString::fromLatin1(c.text) + "..";
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM inbox WHERE pesan = ?", {text}),
                  QString::number(c.taken));
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM job_quenue WHERE tujuan = '0899' AND pesan = ?",
                         {"Terminal #34 " + text}),
                  QString::number(c.taken));
    }
}

// Two instances on one account and resource: said once, and the terminal comes back slowly
// instead of throwing the other off at every re-login tick.
TEST_F(TerminalTest, AnotherSessionOnTheSameResourceIsNotFoughtOver) {
    Prepare(33);
    ASSERT_TRUE(Start());
    ASSERT_TRUE(WaitOnline());
    XmppPeer other("terminal33", false, Keys::kRscHbvDefault);
    int thrownOff = 0;
    QObject::connect(&other.Client(), &QXmppClient::disconnected, [&] { ++thrownOff; });
    ASSERT_TRUE(other.Login());
    ASSERT_TRUE(WaitUntil([&] { return !Term().Chat().IsOnline(); }));
    WaitUntil([] { return false; }, 7000);  // past the usual five-second re-login
    EXPECT_EQ(thrownOff, 0);
    EXPECT_EQ(Lines().filter("dipakai instance lain").size(), 1);
}
