#pragma once

#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QTextEdit>
#include <QToolButton>
#include <functional>

class AccountFrame;
class HeaderLabel;
class Output;
class PanelSettings;
class SettingsPanel;
class WindowActions;
class WindowState;
struct MessageBlock;

// The terminal's window: who it is logged in as and which supplier it talks to, the log view,
// the status line, the image buttons, the pop-up menus, the account frame and the settings
// panel. It shows the core's state and forwards clicks; what a click does lives in the core.
class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    MainWindow(WindowState& state, WindowActions& actions, PanelSettings& panel, Output& out,
               QWidget* parent = nullptr);

    // Puts the window where the terminal's settings say it was last closed: the stored left
    // and top are those of the frame, title bar included. It opens at least at OpeningSize().
    void ApplyPosition();
    // Room for the header and the whole settings panel (or the account frame), within the
    // screen's free area; on a smaller screen the panel scrolls.
    QSize OpeningSize() const;

    // The log view keeps at most 10000 characters: past that its first 300 go, or more when
    // the line just added was longer.
    static constexpr int kLogLimit = 10000;
    static constexpr int kLogTrim = 300;

    // The words the window keeps for the status display.
    const QStringList& Keywords() const { return keywords_; }

    // Menu actions, for the menus and for tests.
    void imgHeader_DblClick();
    void mSettingRLV_Click();
    void ID_Click();
    void lblServer_Click();
    void InputChatPort();
    void imgPilihtarget_Click();
    void ContactEvent(const QString& contact, const QPoint& at);
    void mnAddContact_Click();
    // Asks before the contact goes.
    void mnHapus_Click();
    // Sets the check marks from the stored switches and returns "Menu".
    QMenu& PreparedMenu();
    QMenu& ContactMenu() { return Menu2_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildControls(PanelSettings& panel);
    void BuildMenus();
    void Form_Resize();
    void ID_Change();
    // Places the header's texts so that none covers another: a text too long for its room is
    // shortened and shows whole in its tool tip.
    void LayoutHeader();
    // Keeps an open frame (settings panel, account frame, contact list) inside the window.
    void FitFrames();
    // A click of the window: errors it raises are shown and logged, the terminal goes on.
    std::function<void()> Guard(const char* routine, std::function<void()> work);
    void AppendLine(const QString& label, const QString& text);
    void AppendBlock(const MessageBlock& block);
    void TrimLog();
    void Refresh();
    void RefreshContacts();
    void StorePosition();
    void Paint();
    // Twips (the layout's unit: 15 to a pixel at 96 DPI) in pixels of this screen.
    int T(int twips) const;
    QString Ask(const QString& title, const QString& prompt, const QString& offered, bool* ok);

    WindowState& state_;
    WindowActions& actions_;
    Output& out_;
    QStringList keywords_;
    QString SelectedContact_;

    QWidget* view_;
    HeaderLabel* imgHeader_;
    HeaderLabel* ID_;
    QLabel* Pass_;
    HeaderLabel* LblTarget_;
    HeaderLabel* LblTarget2_;
    QToolButton* imgPilihtarget_;
    QLabel* LblSetting_;
    QToolButton* ImgExtraCommand_;
    QToolButton* CmdLoginYM_;
    QToolButton* LoginYM_;
    QLabel* img1_;
    QLabel* img2_;
    QLabel* imgDasar_;
    QLabel* lblCounter_;
    HeaderLabel* lblServer_;
    QTextEdit* TextBox_;
    QListWidget* TreeView1_;
    AccountFrame* FrmSetting_;
    SettingsPanel* frSetting_;
    QMenu Menu_;
    QMenu Menu2_;
    QAction* mnTrxID_;
    QAction* mnAutoLogin_;
    QAction* mnBoster_;
};
