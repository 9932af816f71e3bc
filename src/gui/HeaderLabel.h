#pragma once

#include <QLabel>
#include <functional>

// A label of the window's header: answers clicks and double-clicks as the window's labels do,
// and shows its text shortened with "…" when the room it is given is too small, the whole text
// then in its tool tip.
class HeaderLabel : public QLabel {
    Q_OBJECT
  public:
    HeaderLabel(const QString& text, QWidget* parent);

    std::function<void()> clicked;
    std::function<void()> doubleClicked;

    void SetFullText(const QString& text);
    const QString& FullText() const { return full_; }
    // The tool tip shown while the text is whole.
    void SetTip(const QString& tip);
    // Width of the whole text on one line.
    int NaturalWidth() const;
    // Takes at most this width, shortening the text when it does not fit.
    void FitWidth(int width);

  protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

  private:
    QString full_;
    QString tip_;
};
