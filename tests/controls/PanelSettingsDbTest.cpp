// What "Simpan" of the settings panel stores, driven without widgets.
#include <QSignalSpy>

#include "controls/PanelSettings.h"
#include "store/Output.h"
#include "support/TerminalFixture.h"

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
    v_.Text1 = "Stok Habis";
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
    EXPECT_EQ(Stored(Keys::kPintar2), "stok habis");
    EXPECT_EQ(Window().state.FailureKeywordsText, "Stok Habis");
    EXPECT_EQ(Stored(Keys::kOffParsing), "1");
    EXPECT_EQ(Term().Values().OffParsing, 1);
    EXPECT_EQ(Stored(Keys::kSnAwalStok), "Stok=");
    EXPECT_EQ(Settings().GetSetting(Keys::kAppNxEngine, "Terminal #11", Keys::kMethod), "None");

    // an entry of the list: its code goes to this terminal's product rows only
    v_.cmbOpr = "Mobo Indosat";
    EXPECT_TRUE(Panel().OKButton_Click(v_));
    EXPECT_EQ(Scalar("select group_concat(method order by id) from parsing"), "M0BO,M0BO,X");
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
