#include <QTemporaryDir>

#include "dispatch/Lifecycle.h"
#include "store/Database.h"
#include "store/SettingsKeys.h"
#include "support/TerminalFixture.h"
#include "support/TestTools.h"

TEST_F(OfflineTerminalTest, StartUpLoadsSettingsAndRecordsTheInstance) {
    SaveSetting(Keys::kAppKzdSql, Keys::kSecNxEngineMedia, "ValueTerminal #4", "1");
    SaveSetting(Keys::kAppHbvGate, Keys::kSecSetting, Keys::kYMerger, "1");
    SaveSetting(Keys::kAppNxEngine, "Terminal #10", Keys::kLimitPending, "4");
    Rows("terminal", "terminal,modul", {{3, "Relvane"}, {4, "Relvane"}, {7, "Relvane"}});
    StartOffline(10);
    EXPECT_EQ(Term().Values().TerminalList, "3,7,10");
    EXPECT_EQ(Term().Values().LimitPending, 4);
    EXPECT_EQ(Lines().filter("Merger RLV: Terminal 3,7,10").size(), 1);
    EXPECT_EQ(Window().state.Caption, "[Relvane] 10-> " + Supplier());
    EXPECT_EQ(Window().state.Pass, XmppPeer::Password());
    EXPECT_EQ(Util().ReadIni(Home() + "/Log/Set.log", "Relvane", "2"), "Terminal #10");
    EXPECT_TRUE(QFile::exists(Home() + "/Log/Terminal #10.log"));
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

// A service unit leaves the password off the line and names a file holding it.
TEST_F(TerminalTest, DatabasePasswordFromTheFileWhenTheLineGivesNone) {
    QTemporaryDir secrets;
    WriteFile(secrets.filePath("db-password"), TestServers::DbPassword().toUtf8() + "\r\n");
    qputenv("RELVANE_DB_PASSWORD_FILE", secrets.filePath("db-password").toUtf8());
    Core core(Home());
    const bool started = core.FormLoad("Terminal #5@@Relvane@@2@@");
    qunsetenv("RELVANE_DB_PASSWORD_FILE");
    ASSERT_TRUE(started);
    EXPECT_TRUE(core.Db().IsOpen()) << core.Db().LastOpenError().toStdString();
    EXPECT_EQ(core.Values().DatabasePassword, TestServers::DbPassword());  // for the booster
    core.FormUnload();
}
