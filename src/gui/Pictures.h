#pragma once

#include <QIcon>
#include <QPalette>
#include <QPixmap>

// The window's pictures, drawn at run time in the colours of the desktop's palette, so they
// read on light and dark themes alike and scale with the screen.
namespace Pictures {

enum class Glyph {
    Login,     // power sign: log in
    Command,   // arrow: run the extra command
    Contacts,  // two heads: show the contact list
    Idle,      // ring: nothing going on
    Busy,      // filled dot: a job or a message is being handled
};

QIcon Icon(Glyph glyph, const QPalette& palette);
QPixmap Header(const QSize& size, const QPalette& palette);
QPixmap Bottom(const QSize& size, const QPalette& palette);

}  // namespace Pictures
