#include "support/MoneyFixture.h"

namespace {

class RebatesTest : public MoneyTest {
  protected:
    void SetUp() override {
        MoneyTest::SetUp();
        Values().SeparatePackageRebate = 1;
        Reseller("M", 1);
        Reseller("D", 2, "G", "M");
        Reseller("A", 3, "G", "D");
        Kelompok("G", "S10", {10000, 10100, 10200, 50, 20, 30});
    }
};

}  // namespace

TEST_F(RebatesTest, GroupRebatesGoUpTheLine) {
    Reseller("X", 4, "G", "M");
    Reseller("B", 3, "G", "GONE");
    Reseller("E", 3, "G", "");
    for (const char* reseller : {"D", "A", "X", "M", "B", "E"})
        W().rebates.ProsesRebat(reseller, "S10");
    EXPECT_EQ(Ledger(), (QStringList{
                            "50|M|Transaksi Rebat Kelompok Harga - DEALER [S10] [D] Level:2",
                            "30|D|Transaksi Rebat Kelompok Harga - AGEN [S10] [A] Level:3",
                            "20|M|Transaksi Rebat Kelompok Harga - AGEN [S10] [A] Level:2",
                            "30|M|Trx Rebat MGM [S10] [X] Level:4",
                            // an upline that is no reseller, or none at all, earns nothing
                        }));
    EXPECT_EQ(Column("SELECT DISTINCT CONCAT(kode_rekening, '/', debet) FROM rekening"),
              QStringList{"10000001/0"});

    EXPECT_THROW(W().rebates.ProsesRebat("NOBODY", "S10"), RelvaneError);
    Kelompok("G", "S40", {0, 0, 0, 40000});  // beyond 16 bits
    EXPECT_THROW(W().rebates.ProsesRebat("D", "S40"), RelvaneError);
    // type 1 earns nothing, not even on a member chain; switched off, no group rebates
    Rows("produk", "kode_produk,tipe", {{"V1", 1}});
    Chain("A", "D", 10);
    W().rebates.ProsesRebat("A", "V1");
    Query("DELETE FROM harga_agen");
    Values().SeparatePackageRebate = 0;
    W().rebates.ProsesRebat("A", "S10");
    EXPECT_EQ(Ledger().size(), 4);
}

TEST_F(RebatesTest, MemberChainAndPerProductRebate) {
    Reseller("R", 2, "G", "U");
    Reseller("Z", 2, "G", "U");
    Chain("R", "M1", 10);
    Chain("M1", "M2", 5);
    Chain("Z", "M1", 0);  // a zero step still climbs, and books nothing
    for (const char* member : {"M1", "M2", "U"}) Reseller(member, 1);
    Reseller("Y", 2, "G", "NOONE");
    Chain("Y", "NOONE", 9);  // a chain member that is no reseller earns nothing
    Chain("NOONE", "M2", 4);
    Rows("temp_kelompok", "kode_kelompok,nama_kelompok,kode_produk,harga_master,harga",
         {{"G", "R", "S10", "U", 7}});
    W().rebates.ProsesRebat("R", "S10");
    W().rebates.ProsesRebat("Z", "S10");
    W().rebates.ProsesRebat("Y", "S10");
    EXPECT_EQ(Ledger(), (QStringList{
                            "10|M1|Transaksi Rebat MGM [S10] [R/] Level:2",
                            "5|M2|Transaksi Rebat MGM [S10] [R/M1/] Level:1",
                            "7|U|Transaksi Rebat PerProduk [S10] [R] Level:2",
                            "5|M2|Transaksi Rebat MGM [S10] [Z/M1/] Level:1",
                            "4|M2|Transaksi Rebat MGM [S10] [Y/NOONE/] Level:1",
                        }));
}
