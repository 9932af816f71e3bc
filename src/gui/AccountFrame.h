#pragma once

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

class WindowActions;
class WindowState;

// The account frame: the chat account, its password, the main and backup targets, the ignore
// list and the merger switch. "Simpan" saves them through the window's actions; "Batal" and
// Escape close the frame and store nothing.
class AccountFrame : public QFrame {
    Q_OBJECT
  public:
    AccountFrame(WindowActions& actions, WindowState& state, QWidget* parent);

    // Fills the fields from the store and shows the frame.
    void Open();
    void cmd_Login_Click();
    void chMerger_Click(bool ticked);
    void Cancel();

  private:
    WindowActions& actions_;
    WindowState& state_;
    QLabel* caption_;
    QLineEdit* txt_User_;
    QLineEdit* txt_Pass_;
    QLineEdit* txt_Target_;
    QLineEdit* TxtTarget2_;
    QPlainTextEdit* txIgnore_;
    QCheckBox* chMerger_;
    QPushButton* cmd_Login_;
    QPushButton* CancelButton_;
};
