#include "gui/MainWindow.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QStatusBar>
#include <QTextCursor>
#include <QVBoxLayout>

#include "chat/ChatSession.h"
#include "chat/Output.h"
#include "dispatch/Core.h"

namespace {
constexpr int kTwipsPerPixel = 15;
const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
}  // namespace

MainWindow::MainWindow(Core& core, QWidget* parent) : QMainWindow(parent), core_(core) {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    auto* top = new QHBoxLayout();
    CmdLoginYM_ = new QPushButton(this);
    LblTarget_ = new QLabel(this);
    lblCounter_ = new QLabel(this);
    top->addWidget(CmdLoginYM_);
    top->addWidget(LblTarget_, 1);
    top->addWidget(lblCounter_);
    TextBox_ = new QTextEdit(this);
    TextBox_->setReadOnly(true);
    layout->addLayout(top);
    layout->addWidget(TextBox_, 1);
    setCentralWidget(central);

    connect(CmdLoginYM_, &QPushButton::clicked, this, [this] { core_.Chat().CmdLoginYM_Click(); });
    connect(&core_.Out(), &Output::Line, this, &MainWindow::AppendLine);
    connect(&core_.Out(), &Output::Block, this, &MainWindow::AppendBlock);
    connect(&core_.Out(), &Output::Box, this, [this](const QString& title, const QString& text) {
        QMessageBox::information(this, title, text);
    });
    connect(&core_.State(), &WindowState::Changed, this, &MainWindow::Refresh);
    connect(&core_, &Core::Finished, this, [this] { hide(); });
    core_.State().WindowShown = true;
    Refresh();
}

void MainWindow::Refresh() {
    const WindowState& s = core_.State();
    setWindowTitle(s.Caption);
    CmdLoginYM_->setText(s.CmdLoginYM);
    LblTarget_->setText(s.LblTarget);
    lblCounter_->setText(s.lblCounter);
    statusBar()->showMessage(s.StatusBar);
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
    messageFormat.setForeground(Qt::black);
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
    const WindowState& s = core_.State();
    setGeometry(s.MainLeft / kTwipsPerPixel, s.MainTop / kTwipsPerPixel,
                s.MainWidth / kTwipsPerPixel, s.MainHeight / kTwipsPerPixel);
}

// The position is kept current, so a close asked for by the host saves it too; a minimised
// window keeps the position it had before.
void MainWindow::StorePosition() {
    WindowState& s = core_.State();
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
    StorePosition();
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) StorePosition();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    StorePosition();
    core_.FormUnload();
    event->accept();
}
