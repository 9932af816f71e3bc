#include "gui/MainWindow.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QInputDialog>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>
#include <QStatusBar>
#include <QTextCursor>
#include <QUrl>
#include <algorithm>

#include "controls/WindowActions.h"
#include "controls/WindowState.h"
#include "gui/AccountFrame.h"
#include "gui/HeaderLabel.h"
#include "gui/Pictures.h"
#include "gui/SettingsPanel.h"
#include "store/Output.h"

namespace {

constexpr int kTwipsPerPixel = 15;
// Hues of the log view's labels: red, and blue for what this terminal sent.
constexpr int kRedHue = 0;
constexpr int kBlueHue = 220;

// Heights the layout rules leave free, in twips.
constexpr int kHeaderHeight = 1000;
constexpr int kBottomHeight = 500;
constexpr int kIconSide = 285;

const QString kKeywordText = QStringLiteral(
    "sukses.berhasil.rp.ok.succeed.gagal.saldo.trx.akses.maaf.saat ini.pulsa.rojer.dikopi."
    "kontek.nx mantap.super nx.nx engine.pokoe jos nx");

// Room a window's title bar and borders take, before the window is shown and the frame known.
const QSize kFrameAllowance(16, 48);

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
    resize(OpeningSize());
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
        auto* l = new HeaderLabel(text, view_);
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
    header->doubleClicked = Guard("imgHeader_DblClick", [this] { imgHeader_DblClick(); });
    imgHeader_ = header;
    imgHeader_->setScaledContents(true);
    auto* id = label("ID", QStringLiteral("ID"));
    id->clicked = Guard("ID_Click", [this] { ID_Click(); });
    id->setCursor(Qt::PointingHandCursor);
    ID_ = id;
    Pass_ = label("Pass", QStringLiteral("Pass"));
    Pass_->hide();  // holds the password; never shown
    auto* target = label("LblTarget", QStringLiteral("LblTarget"));
    target->clicked = Guard("LblTarget_Click", [this] { actions_.PickRandomTarget(); });
    target->setCursor(Qt::PointingHandCursor);
    target->SetTip(QStringLiteral("Target Utama"));
    LblTarget_ = target;
    LblTarget2_ = label("LblTarget2", QStringLiteral("LblTarget"));
    LblTarget2_->SetTip(QStringLiteral("Target Backup"));
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
    server->clicked = Guard("lblServer_Click", [this] { lblServer_Click(); });
    server->setCursor(Qt::PointingHandCursor);
    server->SetTip(QStringLiteral("Input Hostname"));
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
    // The contact menu opens anywhere on the list, so that an empty list gets its first
    // contact; removing needs a contact under the pointer.
    connect(TreeView1_, &QListWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        QListWidgetItem* item = TreeView1_->itemAt(p);
        ContactEvent(item != nullptr ? item->data(Qt::UserRole).toString() : QString(),
                     TreeView1_->viewport()->mapToGlobal(p));
    });

    FrmSetting_ = new AccountFrame(actions_, state_, view_);
    frSetting_ = new SettingsPanel(panel, actions_, out_, view_);

    connect(imgPilihtarget_, &QToolButton::clicked, this,
            Guard("imgPilihtarget_Click", [this] { imgPilihtarget_Click(); }));
    connect(ImgExtraCommand_, &QToolButton::clicked, this,
            Guard("ImgExtraCommand_Click", [this] { actions_.ImgExtraCommand_Click(); }));
    connect(CmdLoginYM_, &QToolButton::clicked, this,
            Guard("CmdLoginYM_Click", [this] { actions_.CmdLoginYM_Click(); }));
    connect(LoginYM_, &QToolButton::clicked, this,
            Guard("LoginYM_Click", [this] { actions_.LoginYM_Click(); }));

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
            Guard("mSettingRLV_Click", [this] { mSettingRLV_Click(); }));
    connect(add(Menu_, "mAccountLogin", QStringLiteral("&Account")), &QAction::triggered, this,
            Guard("imgHeader_DblClick", [this] { imgHeader_DblClick(); }));
    Menu_.addSeparator()->setObjectName(QStringLiteral("spc0"));
    mnTrxID_ = add(Menu_, "mnTrxID", QStringLiteral("Execute Sukses with trxID"));
    mnAutoLogin_ = add(Menu_, "mnAutoLogin", QStringLiteral("Auto LOGIN"));
    Menu_.addSeparator()->setObjectName(QStringLiteral("spc1"));
    mnBoster_ = add(Menu_, "mnBoster", QStringLiteral("Boster"));
    for (QAction* a : {mnTrxID_, mnAutoLogin_, mnBoster_}) a->setCheckable(true);
    // The switch flips from what the menu showed; the core saves it and keeps it in memory.
    connect(mnTrxID_, &QAction::triggered, this,
            Guard("mnTrxID_Click", [this] { actions_.mnTrxID_Click(); }));
    connect(mnAutoLogin_, &QAction::triggered, this,
            Guard("mnAutoLogin_Click", [this] { actions_.mnAutoLogin_Click(); }));
    connect(mnBoster_, &QAction::triggered, this,
            Guard("mnBoster_Click", [this] { actions_.mnBoster_Click(); }));

    connect(add(Menu2_, "mnAddContact", QStringLiteral("&Tambah Kontak")), &QAction::triggered,
            this, Guard("mnAddContact_Click", [this] { mnAddContact_Click(); }));
    connect(add(Menu2_, "mnHapus", QStringLiteral("&Hapus Kontak")), &QAction::triggered, this,
            Guard("mnHapus_Click", [this] { mnHapus_Click(); }));
}

std::function<void()> MainWindow::Guard(const char* routine, std::function<void()> work) {
    return [this, routine, work = std::move(work)] {
        actions_.Click(QString::fromLatin1(routine), work);
    };
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
            const QPoint at = e->globalPos();
            Guard("TextBox_MouseUp", [this, at] { PreparedMenu().popup(at); })();
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
    // The buttons, their border included, keep to the side the layout rules space them by.
    const QSize icon(T(kIconSide), T(kIconSide));
    for (QToolButton* b : {LoginYM_, ImgExtraCommand_, imgPilihtarget_}) {
        b->setIconSize(icon - QSize(4, 4));
        b->resize(icon);
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
    LayoutHeader();
    // The bottom line: the extra command and the idle counter.
    const int bottom = imgDasar_->y() + (imgDasar_->height() - LblSetting_->height()) / 2;
    LblSetting_->move(imgDasar_->x() + T(60), bottom);
    lblCounter_->move(imgDasar_->x() + imgDasar_->width() - lblCounter_->width() - T(60), bottom);
    for (QWidget* w : std::initializer_list<QWidget*>{
             ID_, LblTarget_, LblTarget2_, imgPilihtarget_, LblSetting_, ImgExtraCommand_,
             CmdLoginYM_, LoginYM_, img1_, img2_, lblCounter_, lblServer_})
        w->raise();
    FitFrames();
    if (TreeView1_->isVisible()) TreeView1_->raise();
    if (FrmSetting_->isVisible()) FrmSetting_->raise();
    if (frSetting_->isVisible()) frSetting_->raise();
}

void MainWindow::LayoutHeader() {
    const int width = view_->width();
    LoginYM_->move(imgHeader_->width() - T(400), T(120));
    ImgExtraCommand_->move(LoginYM_->x() - T(300), LoginYM_->y());

    // First line: the account, then the main target and the contact button, up to the
    // command button. When both texts do not fit, the shorter keeps its width if it needs
    // less than half.
    const int room =
        ImgExtraCommand_->x() - T(100) - ID_->x() - T(500) - T(100) - imgPilihtarget_->width();
    const int id = ID_->NaturalWidth();
    const int target = LblTarget_->NaturalWidth();
    int idRoom = id, targetRoom = target;
    if (id + target > room) {
        const int half = std::max(0, room / 2);
        idRoom = id <= half ? id : target <= half ? room - target : half;
        targetRoom = std::max(0, room - idRoom);
    }
    ID_->FitWidth(idRoom);
    LblTarget_->FitWidth(targetRoom);
    ID_Change();

    // Second line: the backup targets at the left; at the right the log-in button, the status
    // images and the server, which takes at most a third of the line.
    const int line2 = LoginYM_->y() + LoginYM_->height() + T(60);
    CmdLoginYM_->move(width - CmdLoginYM_->width() - T(100), line2);
    img1_->move(CmdLoginYM_->x() - img1_->width() - T(60), line2);
    img2_->move(img1_->pos());
    lblServer_->FitWidth(std::min(lblServer_->NaturalWidth(), width / 3));
    lblServer_->move(img1_->x() - lblServer_->width() - T(120), line2);
    LblTarget2_->move(T(60), line2);
    LblTarget2_->FitWidth(lblServer_->x() - T(120) - LblTarget2_->x());
}

void MainWindow::ID_Change() {
    LblTarget_->move(ID_->x() + ID_->width() + T(500), LblTarget_->y());
    imgPilihtarget_->move(LblTarget_->x() + LblTarget_->width() + T(100), ImgExtraCommand_->y());
}

void MainWindow::FitFrames() {
    const QSize inner = view_->size();
    if (frSetting_->isVisible()) {
        // Back inside when a drag or a smaller window left it partly outside.
        QPoint at = frSetting_->pos();
        const QSize room(inner.width() - T(10), inner.height() - imgHeader_->height());
        frSetting_->FitInto(room);
        at.setX(std::clamp(at.x(), 0, std::max(0, inner.width() - frSetting_->width())));
        at.setY(std::clamp(at.y(), 0, std::max(0, inner.height() - frSetting_->height())));
        frSetting_->move(at);
    }
    if (TreeView1_->isVisible()) {
        QRect list = TreeView1_->geometry();
        list.setSize(list.size().boundedTo(inner));
        list.moveLeft(std::clamp(list.x(), 0, inner.width() - list.width()));
        list.moveTop(std::clamp(list.y(), 0, inner.height() - list.height()));
        TreeView1_->setGeometry(list);
    }
}

QSize MainWindow::OpeningSize() const {
    const QSize panel = frSetting_->sizeHint().expandedTo(FrmSetting_->sizeHint());
    const int statusHeight = statusBar()->sizeHint().height();
    QSize size(std::max(T(5820), T(10) + panel.width() + T(50)),
               std::max(T(5385), T(kHeaderHeight) + panel.height() + T(60) + statusHeight));
    if (const QScreen* s = screen()) size = size.boundedTo(s->availableSize() - kFrameAllowance);
    return size;
}

void MainWindow::Refresh() {
    const WindowState& s = state_;
    setWindowTitle(s.Caption);
    const auto text = [](QLabel* l, const QString& t) {
        if (l->text() == t) return;
        l->setText(t);
        l->adjustSize();
    };
    ID_->SetFullText(s.ID.isEmpty() ? QStringLiteral("ID") : s.ID);
    Pass_->setText(s.Pass);
    LblTarget_->SetFullText(s.LblTarget);
    LblTarget2_->SetFullText(s.LblTarget2);
    lblServer_->SetFullText(s.lblServer.isEmpty() ? QStringLiteral("Server") : s.lblServer);
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
    LayoutHeader();
}

void MainWindow::RefreshContacts() {
    TreeView1_->clear();
    for (const ChatSession::Contact& c : actions_.Contacts()) {
        auto* item =
            new QListWidgetItem(Pictures::Presence(c.online, c.asked, palette()), c.id, TreeView1_);
        item->setData(Qt::UserRole, c.id);
        item->setToolTip(c.online  ? QStringLiteral("Online")
                         : c.asked ? QStringLiteral("Menunggu persetujuan")
                                   : QStringLiteral("Offline"));
    }
}

void MainWindow::imgHeader_DblClick() {
    FrmSetting_->Open();
    FrmSetting_->move(std::max(0, (view_->width() - FrmSetting_->width()) / 2),
                      imgHeader_->height());
}

void MainWindow::mSettingRLV_Click() {
    frSetting_->move(T(10), imgHeader_->y() + imgHeader_->height());
    frSetting_->mSettingRLV_Click();
    FitFrames();
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
    TreeView1_->show();
    FitFrames();
    TreeView1_->raise();
}

void MainWindow::ContactEvent(const QString& contact, const QPoint& at) {
    SelectedContact_ = contact;
    Menu2_.findChild<QAction*>(QStringLiteral("mnHapus"))->setEnabled(!contact.isEmpty());
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
    if (SelectedContact_.isEmpty()) return;
    const auto answer = QMessageBox::question(
        this, QString(), QStringLiteral("Delete ") + SelectedContact_ + QStringLiteral(" ??"),
        QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel);
    if (answer == QMessageBox::Ok) actions_.RemoveContact(SelectedContact_);
}

void MainWindow::AppendLine(const QString& label, const QString& text) {
    QTextCursor c(TextBox_->document());
    c.movePosition(QTextCursor::End);
    QTextCharFormat labelFormat;
    labelFormat.setForeground(Pictures::Tone(kRedHue, TextBox_->palette()));
    labelFormat.setFontPointSize(10);
    c.insertText(label + QLatin1Char(':'), labelFormat);
    c.insertText(QLatin1Char(' ') + text + QLatin1Char('\n'), QTextCharFormat());
    TrimLog();
}

void MainWindow::AppendBlock(const MessageBlock& block) {
    QTextCursor c(TextBox_->document());
    c.movePosition(QTextCursor::End);
    QTextCharFormat labelFormat;
    labelFormat.setForeground(
        Pictures::Tone(block.direction == 1 ? kBlueHue : kRedHue, TextBox_->palette()));
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
    // However long the line just added, the view goes back to its bound: at least the usual
    // 300 characters leave the top, or as many as it went over.
    QTextDocument* doc = TextBox_->document();
    const int over = doc->characterCount() - kLogLimit;
    if (over > 0) {
        QTextCursor c(doc);
        c.movePosition(QTextCursor::Start);
        c.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor,
                       std::max(over, kLogTrim));
        c.removeSelectedText();
    }
    TextBox_->moveCursor(QTextCursor::End);
}

void MainWindow::ApplyPosition() {
    const WindowState& s = state_;
    const QSize stored(s.MainWidth / kTwipsPerPixel, s.MainHeight / kTwipsPerPixel);
    resize(stored.expandedTo(OpeningSize()));
    // move() places the frame, as the position was stored; setGeometry() would place the
    // inside and push the window down by its title bar on every start.
    move(s.MainLeft / kTwipsPerPixel, s.MainTop / kTwipsPerPixel);
}

// The position is kept current, so a close asked for by the host saves it too; a minimised
// window keeps the position it had before.
void MainWindow::StorePosition() {
    WindowState& s = state_;
    s.Minimized = isMinimized();
    if (s.Minimized) return;
    s.Maximized = isMaximized();
    // Left and top of the frame, width and height of the inside: what ApplyPosition sets.
    const QPoint frame = frameGeometry().topLeft();
    s.MainLeft = frame.x() * kTwipsPerPixel;
    s.MainTop = frame.y() * kTwipsPerPixel;
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
    Guard("Form_Unload", [this] { actions_.Close(); })();
    event->accept();
}
