// What the window's clicks store and change, driven without widgets.
#include <QSignalSpy>

#include "chat/PasswordScramble.h"
#include "controls/WindowActions.h"
#include "store/Output.h"
#include "support/TerminalFixture.h"

namespace {

class WindowActionsTest : public OfflineTerminalTest {
  protected:
    QString Stored(const char* stem) {
        return Settings().GetSetting(Keys::kAppHbvGate, Keys::kSecSetting,
                                     Keys::PerTerminal(stem, N()), "<unset>");
    }
};

}  // namespace

TEST_F(WindowActionsTest, TheAccountFrameStoresTheAccountAndShowsIt) {
    StartOffline(12);
    WindowActions& a = Window().actions;
    QSignalSpy boxes(&Term().Out(), &Output::Box);
    EXPECT_FALSE(a.cmd_Login_Click("terminal12", "pw", "s@x", "", ""));
    EXPECT_EQ(boxes.count(), 1);
    EXPECT_EQ(Stored(Keys::kServerHbv), Supplier());  // nothing stored

    EXPECT_TRUE(a.cmd_Login_Click("baru@x", "rahasia", "pusat@x", "b1@x;b2@x", "antri"));
    EXPECT_EQ(Stored(Keys::kUidHbv), "baru@x");
    EXPECT_EQ(PasswordScramble::UnscrambleText(Stored(Keys::kPwdHbv), Keys::kPasswordKey),
              "rahasia");
    EXPECT_EQ(Stored(Keys::kServerHbv), "pusat@x");
    EXPECT_EQ(Stored(Keys::kServerHbv2), "b1@x;b2@x");
    EXPECT_EQ(Stored(Keys::kMsgIgnore), "antri");
    // the window shows the new account and targets at once
    EXPECT_EQ(Window().state.ID, "baru@x");
    EXPECT_EQ(Window().state.LblTarget, "pusat@x");
    EXPECT_EQ(Term().Values().LblTarget2, "b1@x;b2@x");
    // reopening the frame reads them back; the ignore list is in force from then on
    EXPECT_EQ(a.imgHeader_DblClick().target2, "b1@x;b2@x");
    EXPECT_EQ(Term().Values().IgnoreList, "antri");
}

TEST_F(WindowActionsTest, MenuSwitchesAreStoredAndTakeEffect) {
    StartOffline(12);
    WindowActions& a = Window().actions;
    EXPECT_FALSE(a.mnAutoLogin_Click());
    EXPECT_EQ(Stored(Keys::kAutoLogin), "0");
    EXPECT_EQ(Term().Values().AutoLoginOn, 0);
    EXPECT_TRUE(a.mnBoster_Click());
    EXPECT_EQ(Term().Values().BoosterMode, 1);
    EXPECT_TRUE(a.mnTrxID_Click());
    EXPECT_FALSE(a.mnTrxID_Click());
    EXPECT_EQ(Stored(Keys::kMnTrxId), "0");
}
