#include "gui/SettingsPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSpinBox>

#include "controls/WindowActions.h"
#include "store/Errors.h"
#include "store/Output.h"
#include "store/SettingsKeys.h"

namespace {

QLineEdit* Field(QWidget* parent, const QString& name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

QString SnName(int index) {
    return QStringLiteral("TxtSN_") + QString::number(index);
}

// The further SN marker pairs: their stand-in texts show only while a field is empty, and are
// never a value of their own.
constexpr int kFirstFurtherMarker = 2;
constexpr int kLastFurtherMarker = 11;

}  // namespace

SettingsPanel::SettingsPanel(PanelSettings& settings, WindowActions& clicks, Output& out,
                             QWidget* parent)
    : QFrame(parent), settings_(settings), clicks_(clicks), out_(out) {
    setObjectName(QStringLiteral("frSetting"));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    // Opaque over the window beneath, in the platform's own colours.
    setAutoFillBackground(true);

    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("frSettingScroll"));
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    fields_ = new QWidget(scroll_);
    QWidget* f = fields_;

    txtParsing_ = Field(f, QStringLiteral("txtParsing"));
    for (int i = 0; i < PanelValues::kSnFields; ++i) TxtSN_[i] = Field(f, SnName(i));
    for (int i = kFirstFurtherMarker; i <= kLastFurtherMarker; ++i)
        TxtSN_[i]->setPlaceholderText(i % 2 == 0 ? QStringLiteral("SNA") : QStringLiteral("SNB"));
    txtSetting5_ = Field(f, QStringLiteral("txtSetting_5"));
    txtSetting6_ = Field(f, QStringLiteral("txtSetting_6"));
    Check1_ = new QCheckBox(f);
    Check1_->setObjectName(QStringLiteral("Check1"));
    Check2_ = new QCheckBox(QStringLiteral("Matikan Parsing"), f);
    Check2_->setObjectName(QStringLiteral("Check2"));
    Check3_ = new QCheckBox(QStringLiteral("Aktifkan"), f);
    Check3_->setObjectName(QStringLiteral("Check3"));
    Check3_->setToolTip(QStringLiteral("Kirim Extra Command ke supplier saat Login"));
    Text1_ = Field(f, QStringLiteral("Text1"));
    cmbOpr_ = new QComboBox(f);
    cmbOpr_->setObjectName(QStringLiteral("cmbOpr"));
    // A stored text outside the list is shown as it is (and writes no method code).
    cmbOpr_->setEditable(true);
    cmbOpr_->setInsertPolicy(QComboBox::NoInsert);
    cmbOpr_->addItems(PanelSettings::SupplierEntries());
    Label3_ = new QLabel(QStringLiteral("10"), f);
    Label3_->setObjectName(QStringLiteral("Label3_3"));
    Label3_->setCursor(Qt::PointingHandCursor);
    jobsPerTick_ = new QSpinBox(f);
    jobsPerTick_->setObjectName(QStringLiteral("JobsPerTick"));
    jobsPerTick_->setRange(1, Keys::kMaxJobsPerTick);
    jobsPerTick_->setToolTip(QStringLiteral(
        "Order yang boleh dikirim dalam satu detik; tiap order tetap melewati pemeriksaannya"));
    OKButton_ = new QPushButton(QStringLiteral("Simpan"), this);
    OKButton_->setObjectName(QStringLiteral("OKButton"));
    CancelButton_ = new QPushButton(QStringLiteral("Batal"), this);
    CancelButton_->setObjectName(QStringLiteral("CancelButton"));

    // Two columns, so that the whole panel fits a small screen: the extra command and the SN
    // markers at the left, the bill-payment capture, re-routing and supplier at the right.
    auto* grid = new QGridLayout();
    int row = 0;
    grid->addWidget(new QLabel(QStringLiteral("Extra Command"), f), row, 0);
    grid->addWidget(txtParsing_, row, 1);
    grid->addWidget(Check3_, row++, 2);
    grid->addWidget(new QLabel(QStringLiteral("Tanda Awal"), f), row, 1);
    grid->addWidget(new QLabel(QStringLiteral("Tanda Akhir"), f), row, 2);
    ++row;
    for (int i = 0; i <= 10; i += 2, ++row) {
        grid->addWidget(TxtSN_[i], row, 1);
        grid->addWidget(TxtSN_[i + 1], row, 2);
    }
    grid->addWidget(new QLabel(QStringLiteral("SN Stok"), f), row, 0);
    grid->addWidget(txtSetting5_, row, 1);
    grid->addWidget(txtSetting6_, row++, 2);
    grid->addWidget(Check2_, row++, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Limit Pending:"), f), row, 0);
    grid->addWidget(Label3_, row++, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Order per detik:"), f), row, 0);
    grid->addWidget(jobsPerTick_, row++, 1);
    grid->setRowStretch(row, 1);

    // The frames' long captions wrap inside them rather than widen the panel.
    const auto caption = [](QWidget* parent, const QString& text) {
        auto* l = new QLabel(text, parent);
        l->setWordWrap(true);
        return l;
    };
    frHRG_ = new QGroupBox(f);
    frHRG_->setObjectName(QStringLiteral("frHRG"));
    auto* capture = new QGridLayout(frHRG_);
    int captureRow = 0;
    capture->addWidget(
        caption(frHRG_, QStringLiteral("Tangkap Harga PPOB (lebi dari 1 pisahkan titik koma)")),
        captureRow++, 0, 1, 3);
    const std::pair<const char*, int> pairs[] = {{"INDEX", 12}, {"ID PLN", 14}, {"HARGA", 16}};
    for (const auto& [label, first] : pairs) {
        capture->addWidget(new QLabel(QString::fromUtf8(label), frHRG_), captureRow, 0);
        capture->addWidget(TxtSN_[first], captureRow, 1);
        capture->addWidget(TxtSN_[first + 1], captureRow, 2);
        ++captureRow;
    }
    capture->addWidget(new QLabel(QStringLiteral("Kata Kunci Sukses PPOB  =|>"), frHRG_),
                       captureRow++, 0, 1, 3);
    capture->addWidget(TxtSN_[18], captureRow, 0, 1, 3);

    // Its title tells whether re-routing is on; the frame's caption stays as a hint in it.
    frAuto_ = new QGroupBox(PanelSettings::FrAutoCaption(false), f);
    frAuto_->setObjectName(QStringLiteral("frAuto"));
    auto* autoFrame = new QVBoxLayout(frAuto_);
    autoFrame->addWidget(
        caption(frAuto_, QStringLiteral("Auto Alih Ke Terminal Lain, dan Tekan Enter u/ Save")));
    auto* autoRow = new QHBoxLayout();
    autoRow->addWidget(Check1_);
    autoRow->addWidget(Text1_, 1);
    autoFrame->addLayout(autoRow);

    auto* supplier = new QGridLayout();
    supplier->addWidget(new QLabel(QStringLiteral("Supplier:"), f), 0, 0);
    supplier->addWidget(cmbOpr_, 0, 1);
    supplier->setColumnStretch(1, 1);

    auto* right = new QVBoxLayout();
    right->addWidget(frHRG_);
    right->addWidget(frAuto_);
    right->addLayout(supplier);
    right->addStretch(1);

    // The marker fields hold short texts: a narrow field leaves the panel small.
    const int markerWidth = fontMetrics().horizontalAdvance(QLatin1Char('x')) * 13;
    for (QLineEdit* e : TxtSN_) e->setMaximumWidth(markerWidth);
    for (QLineEdit* e : {txtParsing_, txtSetting5_, txtSetting6_}) e->setMaximumWidth(markerWidth);
    TxtSN_[18]->setMaximumWidth(QWIDGETSIZE_MAX);

    // Rows a little closer than the style's default, for the same reason.
    const int rowGap = fontMetrics().height() / 4;
    for (QGridLayout* g : {grid, capture, supplier}) g->setVerticalSpacing(rowGap);
    for (QBoxLayout* b : std::initializer_list<QBoxLayout*>{autoFrame, right})
        b->setSpacing(rowGap);

    auto* columns = new QHBoxLayout(f);
    const QMargins m = columns->contentsMargins();
    columns->setContentsMargins(m.left(), rowGap, m.right(), 0);
    columns->addLayout(grid);
    columns->addSpacing(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 2);
    columns->addLayout(right);
    scroll_->setWidget(fields_);

    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    buttons->addWidget(CancelButton_);
    buttons->addWidget(OKButton_);
    auto* frame = new QVBoxLayout(this);
    frame->addWidget(scroll_, 1);
    frame->addLayout(buttons);

    connect(OKButton_, &QPushButton::clicked, this,
            [this] { Run("OKButton_Click", [this] { OKButton_Click(); }); });
    connect(CancelButton_, &QPushButton::clicked, this, &SettingsPanel::Cancel);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &SettingsPanel::Cancel);
    // Only the user's click saves; filling the panel sets the box without saving.
    connect(Check1_, &QCheckBox::clicked, this,
            [this] { Run("Check1_Click", [this] { Check1_Click(); }); });
    Text1_->installEventFilter(this);
    Label3_->installEventFilter(this);

    hide();
}

void SettingsPanel::Run(const char* routine, const std::function<void()>& work) {
    clicks_.Click(QString::fromLatin1(routine), work);
}

QSize SettingsPanel::sizeHint() const {
    const QMargins m = layout()->contentsMargins();
    const QSize inner = fields_->sizeHint();
    const int buttons = OKButton_->sizeHint().height();
    const int frame = 2 * frameWidth();
    return QSize(inner.width() + m.left() + m.right() + frame,
                 inner.height() + layout()->spacing() + buttons + m.top() + m.bottom() + frame);
}

void SettingsPanel::FitInto(const QSize& room) {
    const QSize whole = sizeHint();
    QSize size = whole.boundedTo(room);
    // A vertical scroll bar takes width from the fields: give it that width when there is room.
    if (size.height() < whole.height())
        size.setWidth(std::min(room.width(),
                               whole.width() + scroll_->verticalScrollBar()->sizeHint().width()));
    resize(size);
}

void SettingsPanel::mSettingRLV_Click() {
    Fill(settings_.Load());
    show();
    raise();
}

void SettingsPanel::Cancel() {
    dragging_ = false;
    hide();
}

void SettingsPanel::Fill(const PanelValues& v) {
    txtParsing_->setText(v.txtParsing);
    for (int i = 0; i < PanelValues::kSnFields; ++i) TxtSN_[i]->setText(v.TxtSN[i]);
    Check1_->setChecked(v.Check1);
    Check2_->setChecked(v.Check2);
    Check3_->setChecked(v.Check3);
    Text1_->setText(v.Text1);
    frAuto_->setTitle(PanelSettings::FrAutoCaption(v.Check1));
    txtSetting5_->setText(v.txtSetting5);
    txtSetting6_->setText(v.txtSetting6);
    cmbOpr_->setCurrentText(v.cmbOpr);
    Label3_->setText(v.LimitPending);
    jobsPerTick_->setValue(v.JobsPerTick);
}

PanelValues SettingsPanel::Fields() const {
    PanelValues v;
    v.txtParsing = txtParsing_->text();
    for (int i = 0; i < PanelValues::kSnFields; ++i) v.TxtSN[i] = TxtSN_[i]->text();
    v.txtSetting5 = txtSetting5_->text();
    v.txtSetting6 = txtSetting6_->text();
    v.Check1 = Check1_->isChecked();
    v.Check2 = Check2_->isChecked();
    v.Check3 = Check3_->isChecked();
    v.Text1 = Text1_->text();
    v.cmbOpr = cmbOpr_->currentText();
    v.LimitPending = Label3_->text();
    v.JobsPerTick = jobsPerTick_->value();
    return v;
}

void SettingsPanel::OKButton_Click() {
    const PanelValues v = Fields();
    const bool mayClose = settings_.OKButton_Click(v);
    frAuto_->setTitle(PanelSettings::FrAutoCaption(v.Check1));
    if (mayClose) hide();
}

void SettingsPanel::Check1_Click() {
    settings_.Check1_Click(Check1_->isChecked());
    frAuto_->setTitle(PanelSettings::FrAutoCaption(Check1_->isChecked()));
}

void SettingsPanel::Text1_KeyDown(int keyCode) {
    if (keyCode != kEnter) return;
    settings_.SaveFailureKeywords(Text1_->text());
}

void SettingsPanel::Label3_Click() {
    bool ok = false;
    {
        const QString answer =
            QInputDialog::getText(this, QStringLiteral("Input LimitPending"),
                                  QStringLiteral("Masukan Value Limit Pending yang di inginkan") +
                                      QStringLiteral("\r\n") + QStringLiteral("Contoh : 10"),
                                  QLineEdit::Normal, settings_.StoredLimitPending(), &ok);
        if (!ok) {
            out_.MessageBox(QString(), QStringLiteral("Input LimitPending Dibatalkan"));
            return;
        }
        if (answer.isEmpty()) return;
        if (settings_.Label3_Click(answer)) Label3_->setText(answer);
    }
}

bool SettingsPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Text1_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        Run("Text1_KeyDown", [this, key] {
            Text1_KeyDown(key == Qt::Key_Return || key == Qt::Key_Enter ? kEnter : key);
        });
    } else if (watched == Label3_) {
        // The label is a button: its press starts no drag of the frame.
        if (event->type() == QEvent::MouseButtonPress) return true;
        if (event->type() == QEvent::MouseButtonRelease) {
            Run("Label3_Click", [this] { Label3_Click(); });
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void SettingsPanel::mousePressEvent(QMouseEvent* event) {
    dragging_ = true;
    dragStart_ = event->pos();
}

void SettingsPanel::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) DragBy(event->pos());
}

void SettingsPanel::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_) return;
    DragBy(event->pos());
    dragging_ = false;
}

// The pointer's position is taken in the frame, so after each move it is back where the drag
// started: the offset is what the pointer moved since the last event.
void SettingsPanel::DragBy(const QPoint& pointer) {
    move(pos() + pointer - dragStart_);
}
