#include <QDate>

#include "support/MoneyFixture.h"

namespace {

class MessageTablesTest : public MoneyTest {
  protected:
    // The message jobs queued: destination, text, product and terminal of each.
    QStringList Jobs() {
        return Column(
            "SELECT CONCAT_WS('|', tujuan, pesan, kode_produk, terminal) FROM "
            "job_quenue ORDER BY id");
    }
};

}  // namespace

// The inbox's other columns are checked where a running terminal writes them.
TEST_F(MessageTablesTest, OutboxAndInboxRowsAndTheSwitchOfItsModulesTerminalOnly) {
    W().messages.InsertToOutbox("08123", "S5.08123.1234", 1, 5, "S5", "R1");
    EXPECT_EQ(Scalar("SELECT CONCAT_WS('|', tujuan, pesan, status, terminal, kode_produk, "
                     "kode_reseller) FROM outbox"),
              "08123|S5.08123.1234|1|5|S5|R1");
    W().messages.InsertToInbox("supplier1@localhost", "SUKSES SN:1", 1, 5);
    EXPECT_EQ(Scalar("SELECT LEFT(`datetime`, 10) FROM inbox"),
              QDate::currentDate().toString("yyyy-MM-dd"));
    Rows("terminal", "terminal,modul,status", {{5, "Relvane", "1"}, {6, "Relvane", "1"}});
    W().messages.OnOffTerminal("Relvane", 5, false);
    W().messages.OnOffTerminal("Hubvane", 6, false);  // another module's terminal 6: no row matches
    EXPECT_EQ(Scalar("SELECT GROUP_CONCAT(status ORDER BY terminal) FROM terminal"), "0,1");
}

TEST_F(MessageTablesTest, FailedInboxWriteIsLoggedNotRaised) {
    Query("DROP TABLE inbox");
    EXPECT_NO_THROW(W().messages.InsertToInbox("s@x", "SUKSES", 1, 5));
    const QStringList log = LogLines("Terminal #5");
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].contains(" InsertToInbox SUKSES")) << log[0].toStdString();
}

TEST_F(MessageTablesTest, AdminJobReplacesApostrophesAndGoesToTheResellersPhone) {
    Insert("hp_reseller", {{"kode_reseller", "R1"}, {"hp", "08111"}});
    Values().AltQueueOn = true;  // for orders only: message jobs stay in the main table
    qint16 terminal = 4;
    W().messages.QueueAdminJob("R1", "Trx '5rb' gagal", terminal);
    W().messages.QueueAdminJob("R2", "tanpa hp", terminal);  // no phone: the code itself
    // a message job ("-"), on the terminal it was given
    EXPECT_EQ(Jobs(), (QStringList{"08111|Trx `5rb` gagal|-|4", "R2|tanpa hp|-|4"}));
}

TEST_F(MessageTablesTest, AdminJobOnAnSmsCenterTerminalAsksTheSenderSelection) {
    Values().SmsCenterList = ";3;;0";
    Rows("terminal", "terminal,modul,status", {{3, "SMS Center", "1"}, {12, "SMS Sender", "1"}});
    qint16 terminal = 3;
    W().messages.QueueAdminJob("08123", "Saldo kurang", terminal);
    EXPECT_EQ(terminal, 12);  // passed back to the caller
    EXPECT_EQ(Jobs(), QStringList{"08123|Saldo kurang|-|12"});
    // with no candidate at all the message stays on its terminal instead of being lost
    Query("DELETE FROM terminal WHERE terminal = 12");
    terminal = 3;
    W().messages.QueueAdminJob("08123", "Saldo kurang", terminal);
    EXPECT_EQ(terminal, 3);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM job_quenue WHERE terminal = 3"), "1");
    // nor does the selection's error answer "0" send it to terminal 0
    Insert("terminal", {{"terminal", 0}, {"modul", "SMS Sender"}, {"status", "1"}});
    W().messages.QueueAdminJob("08123", "Saldo kurang", terminal);
    EXPECT_EQ(terminal, 3);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM job_quenue WHERE terminal = 0"), "0");
    EXPECT_EQ(
        LogLines("Terminal #5").filter("QueueAdminJob Terminal pengirim tidak ditemukan").size(),
        2);
}
