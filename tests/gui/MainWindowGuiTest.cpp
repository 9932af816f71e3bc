// The window on a running terminal: the log view's menu, target picking and the extra command,
// clicked through the real widgets against the private servers.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

#include "chat/ChatSession.h"
#include "gui/MainWindow.h"
#include "store/SettingsKeys.h"
#include "support/TerminalFixture.h"

namespace {

class MainWindowGuiTest : public TerminalTest {
  protected:
    void SetUp() override {
        TerminalTest::SetUp();
        if (HasFatalFailure()) return;
        Prepare(8);
    }
    void TearDown() override {
        window_.reset();
        TerminalTest::TearDown();
    }
    void Open() {
        ASSERT_TRUE(Start());
        window_ = std::make_unique<MainWindow>(Window().state, Window().actions, Window().panel,
                                               Term().Out());
        window_->show();
    }
    template <typename T>
    T* Control(const char* name) {
        T* control = window_->findChild<T*>(QLatin1String(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    void ExtraCommand() {
        QTest::mouseClick(Control<QToolButton>("ImgExtraCommand"), Qt::LeftButton);
    }

    std::unique_ptr<MainWindow> window_;
};

}  // namespace

TEST_F(MainWindowGuiTest, RightClickOnTheLogShowsTheStoredSwitches) {
    Open();
    QWidget* log = Control<QTextEdit>("TextBox")->viewport();
    QTest::mouseClick(log, Qt::RightButton);
    QMenu& menu = window_->PreparedMenu();
    ASSERT_TRUE(WaitUntil([&] { return menu.isVisible(); }, 2000));
    // nothing stored: automatic log-in is on, the booster and matching by id are off
    const auto checked = [&](const char* name) {
        return menu.findChild<QAction*>(QLatin1String(name))->isChecked();
    };
    EXPECT_TRUE(checked("mnAutoLogin"));
    EXPECT_FALSE(checked("mnBoster"));
    EXPECT_FALSE(checked("mnTrxID"));
    menu.hide();
    SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, "AUTOLOGIN #8", "0");
    SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, "mnTrxID #8", "1");
    window_->PreparedMenu();
    EXPECT_FALSE(checked("mnAutoLogin"));
    EXPECT_TRUE(checked("mnTrxID"));
}

TEST_F(MainWindowGuiTest, TheTargetLabelPicksOnlyAmongTheBackups) {
    Open();
    ProcessValues& v = Term().Values();
    QLabel* target = Control<QLabel>("LblTarget");
    v.LblTarget2.clear();
    QTest::mouseClick(target, Qt::LeftButton);
    EXPECT_EQ(v.LblTarget, Supplier());
    // one backup, the main target itself: six draws later it is still the one
    v.LblTarget2 = Supplier();
    QTest::mouseClick(target, Qt::LeftButton);
    EXPECT_EQ(v.LblTarget, Supplier());
    v.LblTarget2 = QStringLiteral("other@") + XmppPeer::Domain();
    QTest::mouseClick(target, Qt::LeftButton);
    EXPECT_EQ(target->text(), "other@" + XmppPeer::Domain());
}

TEST_F(MainWindowGuiTest, TheExtraCommandGoesWhereTheSwitchesSay) {
    XmppPeer supplier("supplier8");
    ASSERT_TRUE(supplier.Login());
    SaveSetting(Keys::kAppNxEngine2007, Keys::kSecSetting, "RLV-CMD#8", "SAL.8");
    SaveSetting(Keys::kAppKzdSql, Keys::kSecSettings, "OFFCekSaldo8", "1");
    Open();
    ASSERT_TRUE(WaitOnline());
    // switched on: sent once on connect
    ASSERT_TRUE(WaitUntil([&] { return supplier.Received().size() == 1; }));
    EXPECT_EQ(supplier.Received().first(), "SAL.8");

    ProcessValues& v = Term().Values();
    v.OffCekSaldo = 0;
    ExtraCommand();
    EXPECT_TRUE(Lines().last().startsWith(
        "Service: Extra command tidak di Execute, Karena tidak diaktivkan, "));

    v.OffCekSaldo = 1;
    ExtraCommand();
    EXPECT_EQ(Lines().last(), "terminal8@" + XmppPeer::Domain() + ": SAL.8 -> " + Supplier());

    // merged: each terminal's own command to its own supplier, none without a supplier
    v.chMerger = true;
    v.TerminalList = "8,12";
    SaveSetting(Keys::kAppNxEngine2007, Keys::kSecSetting, "RLV-CMD#8", "SAL.88");
    ExtraCommand();
    EXPECT_EQ(Lines().last(), Supplier() + ": SAL.88");

    // booster: the command waits in the mailbox for the booster program
    v.chMerger = false;
    v.BoosterMode = 1;
    ExtraCommand();
    EXPECT_EQ(Scalar("SELECT CONCAT_WS('|', msisdn, terminal, trx_id) FROM ym_queue"),
              Supplier() + "|8|GetQueue");
    ASSERT_TRUE(WaitUntil([&] { return supplier.Received().size() == 3; }));
    EXPECT_EQ(supplier.Received(), (QStringList{"SAL.8", "SAL.8", "SAL.88"}));
}

TEST_F(MainWindowGuiTest, TheMergerSwitchNeedsTheAccessCode) {
    Open();
    window_->imgHeader_DblClick();
    QCheckBox* merger = Control<QCheckBox>("chMerger");
    // Answers the access-code box with the next code, and closes the message boxes after it.
    QStringList codes;
    QTimer dialogs;
    QObject::connect(&dialogs, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) box->accept();
        auto* d = qobject_cast<QInputDialog*>(modal);
        if (d == nullptr || codes.isEmpty()) return;
        d->setTextValue(codes.takeFirst());
        d->accept();
    });
    dialogs.start(20);
    const auto answer = [&](const QString& code) { codes.append(code); };
    const auto stored = [&] {
        return Term().Settings().GetSetting(Keys::kAppHbvGate, Keys::kSecSetting, "yMerger",
                                            "<unset>");
    };
    answer("qorvaten ");  // close is not the code
    merger->click();
    EXPECT_FALSE(merger->isChecked());
    EXPECT_EQ(stored(), "<unset>");
    answer("qorvaten");
    merger->click();
    EXPECT_TRUE(merger->isChecked());
    EXPECT_EQ(stored(), "1");
    merger->click();  // switching off needs no code
    EXPECT_EQ(stored(), "0");
}
