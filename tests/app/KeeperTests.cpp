// No window lost, whatever ends the program: a kill (Task Manager's "End task"), a crash, abort,
// at any moment of a switch, a delete or the exit, with or without the watcher that a kill
// leaves as the only way back. And no window shown twice after a normal exit.
#include "tests/app/ProcessTree.h"
#include "tests/helpers/HelperProcess.h"
#include "tests/support/ZelvanorProcess.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <random>

using namespace ztest;

namespace {

enum class Fault { kKill, kCrash, kAbort };
enum class Moment { kAfterSwitch, kDuringSwitch, kBarHidden, kDuringDelete, kDuringExit };

struct Case {
    const char* name;
    Fault fault;
    Moment moment;
    // The watcher is ended first, so that only the program's own guards can bring the windows
    // back. A switch starts a new one, so cases in a switch keep it.
    bool withoutWatcher;
};

const Case kCases[] = {
    {"KillAfterASwitch", Fault::kKill, Moment::kAfterSwitch, false},
    {"KillDuringASwitch", Fault::kKill, Moment::kDuringSwitch, false},
    {"KillWhileTheBarIsHidden", Fault::kKill, Moment::kBarHidden, false},
    {"CrashDuringASwitch", Fault::kCrash, Moment::kDuringSwitch, false},
    {"CrashDuringADeleteWithoutWatcher", Fault::kCrash, Moment::kDuringDelete, true},
    {"CrashDuringTheExitWithoutWatcher", Fault::kCrash, Moment::kDuringExit, true},
    {"AbortAfterASwitchWithoutWatcher", Fault::kAbort, Moment::kAfterSwitch, true},
    {"TerminateAfterASwitchWithoutWatcher", Fault::kAbort, Moment::kAfterSwitch, true},
};

// A moment at the start of an operation on 200 windows, which takes about this long. Drawn from
// a seed that is printed and may be given back to repeat a failure.
DWORD RandomMomentMs() {
    static const unsigned seed = [] {
        const char* text = std::getenv("ZELVANOR_KEEPER_SEED");
        return text ? static_cast<unsigned>(std::strtoul(text, nullptr, 10))
                    : std::random_device{}();
    }();
    static std::mt19937 random(seed);
    const DWORD ms = std::uniform_int_distribution<DWORD>(0, 20)(random);
    std::printf("keeper: fault %lu ms into the operation (seed %u; set ZELVANOR_KEEPER_SEED to "
                "repeat it)\n",
                static_cast<unsigned long>(ms), seed);
    return ms;
}

// The program's window thread, opened while its bar exists: the operation a fault is aimed at
// may end the bar before the fault falls.
UniqueKernelObject OpenWindowThread(HWND bar) {
    return UniqueKernelObject(
        OpenThread(THREAD_SUSPEND_RESUME, FALSE, GetWindowThreadProcessId(bar, nullptr)));
}

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class EndToEndKeeper : public ::testing::TestWithParam<Case> {
protected:
    zhelper::HelperProcess helper; // declared first: it outlives the program
    ZelvanorProcess app;
    std::vector<HWND> windows;

    // Two areas, the first holding the helper's windows hidden, the second current.
    void StartWithWindowsHidden(int count) {
        ASSERT_TRUE(helper.Start(L"--windows " + std::to_wstring(count)));
        windows = helper.Windows();
        ASSERT_TRUE(app.Start());
        ASSERT_TRUE(app.Command(ID_ADD_WORKING_AREA));
        ASSERT_TRUE(app.WaitRows(2));
        ASSERT_TRUE(app.ClickRow(1));
        ASSERT_TRUE(helper.Sync());
        ASSERT_TRUE(NoneVisible(windows));
    }

    ::testing::AssertionResult AllBackWithin2s() {
        if (WaitUntil([&] { return helper.Sync() && AllVisible(windows); }, 2000)) {
            return ::testing::AssertionSuccess();
        }
        return WaitAllVisible(windows, true) << " (not within 2 s)";
    }
};

} // namespace

TEST_P(EndToEndKeeper, EveryHeldWindowComesBack) {
    const Case& c = GetParam();
    // An operation caught in the middle needs many windows to last; a fault after one, a few.
    const bool inTheMiddle = c.moment == Moment::kDuringDelete || c.moment == Moment::kDuringExit;
    // On a busy machine the operation may be over before this thread runs again: the fault
    // then found nothing to interrupt, and the case is run again with another moment.
    for (int attempt = 0;; ++attempt) {
        ASSERT_LT(attempt, 5) << "the operation always ended before the fault fell";
        ASSERT_NO_FATAL_FAILURE(StartWithWindowsHidden(c.moment == Moment::kDuringSwitch ? 1
                                                       : inTheMiddle                     ? 200
                                                                                         : 20));
        if (c.moment == Moment::kDuringSwitch) {
            // The first area gets 200 windows, and the fault falls while they are being hidden.
            ASSERT_TRUE(app.ClickRow(0));
            ASSERT_TRUE(helper.Send(zhelper::kMsgOpen, 199));
            windows = helper.Windows();
            ASSERT_TRUE(helper.Sync());
            ASSERT_TRUE(AllVisible(windows));
        }
        ProcessTree tree(app.Pid());
        if (c.withoutWatcher) {
            ASSERT_TRUE(tree.EndWatcher());
        }
        const UniqueKernelObject windowThread = OpenWindowThread(app.Bar());
        ASSERT_TRUE(windowThread);
        switch (c.moment) {
        case Moment::kAfterSwitch:
            break;
        case Moment::kDuringSwitch:
            ASSERT_TRUE(app.Post(WM_LBUTTONDOWN, MK_LBUTTON,
                                 MAKELPARAM(BarLayout::kClientWidth / 2, RowMiddle(1))));
            ASSERT_TRUE(
                app.Post(WM_LBUTTONUP, 0, MAKELPARAM(BarLayout::kClientWidth / 2, RowMiddle(1))));
            Sleep(RandomMomentMs());
            break;
        case Moment::kBarHidden:
            ASSERT_TRUE(app.Command(IDCANCEL));
            ASSERT_TRUE(app.WaitVisible(false));
            break;
        case Moment::kDuringDelete:
            ASSERT_TRUE(app.TargetRow(0));
            ASSERT_TRUE(app.Post(WM_COMMAND, ID_DELETE_WORKING_AREA));
            Sleep(RandomMomentMs());
            break;
        case Moment::kDuringExit:
            ASSERT_TRUE(app.Post(WM_COMMAND, ID_TRAY_EXIT));
            Sleep(RandomMomentMs());
            break;
        }
        // Stopped where it is, so that a fault from another thread finds the operation half
        // done, as a fault of the window thread itself would.
        if (c.fault == Fault::kCrash &&
            SuspendThread(windowThread.get()) == static_cast<DWORD>(-1)) {
            ASSERT_TRUE(app.WaitEnded(30000)) << "the window thread cannot be stopped";
            EXPECT_TRUE(AllBackWithin2s()) << "after an exit that ended before the fault";
            continue;
        }
        bool faulted = false;
        switch (c.fault) {
        case Fault::kKill:
            faulted = TerminateProcess(app.Process(), 1) != FALSE;
            break;
        case Fault::kCrash:
            faulted = CrashRemotely(app.Process(), ProgramPath(), nullptr);
            break;
        case Fault::kAbort:
            faulted = CrashRemotely(
                app.Process(), ProgramPath(),
                std::string(c.name).rfind("Terminate", 0) == 0 ? "std::terminate" : "abort");
            break;
        }
        if (!faulted && !app.Running()) {
            EXPECT_TRUE(AllBackWithin2s()) << "after an operation that ended before the fault";
            continue;
        }
        ASSERT_TRUE(faulted) << "the fault could not be made (for abort: its function was not "
                                "found)";
        ASSERT_TRUE(app.WaitEnded(30000));
        EXPECT_TRUE(AllBackWithin2s());
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, EndToEndKeeper, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& param) {
                             return std::string(param.param.name);
                         });

TEST_F(EndToEndKeeper, NormalExitLeavesTheWatcherNothingAndALostWatcherIsReplaced) {
    ASSERT_NO_FATAL_FAILURE(StartWithWindowsHidden(3));
    ProcessTree tree(app.Pid());
    const DWORD first = tree.WatcherPid();
    ASSERT_NE(first, 0u) << "no watcher runs";

    // Killing the watcher leaves the program working; the next switch starts another.
    ASSERT_TRUE(tree.EndWatcher());
    ASSERT_TRUE(app.ClickRow(0));
    ASSERT_TRUE(AllVisible(windows)); // the switch returns once the windows have acted
    ASSERT_TRUE(app.ClickRow(1));
    EXPECT_TRUE(NoneVisible(windows));
    const DWORD second = tree.WatcherPid();
    EXPECT_NE(second, 0u) << "no new watcher";
    EXPECT_NE(second, first);

    // After the exit command the watcher has nothing left to show, and ends.
    const UniqueKernelObject watcher = tree.OpenWatcher();
    ASSERT_TRUE(watcher);
    ASSERT_TRUE(app.Exit());
    EXPECT_TRUE(WaitAllVisible(windows, true));
    ASSERT_EQ(WaitForSingleObject(watcher.get(), 10000), static_cast<DWORD>(WAIT_OBJECT_0))
        << "the watcher outlived the program";
    DWORD shown = 0;
    GetExitCodeProcess(watcher.get(), &shown);
    EXPECT_EQ(shown, 0u) << "the watcher showed windows again after a normal exit";
}
