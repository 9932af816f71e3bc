#include "gui/AccountFrame.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QShortcut>
#include <QVBoxLayout>

#include "controls/WindowActions.h"
#include "controls/WindowState.h"

AccountFrame::AccountFrame(WindowActions& actions, WindowState& state, QWidget* parent)
    : QFrame(parent), actions_(actions), state_(state) {
    setObjectName(QStringLiteral("FrmSetting"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    caption_ = new QLabel(QStringLiteral("Login"), this);
    QFont bold = caption_->font();
    bold.setBold(true);
    caption_->setFont(bold);
    layout->addWidget(caption_);

    auto* form = new QFormLayout();
    const auto field = [this, form](QLineEdit*& edit, const char* name, const QString& label) {
        edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        form->addRow(label, edit);
    };
    field(txt_User_, "txt_User", QStringLiteral("Username:"));
    field(txt_Pass_, "txt_Pass", QStringLiteral("Password:"));
    txt_Pass_->setEchoMode(QLineEdit::Password);
    field(txt_Target_, "txt_Target", QStringLiteral("Target Utama :"));
    field(TxtTarget2_, "TxtTarget2", QStringLiteral("Target Backup:"));
    TxtTarget2_->setPlaceholderText(QStringLiteral("lebih dari 1 ID pisahkan Tanda \";\""));
    TxtTarget2_->setToolTip(TxtTarget2_->placeholderText());
    txIgnore_ = new QPlainTextEdit(this);
    txIgnore_->setObjectName(QStringLiteral("txIgnore"));
    txIgnore_->setFixedHeight(txIgnore_->fontMetrics().lineSpacing() * 4);
    form->addRow(QStringLiteral("MSG Ignore :"), txIgnore_);
    layout->addLayout(form);

    chMerger_ = new QCheckBox(QStringLiteral("1 id jabber for all"), this);
    chMerger_->setObjectName(QStringLiteral("chMerger"));
    layout->addWidget(chMerger_);
    cmd_Login_ = new QPushButton(QStringLiteral("Simpan"), this);
    cmd_Login_->setObjectName(QStringLiteral("cmd_Login"));
    CancelButton_ = new QPushButton(QStringLiteral("Batal"), this);
    CancelButton_->setObjectName(QStringLiteral("CancelButton"));
    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    buttons->addWidget(CancelButton_);
    buttons->addWidget(cmd_Login_);
    layout->addLayout(buttons);

    connect(cmd_Login_, &QPushButton::clicked, this, [this] {
        actions_.Click(QStringLiteral("cmd_Login_Click"), [this] { cmd_Login_Click(); });
    });
    connect(chMerger_, &QCheckBox::clicked, this, [this](bool ticked) {
        actions_.Click(QStringLiteral("chMerger_Click"),
                       [this, ticked] { chMerger_Click(ticked); });
    });
    connect(CancelButton_, &QPushButton::clicked, this, &AccountFrame::Cancel);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &AccountFrame::Cancel);
    hide();
}

void AccountFrame::Open() {
    const WindowActions::Account a = actions_.imgHeader_DblClick();
    caption_->setText(QStringLiteral("Setting YM ") + a.terminalName);
    txt_User_->setText(a.user);
    txt_Pass_->setText(a.pass);
    txt_Target_->setText(a.target);
    TxtTarget2_->setText(a.target2);
    txIgnore_->setPlainText(a.ignore);
    chMerger_->setChecked(state_.chMerger);
    adjustSize();
    show();
    raise();
}

void AccountFrame::cmd_Login_Click() {
    if (actions_.cmd_Login_Click(txt_User_->text(), txt_Pass_->text(), txt_Target_->text(),
                                 TxtTarget2_->text(), txIgnore_->toPlainText()))
        hide();
}

void AccountFrame::chMerger_Click(bool ticked) {
    QString code;
    if (ticked) {
        bool ok = false;
        const QString answer = QInputDialog::getText(
            this, QStringLiteral("Keamanan Konfigurasi"),
            QStringLiteral("Masukan PIN Akses Konfigurasi"), QLineEdit::Password, QString(), &ok);
        // Cancelled, the box stays as it was clicked; only a wrong code unticks it.
        code = ok ? answer : QString();
        if (ok && code.isNull()) code = QStringLiteral("");
    }
    if (actions_.chMerger_Click(ticked, code) == WindowActions::Merger::WrongCode)
        chMerger_->setChecked(false);
}

void AccountFrame::Cancel() {
    hide();
}
