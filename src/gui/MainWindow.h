#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QTextEdit>

class Core;
struct MessageBlock;

// The terminal's window: the log view, the login button, the idle counter and the status bar.
class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainWindow(Core& core, QWidget* parent = nullptr);

    // Puts the window where the terminal's settings say it was last closed.
    void ApplyPosition();

    // The log view keeps about 10000 characters: past that its first 300 go.
    static constexpr int kLogLimit = 10000;
    static constexpr int kLogTrim = 300;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void AppendLine(const QString& label, const QString& text);
    void AppendBlock(const MessageBlock& block);
    void TrimLog();
    void Refresh();
    void StorePosition();

    Core& core_;
    QTextEdit* TextBox_;
    QPushButton* CmdLoginYM_;
    QLabel* lblCounter_;
    QLabel* LblTarget_;
};
