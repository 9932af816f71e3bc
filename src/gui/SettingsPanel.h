#pragma once

#include <QFrame>
#include <QPoint>
#include <array>
#include <functional>

#include "controls/PanelSettings.h"

class Output;
class WindowActions;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QSpinBox;

// The settings panel: a frame over the main window, hidden until the "&Setting" menu entry
// fills and shows it, closed by "Simpan" (which stores every field) or by "Batal" and Escape
// (which store nothing). The fields scroll when the window is smaller than the panel; the
// buttons stay in view. The frame is dragged with the mouse.
class SettingsPanel : public QFrame {
    Q_OBJECT
  public:
    // Every click runs through the window's actions, which show and log what it raises.
    SettingsPanel(PanelSettings& settings, WindowActions& clicks, Output& out, QWidget* parent);

    // The whole panel, every field in view.
    QSize sizeHint() const override;
    // Takes its whole size, or the room given when that is smaller (the fields then scroll).
    void FitInto(const QSize& room);

    // Fills the panel from the terminal's settings and shows it.
    void mSettingRLV_Click();
    // "Simpan": saves every field; the panel closes once the capture markers are saved.
    void OKButton_Click();
    // The re-routing switch is saved as soon as it is clicked.
    void Check1_Click();
    // Only Enter (13) acts on the keyword box.
    void Text1_KeyDown(int keyCode);
    // Asks for the pending limit.
    void Label3_Click();
    // Closes the panel; nothing is stored.
    void Cancel();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    static constexpr int kEnter = 13;

    void Fill(const PanelValues& v);
    PanelValues Fields() const;
    void DragBy(const QPoint& pointer);
    void Run(const char* routine, const std::function<void()>& work);

    PanelSettings& settings_;
    WindowActions& clicks_;
    Output& out_;

    QScrollArea* scroll_;
    QWidget* fields_;

    QLineEdit* txtParsing_;
    std::array<QLineEdit*, PanelValues::kSnFields> TxtSN_;
    QLineEdit* txtSetting5_;
    QLineEdit* txtSetting6_;
    QGroupBox* frAuto_;
    QGroupBox* frHRG_;
    QCheckBox* Check1_;
    QCheckBox* Check2_;
    QCheckBox* Check3_;
    QLineEdit* Text1_;
    QComboBox* cmbOpr_;
    QLabel* Label3_;
    QSpinBox* jobsPerTick_;
    QPushButton* OKButton_;
    QPushButton* CancelButton_;

    bool dragging_ = false;
    QPoint dragStart_;
};
