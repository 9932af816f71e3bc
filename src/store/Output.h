#pragma once

#include <QList>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <utility>

// One block of the log view for a sent or received message: six labelled lines.
struct MessageBlock {
    int direction = 0;                         // 1 sent, 2 received, other: USSD
    QList<std::pair<QString, QString>> lines;  // label, value
};

Q_DECLARE_METATYPE(MessageBlock)

// The on-screen log. The window renders the lines in colour; headless mode prints them.
class Output : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;

    // One labelled line: label & ": " & text.
    QVariant SendBox(const QString& oID, const QString& strMessage);
    // The labelled block of one message; nothing when party is empty.
    void ShowMessageBlock(const QString& service, const QString& party, const QString& reference,
                          const QString& message, const QString& time, int direction);
    // A message box: a dialog in the window, a line on stderr headless.
    void MessageBox(const QString& title, const QString& text);

    static QString LineText(const QString& oID, const QString& strMessage);
    static QString BlockText(const MessageBlock& block);

  signals:
    void Line(const QString& label, const QString& text);
    void Block(const MessageBlock& block);
    void Box(const QString& title, const QString& text);
};
