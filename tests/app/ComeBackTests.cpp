// An area comes back as it was left: its windows stacked as they stood, across programs, the
// keyboard with the window the user was last in, and only what it hid; nothing hidden keeps the
// keyboard.
#include "tests/support/Session.h"

using namespace ztest;
using ::testing::_;
using ::testing::Each;
using ::testing::ElementsAre;

namespace {

using AreaComesBack = Session;
class AreaComesBackBy : public Session, public ::testing::WithParamInterface<Session::How> {};

} // namespace

TEST_P(AreaComesBackBy, StackedAsItWasLeftWithTheKeyboardWhereTheUserWas) {
    ASSERT_NO_FATAL_FAILURE(Start({.other = L"--windows 1"}));
    const Windows left{windows[1], otherWindows[0], windows[0]};
    ASSERT_TRUE(StackAs(left));
    ASSERT_TRUE(Switch(1, {}, left, GetParam()));
    ASSERT_TRUE(Switch(0, left, {}, GetParam()));
    EXPECT_TRUE(Stacked(left));
}

INSTANTIATE_TEST_SUITE_P(KeysAndClicks, AreaComesBackBy,
                         ::testing::Values(Session::How::kKey, Session::How::kRealClick),
                         [](const auto& how) {
                             return how.param == Session::How::kKey ? "Key" : "RealClick";
                         });

TEST_F(AreaComesBack, AMinimisedWindowStaysMinimisedWithoutTheKeyboard) {
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"--windows 3"}));
    ASSERT_TRUE(StackAs(windows));
    ShowWindow(windows[2], SW_MINIMIZE);
    ASSERT_TRUE(BringToForeground(windows[0]));
    ASSERT_TRUE(Switch(1, {}, windows, How::kKey));
    ASSERT_TRUE(Switch(0, windows, {}, How::kKey));
    EXPECT_TRUE(Stacked({windows[0], windows[1]}));
    EXPECT_TRUE(Eventually(windows[2], Minimised()));
}

TEST_F(AreaComesBack, TheFirstAreaAsItWasLeftWhenTheCurrentOneIsDeleted) {
    ASSERT_NO_FATAL_FAILURE(Start({.other = L"--windows 1"}));
    const Windows left{otherWindows[0], windows[0], windows[1]};
    ASSERT_TRUE(StackAs(left));
    ASSERT_TRUE(Switch(1, {}, left));
    ASSERT_TRUE(app.RowMenu(1, ID_DELETE_WORKING_AREA));
    EXPECT_TRUE(Eventually(left, Each(Shown())));
    EXPECT_TRUE(Stacked(left));
}

TEST_F(AreaComesBack, AMovedWindowOnTopOfItsNewAreaWithTheKeyboard) {
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"--windows 3"}));
    ASSERT_TRUE(Switch(1, {}, windows));
    const Windows second = Open(2);
    ASSERT_TRUE(StackAs(second));
    ASSERT_TRUE(Switch(0, windows, second));
    ASSERT_TRUE(BringToForeground(windows[2]));
    PressAreaKey('2', true);
    ASSERT_TRUE(Eventually(windows[2], Hidden()));
    ASSERT_TRUE(Switch(1, Windows{windows[2]} + second, {windows[0], windows[1]}));
    EXPECT_TRUE(Stacked(Windows{windows[2]} + second));
}

// The current area's windows stay on top at the exit, its window with the keyboard, and what the
// other areas hid comes back beneath them.
TEST_F(AreaComesBack, AtTheExitBeneathTheCurrentAreasWindows) {
    ASSERT_NO_FATAL_FAILURE(Start({.other = L"--windows 1"}));
    ASSERT_TRUE(Switch(1, {}, windows + otherWindows));
    const Windows mine = Open(2);
    ASSERT_TRUE(StackAs(mine));
    ASSERT_TRUE(Exit());
    EXPECT_TRUE(Stacked(mine));
    EXPECT_TRUE(Eventually([&] { return StackOf(mine + windows + otherWindows); },
                           ElementsAre(mine[0], mine[1], _, _, _)));
}

// A window its own program hid while its area was current (closed to the notification area, say)
// stays hidden when that area goes, at the exit or deleted; what a switch hid comes back.
TEST_F(AreaComesBack, OnlyWhatItHidWhenItGoes) {
    for (const bool exit : {true, false}) {
        SCOPED_TRACE(exit ? "exit" : "delete");
        ASSERT_NO_FATAL_FAILURE(Start({.helper = L"--windows 3"}));
        ASSERT_TRUE(Switch(1, {}, windows));
        ASSERT_TRUE(Switch(0, windows, {}));
        ShowWindow(windows[2], SW_HIDE);
        if (!exit) {
            ASSERT_TRUE(app.RowMenu(0, ID_DELETE_WORKING_AREA) && app.WaitRows(1));
        }
        ASSERT_TRUE(Exit());
        ASSERT_TRUE(helper.Sync()); // every request of the program has been acted on
        EXPECT_THAT((Windows{windows[0], windows[1]}), Each(Shown()));
        EXPECT_THAT(windows[2], Hidden());
        TearDown();
    }
}
