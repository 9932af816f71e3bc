#include "chat/PasswordScramble.h"

namespace {

QString Shift(const QString& text, const QString& key, int direction) {
    const QByteArray k = key.toUpper().toLatin1();
    if (k.isEmpty()) return text;
    const QByteArray in = text.toLatin1();
    QByteArray out(in.size(), '\0');
    for (int i = 1; i <= in.size(); ++i) {
        const int keyCode = static_cast<unsigned char>(k[(i % k.size())]);
        const int code = static_cast<unsigned char>(in[i - 1]);
        out[i - 1] = static_cast<char>((code + direction * keyCode) & 255);
    }
    return QString::fromLatin1(out);
}

}  // namespace

QString PasswordScramble::ScrambleText(const QString& text, const QString& key) {
    return Shift(text, key, +1);
}
QString PasswordScramble::UnscrambleText(const QString& text, const QString& key) {
    return Shift(text, key, -1);
}
