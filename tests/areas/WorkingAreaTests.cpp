// Leaving and entering working areas with real windows of other processes on the screen.
#include "areas/ShowRequests.h"
#include "areas/WindowKeeper.h"
#include "tests/areas/AreaTestSupport.h"
#include "tests/support/Notepad.h"
#include <gtest/gtest.h>
#include <shellapi.h>
#include <algorithm>
#include <iterator>
#include <memory>
#include <string_view>

using namespace areatest;
using zhelper::HelperProcess;

namespace {

// Records of the helper's plain windows (its thread also owns a hidden input-method window).
std::vector<HWND> PlainWindowsIn(const std::vector<WindowRecord>& records, DWORD processId) {
    std::vector<HWND> handles;
    for (const WindowRecord& record : records)
        if (record.processId == processId && wcscmp(record.className, zhelper::kWindowClass) == 0)
            handles.push_back(record.hwnd);
    return handles;
}

// Whether a helper's hang (HelperProcess::Hang) has ended, or ends within `timeoutMs`.
bool Ended(const UniqueKernelObject& hang, DWORD timeoutMs = 0) {
    return WaitForSingleObject(hang.get(), timeoutMs) == WAIT_OBJECT_0;
}

} // namespace

TEST(AreasWorkingArea, LeavingHidesOtherProgramsButNotTheShellOrThisProgramsDialogs) {
    RenamedHelperCopy ours;                       // ...\Zelvanor.exe
    RenamedHelperCopy lowerCase(L"zelvanor.exe"); // the name is matched case-sensitively
    ASSERT_TRUE(ours.Ok() && lowerCase.Ok());
    HelperProcess helper, bar, impostor;
    ASSERT_TRUE(helper.Start(L"--windows 2 --dialog --hidden --class Progman --class "
                             L"ToolbarWindow32 --class Shell_SecondaryTrayWnd --class WorkerW "
                             L"--class Shell_TrayWnd2"));
    // A process with a taskbar is the shell: all its windows stay but those a user opens from it,
    // its folder windows, its dialogs and its file operations' progress.
    HelperProcess shell;
    ASSERT_TRUE(shell.Start(L"--windows 1 --dialog --class Shell_TrayWnd --class CabinetWClass "
                            L"--class OperationStatusWindow"));
    ASSERT_TRUE(bar.Start(L"--windows 1 --dialog", ours.Path()));
    ASSERT_TRUE(impostor.Start(L"--dialog", lowerCase.Path()));
    Notepad notepad;
    ASSERT_TRUE(notepad.Start());

    using zhelper::kDialog;
    auto named = [](const HelperProcess& h, int i) { return h.Special(zhelper::kNamedClass, i); };
    const std::vector<HWND> hiddenExpected = {
        helper.Window(0),          helper.Window(1), helper.Special(kDialog), named(helper, 4),
        named(shell, 1),           named(shell, 2),  shell.Special(kDialog),  bar.Window(0),
        impostor.Special(kDialog), notepad.Window()};
    const std::vector<HWND> keptExpected = {named(helper, 0),    named(helper, 1), named(helper, 2),
                                            named(helper, 3),    shell.Window(0),  named(shell, 0),
                                            bar.Special(kDialog)};
    HWND neverShown = helper.Special(zhelper::kHidden);
    ASSERT_THAT(hiddenExpected, Each(Shown()));
    ASSERT_THAT(keptExpected, Each(Shown()));

    WorkingArea area(1);
    area.RecordAndHide();

    EXPECT_TRUE(WaitAllVisible(hiddenExpected, false));
    // Each program has answered after any request it was sent: none is still on its way.
    ASSERT_TRUE(helper.Sync() && bar.Sync() && shell.Sync());
    EXPECT_THAT(keptExpected, Each(Shown()));
    EXPECT_FALSE(IsWindowVisible(neverShown));

    // The snapshot holds the screen as it was before hiding, hidden windows included.
    EXPECT_TRUE(Recorded(area.m_windows, hiddenExpected, true));
    EXPECT_TRUE(Recorded(area.m_windows, keptExpected, true));
    // The two copies differ only in the case of the name.
    const WindowRecord* barDialog = FindRecord(area.m_windows, bar.Special(kDialog));
    const WindowRecord* impostorDialog = FindRecord(area.m_windows, impostor.Special(kDialog));
    ASSERT_TRUE(barDialog && impostorDialog);
    EXPECT_TRUE(std::wstring_view(barDialog->modulePath).ends_with(L"\\Zelvanor.exe"))
        << barDialog->modulePath;
    EXPECT_TRUE(std::wstring_view(impostorDialog->modulePath).ends_with(L"\\zelvanor.exe"))
        << impostorDialog->modulePath;

    EXPECT_TRUE(Recorded(area.m_windows, {neverShown}, false));

    // Coming back shows exactly what was recorded visible, and the area, current again, holds
    // nothing: what its programs hide from now on is theirs.
    area.ShowWindows();
    EXPECT_TRUE(WaitAllVisible(hiddenExpected, true));
    EXPECT_THAT(keptExpected, Each(Shown()));
    ASSERT_TRUE(helper.Sync());
    EXPECT_FALSE(IsWindowVisible(neverShown));
    EXPECT_TRUE(area.m_windows.empty());
}

TEST(AreasWorkingArea, SwitchingShowsWhatTheTargetRecordedAndHidesTheRest) {
    HelperProcess first, second;
    ASSERT_TRUE(second.Start(L"--windows 2 --hidden"));
    WorkingArea areaA(1), areaB(2);

    // Nothing has been recorded yet: entering a new area shows nothing.
    areaB.ShowWindows();
    EXPECT_TRUE(areaB.m_windows.empty());

    // Area B takes the second helper's windows with it; the first helper then opens on A's screen.
    areaB.RecordAndHide();
    const std::vector<HWND> secondWindows = second.Windows();
    ASSERT_TRUE(WaitAllVisible(secondWindows, false));
    ASSERT_TRUE(first.Start(L"--windows 2"));
    const std::vector<HWND> firstWindows = first.Windows();

    areaA.RecordAndHide();
    areaB.ShowWindows();
    EXPECT_TRUE(WaitAllVisible(firstWindows, false));
    EXPECT_TRUE(WaitAllVisible(secondWindows, true));
    ASSERT_TRUE(second.Sync());
    EXPECT_FALSE(IsWindowVisible(second.Special(zhelper::kHidden)));
    // A's snapshot never saw the second helper's windows visible.
    EXPECT_TRUE(Recorded(areaA.m_windows, secondWindows, false));

    areaB.RecordAndHide();
    areaA.ShowWindows();
    EXPECT_TRUE(WaitAllVisible(secondWindows, false));
    EXPECT_TRUE(WaitAllVisible(firstWindows, true));
}

TEST(AreasWorkingArea, MinimisedWindowComesBackMinimised) {
    HelperProcess helper;
    ASSERT_TRUE(helper.Start(L"--windows 1"));
    HWND hwnd = helper.Window(0);
    ShowWindow(hwnd, SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(hwnd) != FALSE; }));
    WorkingArea area(1);
    area.RecordAndHide();
    ASSERT_TRUE(WaitVisible(hwnd, false));

    area.ShowWindows();

    EXPECT_TRUE(WaitVisible(hwnd, true));
    EXPECT_TRUE(IsIconic(hwnd));
}

// This test program is not called Zelvanor.exe, as a renamed download of the program would not
// be: its own windows must stay all the same, dialogs or not.
TEST(AreasWorkingArea, WindowsOfThisProcessAreNeverHiddenWhateverItsName) {
    const UniqueWindow own = OwnWindow(true);
    ASSERT_TRUE(IsWindowVisible(own.get()));
    WorkingArea area(1);

    area.RecordAndHide();
    EXPECT_TRUE(IsWindowVisible(own.get()));
    ASSERT_TRUE(Recorded(area.m_windows, {own.get()}, true));
    EXPECT_FALSE(WorkingArea::HidesWhenLeft(*FindRecord(area.m_windows, own.get())));
}

// A switch must not wait on an application whose UI thread does not answer. The order of events
// proves it: the switch has returned while the helper's hang has not ended yet.
TEST(AreasWorkingArea, SwitchDoesNotWaitOnAHungApplication) {
    HelperProcess hung, other;
    ASSERT_TRUE(other.Start(L"--windows 1"));
    HWND otherWindow = other.Window(0);
    WorkingArea areaA(1), areaB(2);
    areaB.RecordAndHide();
    ASSERT_TRUE(WaitVisible(otherWindow, false));

    ASSERT_TRUE(hung.Start(L"--windows 2"));
    const std::vector<HWND> hungWindows = hung.Windows();
    const UniqueKernelObject hang = hung.Hang(10); // answers, then hangs for 10 s
    ASSERT_TRUE(hang);
    ASSERT_FALSE(Ended(hang));

    areaA.RecordAndHide();
    areaB.ShowWindows();
    EXPECT_FALSE(Ended(hang)) << "the switch waited for the hung application";

    // The hung program's windows were recorded as they were.
    EXPECT_TRUE(Recorded(areaA.m_windows, hungWindows, true));
    EXPECT_THAT(PlainWindowsIn(areaA.m_windows, hung.Pid()), ::testing::IsSupersetOf(hungWindows));
    // The responsive program is served at once, while the other still hangs.
    EXPECT_TRUE(WaitVisible(otherWindow, true));
    EXPECT_FALSE(Ended(hang));

    // Once the hang ends, the queued hides are carried out.
    ASSERT_TRUE(Ended(hang, 60000));
    EXPECT_TRUE(WaitAllVisible(hungWindows, false));
}

// Destroying an area shows what it hid at once, the windows of a hung program as soon as it
// wakes, and never a window that was hidden already when the area was left.
TEST(AreasWorkingArea, DestroyingAnAreaShowsItsWindowsWithoutWaitingOnAHungOne) {
    HelperProcess helper, hung;
    ASSERT_TRUE(helper.Start(L"--windows 3 --hidden"));
    ASSERT_TRUE(hung.Start(L"--windows 2"));
    const std::vector<HWND> windows = helper.Windows();
    const std::vector<HWND> hungWindows = hung.Windows();
    auto area = std::make_unique<WorkingArea>(1);
    area->RecordAndHide();
    ASSERT_TRUE(WaitAllVisible(windows, false));
    ASSERT_TRUE(WaitAllVisible(hungWindows, false));
    const UniqueKernelObject hang = hung.Hang(10);
    ASSERT_TRUE(hang);

    area.reset();
    EXPECT_FALSE(Ended(hang)) << "destroying the area waited for the hung application";
    EXPECT_TRUE(WaitAllVisible(windows, true));
    ASSERT_TRUE(helper.Sync());
    EXPECT_FALSE(IsWindowVisible(helper.Special(zhelper::kHidden)));

    ASSERT_TRUE(Ended(hang, 60000));
    EXPECT_TRUE(WaitAllVisible(hungWindows, true));
}

// A recorded window closes and its handle goes to a hidden window of another program; replaying
// the record must not show the stranger.
TEST(AreasWorkingArea, ReplayDoesNotShowAnotherProgramsWindowThatReusedAHandle) {
    HelperProcess owner, stranger;
    ASSERT_TRUE(owner.Start(L"--windows 2"));
    ASSERT_TRUE(stranger.Start(L""));
    HWND recorded = owner.Window(0);
    HWND survivor = owner.Window(1);
    WorkingArea area(1);
    area.RecordAndHide();
    ASSERT_TRUE(WaitAllVisible({recorded, survivor}, false));
    ASSERT_TRUE(owner.Send(zhelper::kMsgClose, 0));
    ASSERT_FALSE(IsWindow(recorded));

    ASSERT_EQ(reinterpret_cast<HWND>(
                  stranger.Send(zhelper::kMsgReuseHandle, reinterpret_cast<WPARAM>(recorded))),
              recorded)
        << "the helper could not obtain the handle again";
    DWORD pid = 0;
    GetWindowThreadProcessId(recorded, &pid);
    ASSERT_EQ(pid, stranger.Pid());
    ASSERT_FALSE(IsWindowVisible(recorded));

    area.ShowWindows();

    EXPECT_TRUE(WaitVisible(survivor, true));
    ASSERT_TRUE(stranger.Sync()); // anything sent to its windows before this has been handled
    EXPECT_FALSE(IsWindowVisible(recorded));
}

TEST(AreasWorkingArea, ClosedWindowsDoNotDisturbTheReplay) {
    HelperProcess helper;
    ASSERT_TRUE(helper.Start(L"--windows 4"));
    const std::vector<HWND> windows = helper.Windows();
    WorkingArea area(1);
    area.RecordAndHide();
    ASSERT_TRUE(WaitAllVisible(windows, false));
    ASSERT_TRUE(helper.Send(zhelper::kMsgClose, 1));
    ASSERT_TRUE(helper.Send(zhelper::kMsgClose, 3));
    ASSERT_EQ(PlainWindowsIn(area.m_windows, helper.Pid()).size(), 4u);

    area.ShowWindows();

    EXPECT_TRUE(WaitAllVisible({windows[0], windows[2]}, true));
    EXPECT_FALSE(IsWindow(windows[1]));
    EXPECT_FALSE(IsWindow(windows[3]));
    EXPECT_TRUE(area.m_windows.empty());
}

TEST(AreasWorkingArea, EachLeaveReplacesTheSnapshot) {
    HelperProcess helper;
    ASSERT_TRUE(helper.Start(L"--windows 2"));
    HWND w0 = helper.Window(0), w1 = helper.Window(1);
    WorkingArea area(1);
    area.RecordAndHide();
    ASSERT_TRUE(WaitAllVisible({w0, w1}, false));
    area.ShowWindows();
    ASSERT_TRUE(WaitAllVisible({w0, w1}, true));

    ASSERT_TRUE(helper.Send(zhelper::kMsgClose, 0));
    HWND w2 = helper.Window(static_cast<int>(helper.Send(zhelper::kMsgOpen, 1)));
    ASSERT_NE(w2, nullptr);
    area.RecordAndHide();

    EXPECT_TRUE(WaitAllVisible({w1, w2}, false));
    const std::vector<HWND> mine = PlainWindowsIn(area.m_windows, helper.Pid());
    EXPECT_EQ(mine.size(), 2u);
    EXPECT_EQ(FindRecord(area.m_windows, w0), nullptr);
    EXPECT_NE(FindRecord(area.m_windows, w1), nullptr);
    EXPECT_NE(FindRecord(area.m_windows, w2), nullptr);
}

// Windows come and go between switches; at the end every surviving window is back on screen and
// each area showed only its own while it was current.
TEST(AreasWorkingArea, NoWindowIsLostWhileWindowsComeAndGoBetweenSwitches) {
    HelperProcess helper;
    ASSERT_TRUE(helper.Start(L"--windows 6"));
    auto areaA = std::make_unique<WorkingArea>(1);
    auto areaB = std::make_unique<WorkingArea>(2);
    WorkingArea* current = areaA.get();
    WorkingArea* other = areaB.get();
    for (unsigned round = 0; round < 6; ++round) {
        const LRESULT open = helper.Send(zhelper::kMsgChurn, 1000 + round, 8);
        ASSERT_TRUE(helper.Sync()) << "round " << round;
        const std::vector<HWND> onScreen = helper.Windows();
        ASSERT_EQ(onScreen.size(), static_cast<size_t>(open)) << "round " << round;
        // Windows of this process on screen now belong to the area being left.
        std::vector<HWND> visibleNow;
        std::copy_if(onScreen.begin(), onScreen.end(), std::back_inserter(visibleNow),
                     IsWindowVisible);
        current->RecordAndHide();
        other->ShowWindows();
        ASSERT_TRUE(WaitAllVisible(visibleNow, false)) << "round " << round;
        // The area entered shows its own windows that still exist.
        std::vector<HWND> comingBack;
        for (const WindowRecord& record : other->m_windows)
            if (record.processId == helper.Pid() && record.visible && IsWindow(record.hwnd))
                comingBack.push_back(record.hwnd);
        ASSERT_TRUE(WaitAllVisible(comingBack, true)) << "round " << round;
        std::swap(current, other);
    }
    areaA.reset();
    areaB.reset();
    EXPECT_TRUE(WaitAllVisible(helper.Windows(), true));
}

// Wine shows the notification area in a window of its own once an icon is there; hiding it
// would take away the only way back to a hidden bar.
TEST(AreasWorkingArea, LeavingKeepsWinesNotificationAreaOnScreen) {
    const UniqueWindow owner(CreateWindowExW(0, L"STATIC", L"tray-owner", WS_POPUP, 0, 0, 1, 1,
                                             nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(owner);
    NOTIFYICONDATAW nid = {};
    nid.cbSize = sizeof(nid);
    nid.hWnd = owner.get();
    nid.uID = 7;
    nid.uFlags = NIF_ICON;
    nid.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    ASSERT_TRUE(Shell_NotifyIconW(NIM_ADD, &nid));
    HWND tray = nullptr;
    WaitUntil([&] {
        tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
        return tray != nullptr && IsWindowVisible(tray);
    });
    if (tray == nullptr) {
        Shell_NotifyIconW(NIM_DELETE, &nid);
        GTEST_SKIP() << "no stand-alone notification area here (not Wine, or a virtual desktop)";
    }
    {
        WorkingArea area(1);
        area.RecordAndHide();
        // A hide request on another program's window is asynchronous: once its thread has
        // answered a message sent after the leave, any request made has been acted on.
        ASSERT_TRUE(Answers(tray));
        EXPECT_TRUE(IsWindowVisible(tray));
    }
    Shell_NotifyIconW(NIM_DELETE, &nid);
}

// A thread has acted on its requests once it answers a message sent after them. When the window
// asked last has closed, another window of that thread must answer for them: a hung program's
// requests must not count as done at once.
TEST(AreasShowRequests, AClosedWindowLeavesTheOthersOfItsThreadPending) {
    HelperProcess helper;
    ASSERT_TRUE(helper.Start(L"--windows 2"));
    const HWND kept = helper.Window(0);
    const HWND closed = helper.Window(1);
    DWORD processId = 0;
    const DWORD threadId = GetWindowThreadProcessId(kept, &processId);
    ASSERT_TRUE(helper.Send(zhelper::kMsgClose, 1));
    const UniqueKernelObject hang = helper.Hang(3);
    ASSERT_TRUE(hang);

    ShowRequests requests;
    ASSERT_TRUE(ShowWindowAsync(kept, SW_HIDE));
    requests.Queued(kept, processId, threadId, false);
    requests.Queued(closed, processId, threadId, false);
    EXPECT_FALSE(requests.WaitAnswered(300)) << "a hung thread counted as having answered";
    bool asked = true;
    EXPECT_TRUE(requests.PendingNow().Asked(kept, processId, threadId, &asked));
    EXPECT_FALSE(asked);

    ASSERT_TRUE(Ended(hang, 60000));
    EXPECT_TRUE(
        WaitUntil([&] { return !requests.PendingNow().Asked(kept, processId, threadId, &asked); }));
    EXPECT_FALSE(IsWindowVisible(kept));
}

namespace {
// The seam where a hide is requested: one window closes just before its request, as if between
// the snapshot and the hide, and one is refused as an elevated program's would be.
const HelperProcess* g_requested = nullptr;
HWND g_closesFirst = nullptr;
HWND g_refused = nullptr;
BOOL WINAPI RequestLikeWindows(HWND hwnd, int command) {
    if (hwnd == g_refused)
        return FALSE;
    if (hwnd == g_closesFirst)
        g_requested->Send(zhelper::kMsgClose, 2);
    return ShowWindowAsync(hwnd, command);
}
} // namespace

TEST(AreasWorkingArea, AWindowThatCannotBeHiddenStaysOutOfTheAreaAndTheHeldList) {
    HelperProcess helper;
    ASSERT_TRUE(helper.Start(L"--windows 4"));
    const std::vector<HWND> windows = helper.Windows();
    g_requested = &helper;
    g_closesFirst = windows[2];
    g_refused = windows[3];
    WindowKeeper keeper(RequestLikeWindows);
    WorkingArea area(1);
    area.RecordAndHide();
    ASSERT_TRUE(helper.Sync());

    EXPECT_TRUE(NoneVisible({windows[0], windows[1]}));
    EXPECT_FALSE(IsWindow(windows[2]));
    EXPECT_TRUE(IsWindowVisible(windows[3])) << "the refused window is on screen";
    for (HWND hwnd : {windows[2], windows[3]}) {
        const WindowRecord* record = FindRecord(area.m_windows, hwnd);
        ASSERT_NE(record, nullptr);
        EXPECT_FALSE(WorkingArea::HidesWhenLeft(*record)) << "the area holds " << hwnd;
        EXPECT_TRUE(keeper.CannotHide(*record));
    }
    // What a watcher or a crash guard would show: the two hidden windows, nothing else.
    EXPECT_EQ(keeper.ShowListed(), 2);
    EXPECT_TRUE(WaitAllVisible({windows[0], windows[1]}, true));
    g_requested = nullptr;
}
