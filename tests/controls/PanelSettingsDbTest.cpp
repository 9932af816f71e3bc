// What "Simpan" of the settings panel stores, driven without widgets.
#include <QFile>
#include <QSignalSpy>

#include "controls/PanelSettings.h"
#include "store/Output.h"
#include "support/TerminalFixture.h"
#include "support/TestTools.h"

namespace {

const QString kUnset = QStringLiteral("<unset>");

class PanelSettingsTest : public OfflineTerminalTest {
  protected:
    void SetUp() override {
        OfflineTerminalTest::SetUp();
        if (HasFatalFailure()) return;
        StartOffline(11);
        boxes_ = std::make_unique<QSignalSpy>(&Term().Out(), &Output::Box);
        v_ = Panel().Load();
    }
    void TearDown() override {
        boxes_.reset();
        OfflineTerminalTest::TearDown();
    }
    PanelSettings& Panel() { return Window().panel; }
    QString Stored(const char* stem, const char* suffix = "") {
        return Settings().GetSetting(Keys::kAppKzdSql, Keys::kSecSettings,
                                     Keys::PerTerminal(stem, 11, suffix), kUnset);
    }
    QString LastBox() { return boxes_->isEmpty() ? QString() : boxes_->last().at(1).toString(); }
    QStringList Failures() {
        return Column("select katakunci from balasan where jenis='ERROR' order by id");
    }

    PanelValues v_;
    std::unique_ptr<QSignalSpy> boxes_;
};

}  // namespace

TEST_F(PanelSettingsTest, SimpanWithNoneRefusesTheMethodButSavesTheRest) {
    Rows("parsing", "kode_produk,terminal,method",
         {{"S5", 11, "DOMPUL"}, {"S10", 11, "DOMPUL"}, {"S5", 3, "X"}});
    v_.cmbOpr = "None";
    v_.txtParsing = "CEK.Saldo";
    v_.TxtSN[0] = "SN:";
    v_.Text1 = "Stok Habis;Gangguan";
    v_.txtSetting5 = "Stok=";
    v_.Check2 = true;
    EXPECT_TRUE(Panel().OKButton_Click(v_));
    EXPECT_EQ(LastBox(), "Supplier tidak boleh Terisi 'None'");
    EXPECT_EQ(Scalar("select group_concat(method order by id) from parsing"), "DOMPUL,DOMPUL,X");
    EXPECT_EQ(Settings().GetSetting(Keys::kAppNxEngine2007, Keys::kSecSetting,
                                    Keys::PerTerminal(Keys::kRlvCmd, 11)),
              "cek.saldo");
    EXPECT_EQ(Window().state.ExtraCommand, "CEK.Saldo");
    EXPECT_EQ(Stored(Keys::kSnAwal), "sn:");
    // the keywords get their failure replies as on Enter
    EXPECT_EQ(Stored(Keys::kPintar2), "stok habis;gangguan");
    EXPECT_EQ(Window().state.FailureKeywordsText, "Stok Habis;Gangguan");
    EXPECT_EQ(Failures(), QStringList({"stok habis", "gangguan"}));
    EXPECT_EQ(Stored(Keys::kOffParsing), "1");
    EXPECT_EQ(Term().Values().OffParsing, 1);
    EXPECT_EQ(Stored(Keys::kSnAwalStok), "Stok=");
    EXPECT_EQ(Settings().GetSetting(Keys::kAppNxEngine, "Terminal #11", Keys::kMethod), "None");

    // an entry of the list: its code goes to this terminal's product rows only
    v_.cmbOpr = "Mobo Indosat";
    EXPECT_TRUE(Panel().OKButton_Click(v_));
    EXPECT_EQ(Scalar("select group_concat(method order by id) from parsing"), "M0BO,M0BO,X");

    // a list that Enter refuses is refused, leaving the list in force
    v_.Text1 = "habis;;";
    EXPECT_TRUE(Panel().OKButton_Click(v_));
    EXPECT_EQ(LastBox(), "Kata Kunci belum Memenuhi Syarat Coba cek lagi...");
    EXPECT_EQ(Stored(Keys::kPintar2), "stok habis;gangguan");
    EXPECT_EQ(Window().state.FailureKeywordsText, "Stok Habis;Gangguan");
    EXPECT_EQ(Failures().size(), 2);
}

// The pairs are checked ID PLN, HARGA, INDEX; an empty list has fewer markers than one marker.
TEST_F(PanelSettingsTest, CaptureMarkersAreSavedOnlyWhenEveryPairMatches) {
    v_.txtParsing = "SAL.1";
    v_.TxtSN[16] = "Rp;harga:";
    v_.TxtSN[17] = ".";
    v_.TxtSN[12] = "idx;no";
    EXPECT_FALSE(Panel().OKButton_Click(v_));
    EXPECT_EQ(LastBox(), "Setting Penangkapan HARGA tidak di ijikan karena Ubound tidak Sesuai");
    EXPECT_EQ(Settings().GetSetting(Keys::kAppNxEngine2007, Keys::kSecSetting,
                                    Keys::PerTerminal(Keys::kRlvCmd, 11)),
              "sal.1");
    for (const char* stem :
         {Keys::kSnAwalIdx, Keys::kSnAkhirIdx, Keys::kSnAwalIdPln, Keys::kSnAkhirIdPln,
          Keys::kSnAwalHrg, Keys::kSnAkhirHrg, Keys::kSnKataKunci})
        EXPECT_EQ(Stored(stem), kUnset) << stem;

    v_.TxtSN[17] = ".;,";
    v_.TxtSN[13] = "/;.";
    v_.TxtSN[14] = "IDPEL:";
    EXPECT_FALSE(Panel().OKButton_Click(v_));
    EXPECT_EQ(LastBox(), "Setting Penangkapan ID PLN tidak di ijikan karena Ubound tidak Sesuai");

    v_.TxtSN[15] = "/";
    EXPECT_TRUE(Panel().OKButton_Click(v_));
    EXPECT_EQ(Stored(Keys::kSnAwalIdPln), "idpel:");
    EXPECT_EQ(Stored(Keys::kSnAwalHrg), "rp;harga:");
    EXPECT_EQ(Stored(Keys::kSnKataKunci), "tagihan;payment;berhasil");
}

// The panel shows the values in force, so that "Simpan" of an untouched panel changes nothing:
// the extra command on by default, no hint text taken for a marker.
TEST_F(PanelSettingsTest, LoadShowsTheValuesInForceAndSimpanKeepsThem) {
    QFile file(Settings().FileOf(Keys::kAppKzdSql));  // as installed: no switch stored
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    WriteFile(file.fileName(), file.readAll().replace("OFFCekSaldo11=0\n", ""));
    ASSERT_EQ(Stored(Keys::kOffCekSaldo), kUnset);
    v_ = Panel().Load();
    EXPECT_TRUE(v_.Check3);
    for (int i = 2; i <= 11; ++i) EXPECT_EQ(v_.TxtSN[i], "") << i;
    EXPECT_TRUE(Panel().OKButton_Click(v_));
    EXPECT_EQ(Stored(Keys::kOffCekSaldo), "1");
    EXPECT_EQ(Stored(Keys::kSnAwal, "a"), "");
    EXPECT_EQ(Stored(Keys::kSnAkhir, "j"), "");

    struct Case {
        const char* stem;
        const char* suffix;
        const char* stored;
        int field;  // TxtSN index, -1 for Check3
        const char* shown;
    };
    const Case cases[] = {
        {Keys::kOffCekSaldo, "", "0", -1, "0"}, {Keys::kOffCekSaldo, "", "2", -1, "1"},
        {Keys::kSnAwal, "a", "sna", 2, ""},     {Keys::kSnAkhir, "b", "SNB", 3, ""},
        {Keys::kSnAkhir, "d", "sna", 5, "sna"}, {Keys::kSnAwal, "i", "sn-", 10, "sn-"},
        {Keys::kSnAwal, "", "sna", 0, "sna"},
    };
    for (const Case& c : cases) {
        SaveSetting(Keys::kAppKzdSql, Keys::kSecSettings, Keys::PerTerminal(c.stem, 11, c.suffix),
                    c.stored);
        const PanelValues v = Panel().Load();
        const QString shown = c.field < 0 ? (v.Check3 ? "1" : "0") : v.TxtSN[c.field];
        EXPECT_EQ(shown, c.shown) << c.stem << c.suffix << " " << c.stored;
    }
}
