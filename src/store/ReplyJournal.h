#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

class UtilityComponent;
struct ProcessValues;

// Replies the terminal holds while the database is away, kept on disk so that a terminal
// stopped or killed before the database returns settles them at its next start. One line per
// reply: time, sender and text, each percent-encoded, separated by tabs; each append is
// flushed to the disk before the terminal goes on. The file lives in the program folder, one per
// terminal ("held-replies-5.journal"), since terminals may share a folder.
class ReplyJournal {
  public:
    struct Reply {
        QString sender;
        QString text;
        QDateTime received;
    };

    ReplyJournal(UtilityComponent& util, const ProcessValues& values);

    QString Path() const;
    // The replies on disk, oldest first. A file with a line that cannot be read is kept aside
    // under another name (logged, never deleted); the replies it held that could be read are
    // returned and written back to a fresh journal.
    QList<Reply> Load();
    // Adds one reply; false (logged) when the disk refused it.
    bool Append(const Reply& reply);
    // The journal holds exactly these replies from now on (the settled ones left out).
    bool Rewrite(const QList<Reply>& replies);

  private:
    static QByteArray Line(const Reply& reply);

    void Log(const QString& text) const;

    UtilityComponent& util_;
    const ProcessValues& values_;
};
