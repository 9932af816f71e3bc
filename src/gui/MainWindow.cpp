#include "gui/MainWindow.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QInputDialog>
#include <QMessageBox>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTextCursor>
#include <QUrl>

#include "controls/WindowActions.h"
#include "controls/WindowState.h"
#include "gui/AccountFrame.h"
#include "gui/Pictures.h"
#include "gui/SettingsPanel.h"
#include "store/Output.h"

namespace {

constexpr int kTwipsPerPixel = 15;
const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);

// Heights the layout rules leave free, in twips.
constexpr int kHeaderHeight = 1000;
constexpr int kBottomHeight = 500;
constexpr int kIconSide = 285;

const QString kKeywordText = QStringLiteral(
    "sukses.berhasil.rp.ok.succeed.gagal.saldo.trx.akses.maaf.saat ini.pulsa.rojer.dikopi."
    "kontek.nx mantap.super nx.nx engine.pokoe jos nx");

// A label that answers clicks and double-clicks, as the window's labels do.
class ClickLabel : public QLabel {
  public:
    using QLabel::QLabel;
    std::function<void()> clicked;
    std::function<void()> doubleClicked;

  protected:
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton && clicked && rect().contains(e->pos())) clicked();
        QLabel::mouseReleaseEvent(e);
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        if (doubleClicked) doubleClicked();
        QLabel::mouseDoubleClickEvent(e);
    }
};

}  // namespace

MainWindow::MainWindow(WindowState& state, WindowActions& actions, PanelSettings& panel,
                       Output& out, QWidget* parent)
    : QMainWindow(parent), state_(state), actions_(actions), out_(out) {
    keywords_ = kKeywordText.split(QLatin1Char('.'));
    BuildControls(panel);
    BuildMenus();

    connect(&out_, &Output::Line, this, &MainWindow::AppendLine);
    connect(&out_, &Output::Block, this, &MainWindow::AppendBlock);
    connect(&out_, &Output::Box, this, [this](const QString& title, const QString& text) {
        QMessageBox::information(this, title, text);
    });
    connect(&state_, &WindowState::Changed, this, &MainWindow::Refresh);
    connect(&actions_, &WindowActions::ContactsChanged, this, &MainWindow::RefreshContacts);
    connect(&actions_, &WindowActions::Finished, this, [this] { hide(); });
    state_.WindowShown = true;
    resize(T(5820), T(5385));
    Refresh();
}

int MainWindow::T(int twips) const {
    const double scale = logicalDpiX() / 96.0;
    return qRound(twips * scale / kTwipsPerPixel);
}

void MainWindow::BuildControls(PanelSettings& panel) {
    view_ = new QWidget(this);
    setCentralWidget(view_);
    const auto label = [this](const char* name, const QString& text) {
        auto* l = new ClickLabel(text, view_);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    const auto image = [this](const char* name, const QString& tip) {
        auto* b = new QToolButton(view_);
        b->setObjectName(QLatin1String(name));
        b->setToolTip(tip);
        b->setAutoRaise(true);
        return b;
    };

    auto* header = label("imgHeader", QString());
    header->doubleClicked = [this] { imgHeader_DblClick(); };
    imgHeader_ = header;
    imgHeader_->setScaledContents(true);
    auto* id = label("ID", QStringLiteral("ID"));
    id->clicked = [this] { ID_Click(); };
    id->setCursor(Qt::PointingHandCursor);
    ID_ = id;
    Pass_ = label("Pass", QStringLiteral("Pass"));
    Pass_->hide();  // holds the password; never shown
    auto* target = label("LblTarget", QStringLiteral("LblTarget"));
    target->clicked = [this] { actions_.PickRandomTarget(); };
    target->setCursor(Qt::PointingHandCursor);
    target->setToolTip(QStringLiteral("Target Utama"));
    LblTarget_ = target;
    LblTarget2_ = label("LblTarget2", QStringLiteral("LblTarget"));
    LblTarget2_->setToolTip(QStringLiteral("Target Backup"));
    imgPilihtarget_ = image("imgPilihtarget", QStringLiteral("Pilih Target"));
    LblSetting_ = label("LblSetting_1", QStringLiteral("Extra Command"));
    ImgExtraCommand_ = image("ImgExtraCommand", QStringLiteral("Run Extra Command"));
    CmdLoginYM_ = image("CmdLoginYM", QString());
    CmdLoginYM_->setText(QStringLiteral("Log In"));
    CmdLoginYM_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    LoginYM_ = image("LoginYM", QStringLiteral("Log In"));
    img1_ = label("img1", QString());
    img2_ = label("img2", QString());
    imgDasar_ = label("imgDasar", QString());
    imgDasar_->setScaledContents(true);
    lblCounter_ = label("lblCounter", QStringLiteral("0:0:0:0"));
    auto* server = label("lblServer", QStringLiteral("Server"));
    server->clicked = [this] { lblServer_Click(); };
    server->setCursor(Qt::PointingHandCursor);
    server->setToolTip(QStringLiteral("Input Hostname"));
    lblServer_ = server;

    TextBox_ = new QTextEdit(view_);
    TextBox_->setObjectName(QStringLiteral("TextBox"));
    TextBox_->setReadOnly(true);
    TextBox_->setToolTip(QStringLiteral("Right Click Other Menu"));
    TextBox_->setContextMenuPolicy(Qt::NoContextMenu);
    TextBox_->viewport()->installEventFilter(this);

    TreeView1_ = new QListWidget(view_);
    TreeView1_->setObjectName(QStringLiteral("TreeView1"));
    TreeView1_->setContextMenuPolicy(Qt::CustomContextMenu);
    TreeView1_->hide();
    connect(TreeView1_, &QListWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        if (QListWidgetItem* item = TreeView1_->itemAt(p))
            ContactEvent(item->text(), TreeView1_->viewport()->mapToGlobal(p));
    });

    FrmSetting_ = new AccountFrame(actions_, state_, view_);
    frSetting_ = new SettingsPanel(panel, out_, view_);

    connect(imgPilihtarget_, &QToolButton::clicked, this, &MainWindow::imgPilihtarget_Click);
    connect(ImgExtraCommand_, &QToolButton::clicked, this,
            [this] { actions_.ImgExtraCommand_Click(); });
    connect(CmdLoginYM_, &QToolButton::clicked, this, [this] { actions_.CmdLoginYM_Click(); });
    connect(LoginYM_, &QToolButton::clicked, this, [this] { actions_.LoginYM_Click(); });

    // Load-time positions; the rest follows from the resize and ID rules.
    imgHeader_->move(T(1), 0);
    imgDasar_->move(T(10), imgDasar_->y());
    ID_->move(T(60), T(120));
    LblTarget_->move(LblTarget_->x(), T(120));
    Paint();
}

void MainWindow::BuildMenus() {
    const auto add = [](QMenu& menu, const char* name, const QString& caption) {
        QAction* a = menu.addAction(caption);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    connect(add(Menu_, "mSettingRLV", QStringLiteral("&Setting")), &QAction::triggered, this,
            &MainWindow::mSettingRLV_Click);
    connect(add(Menu_, "mAccountLogin", QStringLiteral("&Account")), &QAction::triggered, this,
            &MainWindow::imgHeader_DblClick);
    Menu_.addSeparator()->setObjectName(QStringLiteral("spc0"));
    mnTrxID_ = add(Menu_, "mnTrxID", QStringLiteral("Execute Sukses with trxID"));
    mnAutoLogin_ = add(Menu_, "mnAutoLogin", QStringLiteral("Auto LOGIN"));
    Menu_.addSeparator()->setObjectName(QStringLiteral("spc1"));
    mnBoster_ = add(Menu_, "mnBoster", QStringLiteral("Boster"));
    for (QAction* a : {mnTrxID_, mnAutoLogin_, mnBoster_}) a->setCheckable(true);
    // The switch flips from what the menu showed; the core saves it and keeps it in memory.
    connect(mnTrxID_, &QAction::triggered, this, [this] { actions_.mnTrxID_Click(); });
    connect(mnAutoLogin_, &QAction::triggered, this, [this] { actions_.mnAutoLogin_Click(); });
    connect(mnBoster_, &QAction::triggered, this, [this] { actions_.mnBoster_Click(); });

    connect(add(Menu2_, "mnAddContact", QStringLiteral("&Tambah Kontak")), &QAction::triggered,
            this, &MainWindow::mnAddContact_Click);
    connect(add(Menu2_, "mnHapus", QStringLiteral("&Hapus Kontak")), &QAction::triggered, this,
            &MainWindow::mnHapus_Click);
}

QMenu& MainWindow::PreparedMenu() {
    const WindowActions::MenuChecks m = actions_.StoredMenuChecks();
    mnAutoLogin_->setChecked(m.autoLogin);
    mnBoster_->setChecked(m.booster);
    mnTrxID_->setChecked(m.trxId);
    return Menu_;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == TextBox_->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() == Qt::RightButton) {
            PreparedMenu().popup(e->globalPos());
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::Paint() {
    const QPalette& p = palette();
    // Texts on the header band take the band's own text colour.
    QPalette onBand = p;
    onBand.setColor(QPalette::WindowText, p.color(QPalette::HighlightedText));
    onBand.setColor(QPalette::ButtonText, p.color(QPalette::HighlightedText));
    for (QWidget* w :
         std::initializer_list<QWidget*>{ID_, LblTarget_, LblTarget2_, lblServer_, CmdLoginYM_})
        w->setPalette(onBand);
    LoginYM_->setIcon(Pictures::Icon(Pictures::Glyph::Login, onBand));
    ImgExtraCommand_->setIcon(Pictures::Icon(Pictures::Glyph::Command, onBand));
    imgPilihtarget_->setIcon(Pictures::Icon(Pictures::Glyph::Contacts, onBand));
    const QSize icon(T(kIconSide), T(kIconSide));
    for (QToolButton* b : {LoginYM_, ImgExtraCommand_, imgPilihtarget_}) {
        b->setIconSize(icon);
        b->resize(icon + QSize(4, 4));
    }
    img1_->setPixmap(Pictures::Icon(Pictures::Glyph::Idle, onBand).pixmap(icon));
    img2_->setPixmap(Pictures::Icon(Pictures::Glyph::Busy, onBand).pixmap(icon));
    img1_->resize(icon);
    img2_->resize(icon);
}

void MainWindow::Form_Resize() {
    const QSize inner = view_->size();
    imgHeader_->resize(inner.width(), T(kHeaderHeight));
    imgHeader_->setPixmap(Pictures::Header(imgHeader_->size(), palette()));
    TextBox_->setGeometry(T(10), imgHeader_->y() + imgHeader_->height(), inner.width() - T(50),
                          inner.height() - T(1800));
    imgDasar_->setGeometry(imgDasar_->x(), TextBox_->y() + TextBox_->height(), TextBox_->width(),
                           T(kBottomHeight));
    imgDasar_->setPixmap(Pictures::Bottom(imgDasar_->size(), palette()));
    LoginYM_->move(imgHeader_->width() - T(400), T(120));
    ImgExtraCommand_->move(LoginYM_->x() - T(300), LoginYM_->y());

    // The second header line: backup targets, then at the right the server, the status
    // images and the log-in button.
    const int line2 = T(120) + T(kIconSide) + T(60);
    LblTarget2_->move(T(60), line2);
    CmdLoginYM_->move(inner.width() - CmdLoginYM_->width() - T(100), line2 - T(30));
    img1_->move(CmdLoginYM_->x() - img1_->width() - T(60), line2);
    img2_->move(img1_->pos());
    lblServer_->move(img1_->x() - lblServer_->width() - T(120), line2);
    // The bottom line: the extra command and the idle counter.
    const int bottom = imgDasar_->y() + (imgDasar_->height() - LblSetting_->height()) / 2;
    LblSetting_->move(imgDasar_->x() + T(60), bottom);
    lblCounter_->move(imgDasar_->x() + imgDasar_->width() - lblCounter_->width() - T(60), bottom);
    for (QWidget* w : std::initializer_list<QWidget*>{
             ID_, LblTarget_, LblTarget2_, imgPilihtarget_, LblSetting_, ImgExtraCommand_,
             CmdLoginYM_, LoginYM_, img1_, img2_, lblCounter_, lblServer_})
        w->raise();
    ID_Change();
    if (TreeView1_->isVisible()) TreeView1_->raise();
    if (FrmSetting_->isVisible()) FrmSetting_->raise();
    if (frSetting_->isVisible()) frSetting_->raise();
}

void MainWindow::ID_Change() {
    LblTarget_->move(ID_->x() + ID_->width() + T(500), LblTarget_->y());
    imgPilihtarget_->move(LblTarget_->x() + LblTarget_->width() + T(100), ImgExtraCommand_->y());
}

void MainWindow::Refresh() {
    const WindowState& s = state_;
    setWindowTitle(s.Caption);
    const auto text = [](QLabel* l, const QString& t) {
        if (l->text() == t) return;
        l->setText(t);
        l->adjustSize();
    };
    text(ID_, s.ID.isEmpty() ? QStringLiteral("ID") : s.ID);
    Pass_->setText(s.Pass);
    text(LblTarget_, s.LblTarget);
    text(LblTarget2_, s.LblTarget2);
    text(lblServer_, s.lblServer.isEmpty() ? QStringLiteral("Server") : s.lblServer);
    text(lblCounter_, s.lblCounter);
    if (!s.ExtraCommand.isEmpty()) text(LblSetting_, s.ExtraCommand);
    CmdLoginYM_->setText(s.CmdLoginYM);
    CmdLoginYM_->adjustSize();
    // A login that was started shows a single border around the button.
    LoginYM_->setStyleSheet(s.LoginYMBorder == 1
                                ? QStringLiteral("QToolButton#LoginYM { border: 1px solid "
                                                 "palette(highlighted-text); border-radius: 3px; }")
                                : QString());
    img1_->setVisible(s.LoginYMImage != 2);
    img2_->setVisible(s.LoginYMImage == 2);
    statusBar()->showMessage(s.StatusBar);
    ID_Change();
}

void MainWindow::RefreshContacts() {
    TreeView1_->clear();
    TreeView1_->addItems(actions_.Contacts());
}

void MainWindow::imgHeader_DblClick() {
    FrmSetting_->Open();
    FrmSetting_->move((view_->width() - FrmSetting_->width()) / 2, imgHeader_->height());
}

void MainWindow::mSettingRLV_Click() {
    frSetting_->mSettingRLV_Click();
    frSetting_->move(T(10), imgHeader_->y() + imgHeader_->height());
    frSetting_->raise();
}

void MainWindow::ID_Click() {
    QDesktopServices::openUrl(QUrl::fromLocalFile(actions_.LogFile()));
}

QString MainWindow::Ask(const QString& title, const QString& prompt, const QString& offered,
                        bool* ok) {
    return QInputDialog::getText(this, title, prompt, QLineEdit::Normal, offered, ok);
}

void MainWindow::lblServer_Click() {
    bool ok = false;
    const QString host = Ask(QStringLiteral("Input Hostname"),
                             QStringLiteral("Masukan Hostname yang benar\r\n"
                                            "Contoh : chat.example.org (server chat supplier)"),
                             QStringLiteral("NC"), &ok);
    if (!ok) {
        out_.MessageBox(QString(), QStringLiteral("Input Hostname dibatalkan"));
        return;
    }
    if (host.isEmpty()) return;
    actions_.SaveChatHost(host);
    InputChatPort();
}

void MainWindow::InputChatPort() {
    bool ok = false;
    const QString port = Ask(QStringLiteral("Input PORT"),
                             QStringLiteral("Masukan PORT yang benar\r\nContoh : 5222"),
                             actions_.StoredChatPort(), &ok);
    if (!ok) {
        out_.MessageBox(QString(), QStringLiteral("Input PORT dibatalkan"));
        return;
    }
    if (!port.isEmpty()) actions_.SaveChatPort(port);
}

void MainWindow::imgPilihtarget_Click() {
    if (TreeView1_->isVisible()) {
        TreeView1_->hide();
        return;
    }
    RefreshContacts();
    TreeView1_->setGeometry(imgPilihtarget_->x() + imgPilihtarget_->width(), imgPilihtarget_->y(),
                            T(3300), T(3600));
    TreeView1_->raise();
    TreeView1_->show();
}

void MainWindow::ContactEvent(const QString& contact, const QPoint& at) {
    if (contact.isEmpty()) return;
    SelectedContact_ = contact;
    Menu2_.popup(at);
}

void MainWindow::mnAddContact_Click() {
    bool ok = false;
    const QString id = Ask(
        QStringLiteral("Menambah Contact"),
        QStringLiteral("Masukan No/Id Contact\r\n\r\nContoh : supplier@localhost"), QString(), &ok);
    if (ok) actions_.AddContact(id);
}

void MainWindow::mnHapus_Click() {
    QMessageBox::information(this, QString(),
                             QStringLiteral("Delete ") + SelectedContact_ + QStringLiteral(" ??"));
    actions_.RemoveContact(SelectedContact_);
}

void MainWindow::AppendLine(const QString& label, const QString& text) {
    QTextCursor c(TextBox_->document());
    c.movePosition(QTextCursor::End);
    QTextCharFormat labelFormat;
    labelFormat.setForeground(kRed);
    labelFormat.setFontPointSize(10);
    c.insertText(label + QLatin1Char(':'), labelFormat);
    c.insertText(QLatin1Char(' ') + text + QLatin1Char('\n'), QTextCharFormat());
    TrimLog();
}

void MainWindow::AppendBlock(const MessageBlock& block) {
    QTextCursor c(TextBox_->document());
    c.movePosition(QTextCursor::End);
    QTextCharFormat labelFormat;
    labelFormat.setForeground(block.direction == 1 ? kBlue : kRed);
    labelFormat.setFontPointSize(9);
    QTextCharFormat messageFormat;
    messageFormat.setFontWeight(QFont::Bold);
    for (int i = 0; i < block.lines.size(); ++i) {
        c.insertText(block.lines[i].first + QLatin1Char('\t'), labelFormat);
        c.insertText(block.lines[i].second, i == 3 ? messageFormat : QTextCharFormat());
        c.insertText(QStringLiteral("\n"), QTextCharFormat());
    }
    c.insertText(QStringLiteral("\n"), QTextCharFormat());
    TrimLog();
}

void MainWindow::TrimLog() {
    QTextDocument* doc = TextBox_->document();
    if (doc->characterCount() > kLogLimit) {
        QTextCursor c(doc);
        c.movePosition(QTextCursor::Start);
        c.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor, kLogTrim);
        c.removeSelectedText();
    }
    TextBox_->moveCursor(QTextCursor::End);
}

void MainWindow::ApplyPosition() {
    const WindowState& s = state_;
    setGeometry(s.MainLeft / kTwipsPerPixel, s.MainTop / kTwipsPerPixel,
                s.MainWidth / kTwipsPerPixel, s.MainHeight / kTwipsPerPixel);
}

// The position is kept current, so a close asked for by the host saves it too; a minimised
// window keeps the position it had before.
void MainWindow::StorePosition() {
    WindowState& s = state_;
    s.Minimized = isMinimized();
    if (s.Minimized) return;
    s.Maximized = isMaximized();
    s.MainLeft = x() * kTwipsPerPixel;
    s.MainTop = y() * kTwipsPerPixel;
    s.MainWidth = width() * kTwipsPerPixel;
    s.MainHeight = height() * kTwipsPerPixel;
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    StorePosition();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
    StorePosition();
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) StorePosition();
    if (event->type() == QEvent::PaletteChange) {
        Paint();
        Form_Resize();
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    StorePosition();
    actions_.Close();
    event->accept();
}
