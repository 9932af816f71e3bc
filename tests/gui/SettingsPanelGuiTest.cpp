#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include "gui/SettingsPanel.h"
#include "settlement/ReplyClassifier.h"
#include "store/Output.h"
#include "store/SettingsKeys.h"
#include "support/TerminalFixture.h"
#include "support/TestTools.h"

namespace {

const QString kUnset = QStringLiteral("<unset>");

class SettingsPanelGuiTest : public TerminalTest {
  protected:
    void SetUp() override {
        TerminalTest::SetUp();
        if (HasFatalFailure()) return;
        Prepare(11);
        ASSERT_TRUE(Start());
        window_ = std::make_unique<QWidget>();
        window_->resize(900, 900);
        panel_ = new SettingsPanel(Window().panel, Window().actions, Term().Out(), window_.get());
        boxes_ = std::make_unique<QSignalSpy>(&Term().Out(), &Output::Box);
        window_->show();
        panel_->mSettingRLV_Click();
    }
    void TearDown() override {
        boxes_.reset();
        window_.reset();
        TerminalTest::TearDown();
    }

    template <typename W>
    W* Get(const QString& name) {
        W* w = panel_->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    void Type(const QString& name, const QString& text) { Get<QLineEdit>(name)->setText(text); }
    void Simpan() { QTest::mouseClick(Get<QPushButton>("OKButton"), Qt::LeftButton); }
    QString Stored(const char* stem, const char* suffix = "") {
        return Settings().GetSetting(Keys::kAppKzdSql, Keys::kSecSettings,
                                     Keys::PerTerminal(stem, 11, suffix), kUnset);
    }
    QStringList LastBox() {
        if (boxes_->isEmpty()) return {};
        const QList<QVariant> args = boxes_->last();
        return {args[0].toString(), args[1].toString()};
    }
    QStringList Keywords() { return Column("select katakunci from balasan order by id"); }

    std::unique_ptr<QWidget> window_;
    SettingsPanel* panel_ = nullptr;
    std::unique_ptr<QSignalSpy> boxes_;
};

TEST_F(SettingsPanelGuiTest, SimpanStoresWhatTheFieldsHoldAndCloses) {
    Get<QComboBox>("cmbOpr")->setCurrentText("Mobo Indosat");
    Type("txtParsing", "CEK.Saldo");
    Type("TxtSN_0", "SN:");
    Type("TxtSN_14", "IDPEL:");
    Type("TxtSN_15", "/");
    Type("txtSetting_6", ".");
    Get<QCheckBox>("Check3")->setChecked(true);
    Get<QSpinBox>("JobsPerTick")->setValue(4);
    Simpan();
    EXPECT_FALSE(panel_->isVisible());
    EXPECT_EQ(Joined(Stored(Keys::kSnAwal), Stored(Keys::kSnAwalIdPln), Stored(Keys::kSnAkhirIdPln),
                     Stored(Keys::kSnAkhirStok), Stored(Keys::kOffCekSaldo)),
              "sn:|idpel:|/|.|1");
    EXPECT_EQ(Joined(Settings().GetSetting(Keys::kAppNxEngine, "Terminal #11", Keys::kMethod),
                     Settings().GetSetting(Keys::kAppNxEngine, "Terminal #11", Keys::kJobsPerTick)),
              "Mobo Indosat|4");
    EXPECT_EQ(Window().state.ExtraCommand, "CEK.Saldo");
}

TEST_F(SettingsPanelGuiTest, EnterAddsEachNewKeywordAsTyped) {
    Insert("balasan", {{"katakunci", "gangguan"}, {"balasan", "x"}, {"jenis", "GAGAL"}});
    auto* text1 = Get<QLineEdit>("Text1");
    text1->setText("Stok Habis; kode 'salah';gangguan");
    QTest::keyClick(text1, Qt::Key_Return);

    EXPECT_EQ(Keywords(), QStringList({"gangguan", "Stok Habis", " kode 'salah'"}));
    EXPECT_EQ(Scalar("select count(*) from balasan where jenis='ERROR' and biaya=0 and balasan=?",
                     {ReplyClassifier::DefaultFailureTemplate()}),
              "2");
    EXPECT_EQ(Stored(Keys::kPintar2), "Stok Habis; kode 'salah';gangguan");
    EXPECT_EQ(Window().state.FailureKeywordsText, "Stok Habis; kode 'salah';gangguan");
}

TEST_F(SettingsPanelGuiTest, RefusedListOrAnotherKeySavesNothing) {
    auto* text1 = Get<QLineEdit>("Text1");
    text1->setText("habis;;gangguan");
    QTest::keyClick(text1, Qt::Key_Enter);
    EXPECT_EQ(LastBox(),
              QStringList({"Informasi", "Kata Kunci belum Memenuhi Syarat Coba cek lagi..."}));

    text1->setText("habis");
    QTest::keyClick(text1, Qt::Key_Tab);
    QTest::keyClick(text1, Qt::Key_S);
    EXPECT_EQ(Stored(Keys::kPintar2), kUnset);
    EXPECT_TRUE(Keywords().isEmpty());
}

TEST_F(SettingsPanelGuiTest, Check1SavesAtOnceAndNamesTheFrame) {
    EXPECT_EQ(Get<QGroupBox>("frAuto")->title(), "Intelligent OFF");
    QTest::mouseClick(Get<QCheckBox>("Check1"), Qt::LeftButton);
    EXPECT_EQ(Stored(Keys::kPintar), "1");
    EXPECT_EQ(Get<QGroupBox>("frAuto")->title(), "Intelligent ON");
}

TEST_F(SettingsPanelGuiTest, LimitPendingDialogSavesTheAnswerAndReportsACancel) {
    auto answer = [](const QString& text, bool accept) {
        QTimer::singleShot(0, [text, accept] {
            auto* d = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(d, nullptr);
            d->setTextValue(text);
            accept ? d->accept() : d->reject();
        });
    };
    auto* label3 = Get<QLabel>("Label3_3");
    answer("25", false);
    QTest::mouseClick(label3, Qt::LeftButton);
    EXPECT_EQ(LastBox(), QStringList({"", "Input LimitPending Dibatalkan"}));
    EXPECT_EQ(label3->text(), "0");

    answer("25", true);
    QTest::mouseClick(label3, Qt::LeftButton);
    EXPECT_EQ(Settings().GetSetting(Keys::kAppNxEngine, "Terminal #11", Keys::kLimitPending), "25");
    EXPECT_EQ(label3->text(), "25");
    EXPECT_EQ(Term().Values().LimitPending, 25);
}

}  // namespace
