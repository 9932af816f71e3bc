#include <QRegularExpression>

#include "support/MoneyFixture.h"

using PricesTest = MoneyTest;

TEST_F(PricesTest, GroupPriceByLevelCappedByTheTerminal) {
    Kelompok("G", "S10", {500, 510, 520, 5, 2, 3});
    Kelompok("G", "S11", {500, 510, 520, 5, 2, 3});
    Kelompok("G", "S12", {500, 510, 520, 5, 2, 3});
    Rows("parsing", "kode_produk,terminal,harga_jual",
         {{"S10", 5, 600}, {"S11", 5, 515}, {"S12", 5, 510}});
    const QList<QList<int>> cases = {
        // product, level, price, LastRebat
        {10, 1, 500, 0}, {10, 2, 510, 5}, {10, 7, 520, 5},  // any other level is priced as an agent
        {11, 3, 520, 5},  // 520 > 515: the terminal's price plus the upline rebate
        {12, 2, 510, 5},  // equal to the terminal's price: not capped
    };
    for (const QList<int>& c : cases) {
        EXPECT_EQ(W().prices.GetHargaKelompok("G", QString("S%1").arg(c[0]), c[1], "5", "R"), c[2]);
        EXPECT_EQ(W().prices.LastRebat, c[3]);
    }
    // no selling price on the terminal: 0, and callers take the ordinary price
    EXPECT_EQ(W().prices.GetHargaKelompok("G", "S10", 1, "6", "R"), 0);
    // no group price: the terminal's selling price
    EXPECT_EQ(W().prices.GetHargaKelompok("H", "S10", 3, "5", "R"), 600);
}

TEST_F(PricesTest, MemberChainOverridesTheLevelPrice) {
    Kelompok("G", "S10", {500, 510, 520, 5, 2, 3});
    Rows("parsing", "kode_produk,terminal,harga_jual", {{"S10", 5, 505}});
    // an address with ";" in it must not shift the level and the group
    Rows("reseller", "kode_reseller,alamat,level,kode_kelompok,kode_upline",
         {{"A", "Jl. Mawar; Blok 5", 3, "G", "U"}});
    Chain("A", "M1", 10);  // M1 has no row of its own: the walk stops there
    EXPECT_EQ(W().prices.GetHargaReseller("A", W().prices.ReadReseller("A"), "S10", 5), 510);
    EXPECT_EQ(W().prices.LastRebat, 10);

    // the upline's per-product rebate joins the chain's; the downline's own entry beats "ALL"
    Rows("temp_kelompok", "kode_kelompok,nama_kelompok,kode_produk,harga_master,harga",
         {{"G", "ALL", "S10", "U", 9}, {"G", "A", "S10", "U", 4}, {"G", "U", "S10", "U", 8}});
    EXPECT_EQ(W().prices.GetHargaReseller("A", W().prices.ReadReseller("A"), "S10", 5), 514);
    EXPECT_EQ(W().prices.LastRebat, 14);
    Reseller("U", 2, "G", "U");  // its own upline earns nothing
    EXPECT_EQ(W().prices.GetRebatPerProduk("G", "U", "S10"), 0);
}

TEST_F(PricesTest, LookupsAndTheirDefaults) {
    Rows("reseller", "kode_reseller,deposit,kode_upline,level,kode_kelompok",
         {{"R1", 2500, "M", 2, "G"}});
    Rows("produk", "kode_produk,harga_jual,harga_beli", {{"S10", 650, 580}, {"S20", 700, 640}});
    Rows("parsing", "kode_produk,terminal,harga_beli", {{"S10", 5, 0}, {"S20", 5, 610}});
    EXPECT_EQ(W().prices.GetDataReseller("R1"), "R1;;2500;;;1;0;0;M;2;G");
    EXPECT_EQ(W().prices.GetDataReseller("R9"),
              "Kode_reseller;Nama_reseller;Deposit;Alamat;Pin;Status;Manual;Terminal;Kode_upline;"
              "Level;Kode_kelompok");
    EXPECT_THROW(W().prices.GetHargaReseller("R9", W().prices.ReadReseller("R9"), "S10", 5),
                 RelvaneError);
    EXPECT_EQ(W().prices.GetHargaBiasa("S20"), 700);
    EXPECT_EQ(W().prices.GetHargaBiasa("NONE"), 0);
    EXPECT_EQ(W().prices.GetHargaBeli("S10", "5"), 580);  // the terminal's 0 gives the product's
    EXPECT_EQ(W().prices.GetHargaBeli("S20", "5"), 610);
}

TEST_F(PricesTest, OverflowIsAnErrorNotAWrappedPrice) {
    Chain("A", "M1", 2147483647);
    Chain("M1", "M2", 1);
    Kelompok("G", "S10", {0, 0, 2147483000, 0, 0, 1000});
    Rows("parsing", "kode_produk,terminal,harga_jual", {{"S10", 5, 2147482900}});
    Rows("reseller_log", "kode_reseller,deposit_kredit", {{"B", 5e9}});
    EXPECT_EQ(W().prices.GetRebatPerAgen("G", "A", 3), 0);
    // the terminal's price plus the rebate overflows: the terminal's price is returned
    EXPECT_EQ(W().prices.GetHargaKelompok("G", "S10", 3, "5", "B"), 2147482900);
    EXPECT_EQ(W().prices.GetDepositKredit("B"), 0);
    EXPECT_EQ(LogLines("Terminal #5").filter(QRegularExpression("Overflow$")).size(), 2);
}
