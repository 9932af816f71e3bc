#pragma once

#include <QFrame>
#include <QPoint>
#include <array>

#include "controls/PanelSettings.h"

class Output;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The settings panel: a frame over the main window, hidden until the "&Setting" menu entry
// fills and shows it, closed by "Simpan". The frame is dragged with the mouse.
class SettingsPanel : public QFrame {
    Q_OBJECT
  public:
    SettingsPanel(PanelSettings& settings, Output& out, QWidget* parent);

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

    PanelSettings& settings_;
    Output& out_;

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
    QPushButton* OKButton_;

    bool dragging_ = false;
    QPoint dragStart_;
};
