#include <QFile>
#include <QSignalSpy>

#include "dispatch/Lifecycle.h"
#include "store/SettingsKeys.h"
#include "support/TerminalFixture.h"

TEST_F(OfflineTerminalTest, StartUpLoadsSettingsAndRecordsTheInstance) {
    SaveSetting(Keys::kAppKzdSql, Keys::kSecNxEngineMedia, "ValueTerminal #4", "1");
    SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, Keys::kYMerger, "1");
    Rows("terminal", "terminal,modul", {{3, "Relvane"}, {4, "Relvane"}, {7, "Relvane"}});
    StartOffline(10);
    EXPECT_EQ(Term().Values().TerminalList, "3,7,10");
    EXPECT_EQ(Lines().filter("Merger RLV: Terminal 3,7,10").size(), 1);
    EXPECT_EQ(Window().state.Caption, "[Relvane] 10-> " + Supplier());
    EXPECT_EQ(Window().state.Pass, XmppPeer::Password());
    EXPECT_EQ(Util().ReadIni(Home() + "/Log/Set.log", "Relvane", "2"), "Terminal #10");
    EXPECT_TRUE(QFile::exists(Home() + "/Log/Terminal #10.log"));
}

TEST_F(OfflineTerminalTest, ShutdownMarksTheTerminalOffTellsTheMonitorAndEndsOnce) {
    StartOffline(10);
    Term().Chat().LoginYM_Click();  // marks the terminal on
    ASSERT_EQ(Scalar("SELECT status FROM terminal WHERE terminal = 10"), "1");
    QSignalSpy finished(&Term(), &Core::Finished);
    Term().FormUnload();
    Term().FormUnload();
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(Term().ExitCode(), 0);
    EXPECT_TRUE(WaitUntil([&] { return Datagrams().contains("NODE@=2@=False"); }, 2000));
    EXPECT_EQ(Datagrams().first(), "NODE@=2@=True");
    EXPECT_EQ(Util().ReadIni(Home() + "/Log/Set.log", "Relvane", "2"), "NC");
    // the database door is closed last but one: the terminal's row says off
    EXPECT_EQ(Scalar("SELECT status FROM terminal WHERE terminal = 10"), "0");
}

TEST_F(OfflineTerminalTest, TheWindowsPlaceIsStoredOnlyWhenAWindowShowedIt) {
    const auto stored = [&](const char* key) {
        return Settings().GetSetting("Terminal #10", Keys::kSecSetting, key, "unset");
    };
    StartOffline(10);
    Window().state.MainLeft = 4500;
    Term().FormUnload();  // headless: nothing stored
    EXPECT_EQ(stored(Keys::kMainLeft), "unset");

    ASSERT_TRUE(Start());
    WindowState& s = Window().state;
    s.WindowShown = true;
    s.MainLeft = 4500;
    s.Maximized = true;
    Term().FormUnload();
    EXPECT_EQ(stored(Keys::kMainLeft), "4500");
    EXPECT_EQ(stored(Keys::kMainMaximized), "Yes");
}
