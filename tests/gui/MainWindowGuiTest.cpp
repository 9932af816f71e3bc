// The window on a running terminal: the log view's menu, target picking and the extra command,
// clicked through the real widgets against the private servers.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <cmath>

#include "chat/ChatSession.h"
#include "gui/MainWindow.h"
#include "store/Output.h"
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
    // The window as the program opens it: at the stored place, at least at its opening size.
    void Open() {
        ASSERT_TRUE(Start());
        window_ = std::make_unique<MainWindow>(Window().state, Window().actions, Window().panel,
                                               Term().Out());
        window_->ApplyPosition();
        window_->show();
        QApplication::processEvents();
    }
    // Answers the input dialogs with these texts in turn and the message boxes with the
    // button, until the test ends.
    void AnswerDialogs(QStringList texts, QMessageBox::StandardButton button = QMessageBox::Ok) {
        texts_ = texts;
        button_ = button;
        QObject::connect(&dialogs_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                QAbstractButton* b = box->button(button_);
                b != nullptr ? b->click() : box->accept();
            }
            auto* d = qobject_cast<QInputDialog*>(modal);
            if (d == nullptr || texts_.isEmpty()) return;
            d->setTextValue(texts_.takeFirst());
            d->accept();
        });
        dialogs_.start(20);
    }
    // The widget's place in the window's inside, and whether it lies whole in it.
    QRect InView(QWidget* w) {
        return QRect(w->mapTo(window_->centralWidget(), QPoint(0, 0)), w->size());
    }
    bool Inside(const char* name) {
        return window_->centralWidget()->rect().contains(InView(Control<QWidget>(name)));
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
    QTimer dialogs_;
    QStringList texts_;
    QMessageBox::StandardButton button_ = QMessageBox::Ok;
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
    AnswerDialogs({});
    const auto answer = [&](const QString& code) { texts_.append(code); };
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

TEST_F(MainWindowGuiTest, HeaderAndPanelFitTheWindowAsItOpens) {
    const QString d = "@" + XmppPeer::Domain(), t8 = "terminal8" + d, s8 = "supplier8" + d;
    const QStringList cases[] = {
        // account, target, backup targets
        {t8, s8, s8},
        {"operator.cabang.surabaya.timur.dua" + d, "supplier.utama.indonesia" + d, ""},
        {t8, s8, "pusat.pulsa.satu" + d + ";pusat.pulsa.dua" + d + ";pusat.pulsa.tiga" + d},
    };
    const char* header[] = {"ID",      "LblTarget",  "imgPilihtarget", "ImgExtraCommand",
                            "LoginYM", "LblTarget2", "lblServer",      "CmdLoginYM"};
    const char* labels[] = {"ID", "LblTarget", "LblTarget2"};
    Open();
    const QSize opening = window_->size();
    // at the size it opens with, and at the much narrower one it used to open with
    for (const int width : {opening.width(), 388}) {
        window_->resize(width, opening.height());
        for (const QStringList& c : cases) {
            SCOPED_TRACE(c.join(' ').toStdString() + " at " + std::to_string(width));
            Term().Values().SetAccount(c[0], c[1], c[2]);
            Window().state.Refresh();
            QApplication::processEvents();
            for (const char* a : header) {
                EXPECT_TRUE(Inside(a)) << a;
                for (const char* b : header) {
                    QWidget *wa = Control<QWidget>(a), *wb = Control<QWidget>(b);
                    if (wa == wb || !wa->isVisible() || !wb->isVisible()) continue;
                    EXPECT_FALSE(InView(wa).intersects(InView(wb))) << a << " over " << b;
                }
            }
            // a shortened text ends in the ellipsis and shows whole in its tool tip
            for (int i = 0; i < 3; ++i) {
                QLabel* label = Control<QLabel>(labels[i]);
                if (label->text() == c[i]) continue;
                EXPECT_TRUE(label->text().endsWith(QChar(0x2026))) << labels[i];
                EXPECT_EQ(label->toolTip(), c[i]) << labels[i];
            }
        }
    }
    EXPECT_TRUE(Control<QLabel>("LblTarget2")->text().endsWith(QChar(0x2026)));
    window_->resize(opening);
    QApplication::processEvents();

    // It opens with room for the header and the whole panel: nothing scrolls.
    window_->mSettingRLV_Click();
    auto* scroll = Control<QScrollArea>("frSettingScroll");
    EXPECT_TRUE(Inside("frSetting"));
    EXPECT_TRUE(Inside("OKButton"));
    EXPECT_EQ(scroll->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(scroll->horizontalScrollBar()->maximum(), 0);
    // a smaller window: the fields scroll, the buttons stay in it
    window_->resize(opening / 2);
    QApplication::processEvents();
    EXPECT_TRUE(Inside("OKButton"));
    EXPECT_GT(scroll->verticalScrollBar()->maximum(), 0);

    // the contact list opens inside the window, also when its button sits at the right edge
    QTest::mouseClick(Control<QToolButton>("imgPilihtarget"), Qt::LeftButton);
    ASSERT_TRUE(Control<QWidget>("TreeView1")->isVisible());
    EXPECT_TRUE(Inside("TreeView1"));
}

TEST_F(MainWindowGuiTest, CancelAndEscapeCloseWithoutStoring) {
    Open();
    for (const bool panel : {true, false}) {
        for (const bool escape : {false, true}) {
            SCOPED_TRACE(std::string(panel ? "panel" : "account") +
                         (escape ? " Escape" : " Batal"));
            panel ? window_->mSettingRLV_Click() : window_->imgHeader_DblClick();
            auto* frame = Control<QWidget>(panel ? "frSetting" : "FrmSetting");
            auto* field = Control<QLineEdit>(panel ? "txtParsing" : "txt_User");
            ASSERT_TRUE(frame->isVisible());
            field->setText("diubah@" + XmppPeer::Domain());
            field->setFocus();
            if (escape)
                QTest::keyClick(field, Qt::Key_Escape);
            else
                QTest::mouseClick(frame->findChild<QPushButton*>("CancelButton"), Qt::LeftButton);
            EXPECT_FALSE(frame->isVisible());
        }
    }
    const QString account = "terminal8@" + XmppPeer::Domain();
    SettingsStore& stored = Term().Settings();
    EXPECT_EQ(stored.GetSetting(Keys::kAppNxEngine2007, Keys::kSecSetting, "RLV-CMD#8", "-"), "-");
    EXPECT_EQ(stored.GetSetting(Keys::kAppHbvGate, Keys::kSecSetting, "UID HBV #8"), account);
    EXPECT_EQ(Term().Values().ID, account);
    // the further SN markers show their stand-ins without holding them
    SaveSetting(Keys::kAppKzdSql, Keys::kSecSettings, "SNAwal #8a", "");
    window_->mSettingRLV_Click();
    EXPECT_EQ(Control<QLineEdit>("TxtSN_2")->text(), "");
    EXPECT_EQ(Control<QLineEdit>("TxtSN_2")->placeholderText(), "SNA");
    EXPECT_EQ(Control<QLineEdit>("TxtSN_3")->placeholderText(), "SNB");
}

TEST_F(MainWindowGuiTest, AClickWhoseSettingsWriteFailsIsShownAndTheTerminalGoesOn) {
    Open();
    // The menu and the account frame read the file as they open: opened before it breaks.
    QMenu& menu = window_->PreparedMenu();
    window_->imgHeader_DblClick();
    // The chat settings file becomes a folder: every read and write of it fails.
    const QString file = Term().Settings().Folder() + "/HBV-Gate.ini";
    ASSERT_TRUE(QFile::remove(file));
    ASSERT_TRUE(QDir().mkpath(file));
    QSignalSpy boxes(&Term().Out(), &Output::Box);
    AnswerDialogs({});
    const std::pair<const char*, std::function<void()>> clicks[] = {
        {"mnAutoLogin_Click", [&] { menu.findChild<QAction*>("mnAutoLogin")->trigger(); }},
        {"cmd_Login_Click",
         [&] {
             Control<QLineEdit>("txt_User")->setText("baru@" + XmppPeer::Domain());
             QTest::mouseClick(Control<QPushButton>("cmd_Login"), Qt::LeftButton);
         }},
    };
    for (const auto& [routine, click] : clicks) {
        SCOPED_TRACE(routine);
        const int before = boxes.count();
        click();
        ASSERT_EQ(boxes.count(), before + 1);
        EXPECT_EQ(boxes.last()[0].toString(), routine);
        EXPECT_TRUE(boxes.last()[1].toString().contains(file));
        EXPECT_FALSE(LogLines("Terminal #8").filter(routine + (" cannot read " + file)).isEmpty());
    }
    // nothing changed in memory, and the account frame stays open
    EXPECT_EQ(Term().Values().AutoLoginOn, 1);
    EXPECT_EQ(Term().Values().ID, "terminal8@" + XmppPeer::Domain());
    EXPECT_TRUE(Control<QWidget>("FrmSetting")->isVisible());
}

TEST_F(MainWindowGuiTest, AnEmptyContactListGetsItsFirstContact) {
    Open();
    ASSERT_TRUE(WaitOnline());
    WindowActions& actions = Window().actions;
    // A contact left by an earlier run goes first.
    for (const ChatSession::Contact& c : actions.Contacts()) actions.RemoveContact(c.id);
    ASSERT_TRUE(WaitUntil([&] { return actions.Contacts().isEmpty(); }));

    QTest::mouseClick(Control<QToolButton>("imgPilihtarget"), Qt::LeftButton);
    auto* list = Control<QListWidget>("TreeView1");
    ASSERT_EQ(list->count(), 0);
    // right click on the empty list: adding is offered, removing is not
    QMenu& menu = window_->ContactMenu();
    QAction* add = menu.findChild<QAction*>("mnAddContact");
    QAction* remove = menu.findChild<QAction*>("mnHapus");
    emit list->customContextMenuRequested(QPoint(5, 5));
    ASSERT_TRUE(WaitUntil([&] { return menu.isVisible(); }, 2000));
    EXPECT_TRUE(add->isEnabled());
    EXPECT_FALSE(remove->isEnabled());
    menu.hide();

    // added: the server keeps it, with the request for its presence waiting
    AnswerDialogs({Supplier()}, QMessageBox::Cancel);
    add->trigger();
    const auto contact = [&](auto holds) {
        return WaitUntil([&] {
            const auto contacts = actions.Contacts();
            return contacts.size() == 1 && contacts[0].id == Supplier() && holds(contacts[0]);
        });
    };
    ASSERT_TRUE(contact([](const ChatSession::Contact& c) { return c.asked; }));
    ASSERT_TRUE(WaitUntil([&] { return list->count() == 1; }, 2000));
    EXPECT_EQ(list->item(0)->text(), Supplier());
    EXPECT_NE(list->item(0)->toolTip(), "Online");

    // the contact comes online and grants the request: the list shows it online
    XmppPeer supplier(QStringLiteral("supplier%1").arg(N()), true);
    ASSERT_TRUE(supplier.Login());
    ASSERT_TRUE(contact([](const ChatSession::Contact& c) { return c.online; }));
    ASSERT_TRUE(WaitUntil([&] { return list->item(0)->toolTip() == "Online"; }, 2000));

    // removing asks first: cancelled, the contact stays; confirmed, it goes
    emit list->customContextMenuRequested(list->visualItemRect(list->item(0)).center());
    EXPECT_TRUE(remove->isEnabled());
    menu.hide();
    remove->trigger();
    QTest::qWait(300);
    EXPECT_EQ(actions.Contacts().size(), 1);
    button_ = QMessageBox::Ok;
    remove->trigger();
    EXPECT_TRUE(WaitUntil([&] { return actions.Contacts().isEmpty(); }));
}

// Each label of the log (a line's, a block's sent one) stands out from the base as body text
// must, a contrast of 4.5 to 1, on light and dark palettes alike.
TEST_F(MainWindowGuiTest, LogLabelsReadOnLightAndDarkThemes) {
    const auto luminance = [](const QColor& c) {
        const auto linear = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    Open();
    auto* log = Control<QTextEdit>("TextBox");
    const std::pair<QColor, QColor> palettes[] = {{Qt::white, Qt::black},
                                                  {QColor(30, 30, 30), QColor(230, 230, 230)}};
    for (const auto& [base, text] : palettes) {
        SCOPED_TRACE(base.name().toStdString());
        QPalette p = log->palette();
        p.setColor(QPalette::Base, base);
        p.setColor(QPalette::Text, text);
        log->setPalette(p);
        log->clear();
        Term().Out().SendBox("Service", "ok");
        Term().Out().ShowMessageBlock("RLV", Supplier(), "R1", "S10.0812", "now", 1);
        for (int position : {1, int(QString("Service: ok\n").size()) + 1}) {
            QTextCursor cursor(log->document());
            cursor.setPosition(position);
            const QColor label = cursor.charFormat().foreground().color();
            const double l1 = luminance(label), l2 = luminance(base);
            EXPECT_GE((std::max(l1, l2) + 0.05) / (std::min(l1, l2) + 0.05), 4.5)
                << position << " " << label.name().toStdString();
        }
    }
}

TEST_F(MainWindowGuiTest, TheLogViewStaysBoundedHoweverLongItsLines) {
    Open();
    auto* log = Control<QTextEdit>("TextBox");
    for (int i = 0; i < 60; ++i) Term().Out().SendBox("Info", QString(500, QChar('a' + i % 26)));
    EXPECT_LE(log->document()->characterCount(), MainWindow::kLogLimit);
    EXPECT_TRUE(log->toPlainText().endsWith(QString(500, QChar('a' + 59 % 26)) + "\n"));
}
