#include "gui/HeaderLabel.h"

#include <QMouseEvent>

HeaderLabel::HeaderLabel(const QString& text, QWidget* parent) : QLabel(text, parent), full_(text) {
    adjustSize();
}

void HeaderLabel::SetFullText(const QString& text) {
    if (text == full_ && QLabel::text() == text) return;
    full_ = text;
    FitWidth(NaturalWidth());
}

void HeaderLabel::SetTip(const QString& tip) {
    tip_ = tip;
    setToolTip(tip);
}

int HeaderLabel::NaturalWidth() const {
    const QMargins m = contentsMargins();
    return fontMetrics().horizontalAdvance(full_) + m.left() + m.right() + 2 * margin();
}

void HeaderLabel::FitWidth(int width) {
    width = std::max(0, std::min(width, NaturalWidth()));
    const int advance = fontMetrics().horizontalAdvance(full_);
    const int room = width - (NaturalWidth() - advance);
    // elidedText may shorten a text that just fits: only a text wider than its room is cut.
    const QString shown = room >= advance
                              ? full_
                              : fontMetrics().elidedText(full_, Qt::ElideRight, std::max(0, room));
    setText(shown);
    setToolTip(shown == full_ ? tip_ : full_);
    resize(width, sizeHint().height());
}

void HeaderLabel::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && clicked && rect().contains(e->pos())) clicked();
    QLabel::mouseReleaseEvent(e);
}

void HeaderLabel::mouseDoubleClickEvent(QMouseEvent* e) {
    if (doubleClicked) doubleClicked();
    QLabel::mouseDoubleClickEvent(e);
}
