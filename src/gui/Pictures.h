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

// A text colour of the given hue (0 red, 220 blue, 120 green) that reads on the palette's base:
// dark on a light theme, light on a dark one.
QColor Tone(int hue, const QPalette& palette);
// The dot before a contact: filled green when online, an outline when not, and a hollow ring
// of the highlight colour while the contact has not answered the request for its presence.
QIcon Presence(bool online, bool asked, const QPalette& palette);

}  // namespace Pictures
