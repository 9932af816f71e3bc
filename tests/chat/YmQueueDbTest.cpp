#include "chat/ChatSession.h"
#include "chat/YmQueue.h"
#include "store/Database.h"
#include "store/SettingsKeys.h"
#include "support/TerminalFixture.h"

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
    EXPECT_EQ(Column("SELECT CONCAT_WS('|', msisdn, pesan, trx_id) FROM ym_queue"),
              QStringList{Supplier() + "|" + Encoded("S5.08123.1") + "|GetQueue"});
    EXPECT_EQ(Lines().filter("Info: Duplicate Detected :S5.08123.1").size(), 1);

    YmRow(11, Encoded("SUKSES SN 77"), "GetSupplierRecv");
    YmRow(12, Encoded("for another terminal"), "GetSupplierRecv");
    Query("DELETE FROM job_quenue");
    Tick();
    EXPECT_EQ(Scalar("SELECT CONCAT_WS('|', pengirim, pesan) FROM inbox"),
              Supplier() + "|SUKSES SN 77.");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ym_queue WHERE trx_id = 'GetSupplierRecv'"), "1");
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

// The row is the only hold of a received message: a row taken in whose removal failed (the
// connection lost) is removed later without being taken in again, also when the intake met
// the database away the time before. Its text is read whole.
TEST_F(OfflineTerminalTest, BoosterReplyIsTakenInOnceWhateverFailsAroundIt) {
    StartOffline(11, true);
    Database& door = Term().Db();
    struct Case {
        const char* text;
        bool cutIntake;  // the connection is lost before the intake's first statement too
    };
    const Case cases[] = {{"SUKSES SN 1;;2", false}, {"SUKSES SN 3", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        YmRow(11, Encoded(c.text), "GetSupplierRecv");
        bool cutIntake = c.cutIntake, cutDelete = true;
        qint64 connection = 0;
        int statements = 0;
        door.SetProbe([&](const QString& point) {
            ++statements;
            const bool intake = cutIntake && statements == 2;  // the first after the row's read
            const bool removal = cutDelete && point.startsWith("DELETE from ym_queue");
            if (!intake && !removal) return;
            (intake ? cutIntake : cutDelete) = false;
            Query("KILL CONNECTION " + QString::number(connection));
        });
        for (int tick = 0; tick < 3; ++tick) {
            connection = door.Exec("SELECT CONNECTION_ID() AS id").Int(0, "id");
            statements = 0;
            try {
                Term().Ym().ProcessSupplierRecv();
            } catch (const std::exception&) {
            }
        }
        door.SetProbe({});
        EXPECT_FALSE(cutIntake || cutDelete);
        WaitUntil([] { return false; }, 1500);  // time enough for a held copy to be taken
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM inbox WHERE pesan = ?", {QString(c.text) + "."}),
                  "1");
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ym_queue"), "0");
    }
}
