#pragma once

#include <QString>

// Scrambling of the stored chat password: each 8-bit character code is shifted by the code of
// a key character (the key upper-cased first), wrapping at 256. Position i (1-based) pairs
// with key character (i mod L) + 1.
class PasswordScramble {
  public:
    static QString ScrambleText(const QString& text, const QString& key);
    static QString UnscrambleText(const QString& text, const QString& key);
};
