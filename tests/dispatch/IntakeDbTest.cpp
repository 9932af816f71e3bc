#include "dispatch/Intake.h"
#include "store/SettingsKeys.h"
#include "support/TerminalFixture.h"

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
    EXPECT_EQ(Column("SELECT LEFT(pesan, 24) FROM job_quenue WHERE tujuan = '0899' ORDER BY id"),
              (QStringList{"Terminal #9 ada gangguan", "Terminal #9 stok kosong."}));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM inbox"), "2");
}
