// A window held from a monitor that goes before it comes back: it comes back on the monitor
// left, with its size or maximised there, by a switch back, the exit and the watcher after a kill.
// tools/test.sh runs these on two monitors (a stand-in Xinerama library); elsewhere they skip.
#include "tests/app/ProcessTree.h"
#include "tests/bar/MonitorLayout.h"
#include "tests/support/Session.h"

using namespace ztest;

namespace {

enum Back { kSwitchBack, kSwitchBackMaximised, kExitMaximised, kKillLeavesItToTheWatcher };
const char* const kNames[] = {"SwitchBack", "SwitchBackMaximised", "ExitMaximised",
                              "KillLeavesItToTheWatcher"};

class HeldWindowOnMonitors : public Session, public ::testing::WithParamInterface<Back> {
protected:
    void SetUp() override {
        if (const std::string why = MonitorLayout::Unavailable(); !why.empty()) {
            GTEST_SKIP() << why;
        }
        ASSERT_TRUE(layout.Set("1280x1024+0+0\n1024x768+1280+0\n"));
    }
    // By a switch back, the exit, or the watcher once the program is killed.
    ::testing::AssertionResult ComeBack() {
        if (GetParam() == kSwitchBack || GetParam() == kSwitchBackMaximised) {
            return Switch(0, windows);
        }
        const bool ended = GetParam() == kExitMaximised ? Exit()
                                                        : ProcessTree(app.Pid()).WaitWatcher() &&
                                                              TerminateProcess(app.Process(), 1);
        return ended ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << "not ended";
    }
    MonitorLayout layout;
};

TEST_P(HeldWindowOnMonitors, ComesBackOnTheMonitorLeft) {
    const bool maximised = GetParam() == kSwitchBackMaximised || GetParam() == kExitMaximised;
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"--windows 1"}));
    SetWindowPos(windows[0], nullptr, 1280 + 500, 300, 400, 300, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(windows[0], maximised ? SW_MAXIMIZE : SW_SHOWNA);
    ASSERT_TRUE(Switch(1, {}, windows));
    ASSERT_TRUE(layout.Set("1280x1024+0+0\n"));
    ASSERT_TRUE(ComeBack());
    RECT work{}; // the primary's, the monitor left
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_TRUE(Eventually(windows[0], ::testing::AllOf(Shown(), ClientInside(work))));
    const RECT seen = WindowRect(windows[0]);
    EXPECT_EQ(IsZoomed(windows[0]) != FALSE, maximised);
    EXPECT_TRUE(maximised ? seen.left <= work.left && seen.right >= work.right
                          : seen.right - seen.left == 400 && seen.bottom - seen.top == 300);
}

INSTANTIATE_TEST_SUITE_P(Ways, HeldWindowOnMonitors,
                         ::testing::Values(kSwitchBack, kSwitchBackMaximised, kExitMaximised,
                                           kKillLeavesItToTheWatcher),
                         [](const auto& param) { return std::string(kNames[param.param]); });

} // namespace
