#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "store/ProcessValues.h"
#include "store/ReplyJournal.h"
#include "store/SettingsStore.h"
#include "store/UtilityComponent.h"

// Replies survive a stop whole, whatever they hold; a damaged journal is kept aside, never
// lost, and what could be read of it is taken.
TEST(ReplyJournalTest, RepliesComeBackWholeAndADamagedJournalIsKeptAside) {
    QTemporaryDir home, config;
    SettingsStore settings(config.path());
    UtilityComponent util(home.path(), &settings);
    ProcessValues values;
    values.TerminalNo = 5;
    ReplyJournal journal(util, values);
    const QDateTime at = QDateTime::fromString("2026-12-07T10:00:00", Qt::ISODate);
    const QList<ReplyJournal::Reply> replies = {
        {"supplier5@localhost", "SUKSES S5.0812.1 SN:77", at},
        {"supplier5@localhost", "tab\there, line\nbreak, 100% ;; \xc3\xa9", at.addSecs(1)},
    };
    for (const auto& r : replies) ASSERT_TRUE(journal.Append(r));
    EXPECT_TRUE(journal.Path().endsWith("held-replies-5.journal"));

    const auto texts = [](const QList<ReplyJournal::Reply>& list) {
        QStringList all;
        for (const auto& r : list) all << r.sender + '|' + r.text + '|' + r.received.toString();
        return all;
    };
    EXPECT_EQ(texts(journal.Load()), texts(replies));
    ASSERT_TRUE(journal.Rewrite({replies[1]}));
    EXPECT_EQ(texts(journal.Load()), texts({replies[1]}));
    ASSERT_TRUE(journal.Rewrite({}));
    EXPECT_FALSE(QFile::exists(journal.Path()));

    // A line that is no record, and a last line cut short by a stop in the middle of a write.
    for (const QByteArray& damage :
         {QByteArray("garbage\n"), QByteArray("2026-12-07T10:00:02\tx")}) {
        SCOPED_TRACE(damage.toStdString());
        ASSERT_TRUE(journal.Append(replies[0]));
        QFile f(journal.Path());
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write(damage);
        f.close();
        EXPECT_EQ(texts(journal.Load()), texts({replies[0]}));
        EXPECT_EQ(texts(journal.Load()), texts({replies[0]}));  // the good part, in a fresh journal
        ASSERT_TRUE(journal.Rewrite({}));
    }
    // both kept aside, never deleted
    EXPECT_EQ(QDir(home.path()).entryList({"held-replies-5.journal.damaged-*"}).size(), 2);
}
