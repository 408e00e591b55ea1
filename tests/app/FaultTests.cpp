// Faults that would lose a user's windows or strand the program, each provoked for real: a shell
// that forgets the tray icon, a session that ends, a crash, a hung program, a window handle that
// another program reuses, and a rename interrupted by other commands.
#include "tests/app/FakeTray.h"
#include "tests/app/ProcessTree.h"
#include "tests/app/ScratchFolder.h"
#include "tests/support/Session.h"
#include <shellapi.h>
#include <algorithm>
#include <functional>
#include <optional>

using namespace ztest;
using ::testing::Each;

namespace {

class EndToEndFaults : public Session {
protected:
    bool RemoveTrayIconBehindItsBack() const {
        NOTIFYICONDATAW nid{};
        nid.cbSize = sizeof(nid);
        nid.hWnd = app.Bar();
        nid.uID = kTrayIconId;
        return Shell_NotifyIconW(NIM_DELETE, &nid) != FALSE;
    }

    // A case's own folder, removed after the program started from it has ended.
    std::optional<ScratchFolder> folder;
};

} // namespace

TEST_F(EndToEndFaults, TrayIconComesBackWhenTheTaskbarIsCreatedAgainOrTheBarHides) {
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"", .rows = 1}));
    ASSERT_TRUE(app.TrayIconPresent());
    ASSERT_TRUE(RemoveTrayIconBehindItsBack());
    ASSERT_FALSE(app.TrayIconPresent());

    ASSERT_TRUE(app.Post(RegisterWindowMessageW(L"TaskbarCreated")));
    EXPECT_TRUE(app.WaitTrayIcon(true));
    // Announced again while the shell still has it: the icon stays.
    ASSERT_TRUE(app.Sent(RegisterWindowMessageW(L"TaskbarCreated")));
    EXPECT_TRUE(app.TrayIconPresent());
    // And it still leads back to a hidden bar.
    ASSERT_TRUE(app.Command(IDCANCEL));
    ASSERT_TRUE(app.WaitVisible(false));
    ASSERT_TRUE(app.TrayMenu(ID_TRAY_OPEN));
    EXPECT_TRUE(app.WaitVisible(true));

    // Lost again, the icon is added back before the bar hides.
    ASSERT_TRUE(RemoveTrayIconBehindItsBack());
    ASSERT_FALSE(app.TrayIconPresent());
    ASSERT_TRUE(app.Command(IDCANCEL));
    EXPECT_TRUE(app.TrayIconPresent()) << "the bar hid with no way back to it";
    EXPECT_TRUE(app.WaitVisible(false));
    ASSERT_TRUE(app.TrayDoubleClick());
    EXPECT_TRUE(app.Visible());
}

TEST_F(EndToEndFaults, TheBarStaysWhenTheTrayIconCannotBeShown) {
    FakeTray tray;
    ASSERT_TRUE(tray.InCharge());
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"", .rows = 1}));
    tray.Refuse(true); // the shell has lost the icon and takes no new one

    ASSERT_TRUE(app.Command(IDCANCEL));
    ASSERT_TRUE(Answers(app.Bar()));
    EXPECT_TRUE(app.Visible()) << "the bar hid with no icon to bring it back";
    ASSERT_TRUE(app.Sent(WM_SYSCOMMAND, SC_CLOSE));
    EXPECT_TRUE(app.Visible());

    // A shell busy for a moment refuses every call of one attempt: the bar asks again.
    tray.Refuse(false);
    tray.RefuseNext(3);
    ASSERT_TRUE(app.Command(IDCANCEL));
    EXPECT_TRUE(app.WaitVisible(false));
    ASSERT_FALSE(tray.Calls().empty());
    EXPECT_NE(tray.Calls().back().message, static_cast<DWORD>(NIM_DELETE));
}

TEST_F(EndToEndFaults, QueryEndSessionShowsHiddenWindowsACancelHidesThemAndEndSessionShowsThem) {
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"--windows 3 --dialog"}));
    const Windows first = windows + Windows{helper.Special(zhelper::kDialog)};
    ASSERT_TRUE(Switch(1, {}, first));

    LRESULT answer = FALSE;
    ASSERT_TRUE(app.Sent(WM_QUERYENDSESSION, 0, 0, &answer));
    EXPECT_TRUE(answer) << "the program must not stop the session from ending";
    // Requests queued before the answer are handled before this one.
    Sync();
    EXPECT_THAT(first, Each(Shown()));
    EXPECT_TRUE(app.Running());

    // The shutdown is cancelled: the windows go back to their area, and only there.
    ASSERT_TRUE(app.Sent(WM_ENDSESSION, FALSE));
    Sync();
    EXPECT_THAT(first, Each(Hidden())) << "the cancelled shutdown left them on the current screen";
    ASSERT_TRUE(Switch(0, first));
    ASSERT_TRUE(Switch(1, {}, first)) << "the second area took them too";

    // The session ends: they are shown before the answer.
    ASSERT_TRUE(app.Sent(WM_ENDSESSION, TRUE));
    Sync();
    EXPECT_THAT(first, Each(Shown()));
}

// The Restart Manager asks this program alone to close: the session goes on without it.
TEST_F(EndToEndFaults, ACloseRequestOfTheRestartManagerShowsHiddenWindowsAndEndsTheProgram) {
    ASSERT_NO_FATAL_FAILURE(Start({.current = 1}));
    LRESULT answer = FALSE;
    ASSERT_TRUE(app.Sent(WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP, &answer));
    EXPECT_EQ(answer, TRUE);
    ASSERT_TRUE(app.Sent(WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP));
    ASSERT_TRUE(app.WaitEnded(kAnswerMs)) << "the program runs on";
    DWORD code = 1;
    GetExitCodeProcess(app.Process(), &code);
    EXPECT_EQ(code, 0u);
    Sync();
    EXPECT_THAT(windows, Each(Shown()));
}

TEST_F(EndToEndFaults, ACrashShowsTheHiddenWindowsAgain) {
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"--windows 3", .notepad = true}));
    const Windows first = windows + Windows{notepad.Window()};
    ASSERT_TRUE(Switch(1, {}, first));

    // A thread that starts at an address with no code: an access violation nobody handles.
    ASSERT_TRUE(CrashRemotely(app.Process(), ProgramPath(), nullptr));
    ASSERT_TRUE(app.WaitEnded(60000)) << "the program survived the fault";
    DWORD code = 0;
    GetExitCodeProcess(app.Process(), &code);
    EXPECT_NE(code, 0u) << "the program ended normally instead of crashing";
    Sync();
    EXPECT_THAT(first, Each(Shown()));
}

TEST_F(EndToEndFaults, SwitchDoesNotWaitForAProgramThatHangs) {
    ASSERT_NO_FATAL_FAILURE(Start({.other = L"--windows 2 --color 3050C0", .notepad = true}));
    const Windows& hung = windows;
    const Windows responsive = otherWindows + Windows{notepad.Window()};
    const UniqueKernelObject done = helper.Hang(10);
    ASSERT_TRUE(done);
    ASSERT_EQ(WaitForSingleObject(done.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));

    ASSERT_TRUE(app.PostClickRow(1));
    // The switch's effect on the responsive programs, and a bar that answers, come first.
    EXPECT_TRUE(Eventually(responsive, Each(Hidden()), 60000));
    EXPECT_TRUE(Answers(app.Bar(), 60000));
    EXPECT_EQ(WaitForSingleObject(done.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the switch waited for the hung program";

    // Once it answers again, the hung program's windows are hidden as asked.
    ASSERT_EQ(WaitForSingleObject(done.get(), 60000), static_cast<DWORD>(WAIT_OBJECT_0));
    ASSERT_TRUE(helper.Sync());
    EXPECT_THAT(hung, Each(Hidden()));
    ASSERT_TRUE(Switch(0, hung + responsive));
}

TEST_F(EndToEndFaults, AHandleReusedByAnotherProgramIsNeverShown) {
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"--windows 4", .other = L"--windows 0"}));
    ASSERT_TRUE(Switch(1, {}, windows));

    // The first area recorded `closed` as visible; it goes, and another program's hidden window
    // takes over its handle. A program starting meanwhile (the watcher, say) may take the freed
    // slot first: then the next window is tried.
    HWND reused = nullptr;
    size_t tried = 0;
    for (; tried < 2 && !reused; ++tried) {
        HWND closed = windows[tried];
        ASSERT_TRUE(helper.Send(zhelper::kMsgClose, tried));
        ASSERT_FALSE(IsWindow(closed));
        HWND got = reinterpret_cast<HWND>(
            other.Send(zhelper::kMsgReuseHandle, reinterpret_cast<WPARAM>(closed)));
        reused = got == closed ? got : nullptr;
    }
    ASSERT_NE(reused, nullptr) << "the helper could not reuse a handle";
    DWORD owner = 0;
    GetWindowThreadProcessId(reused, &owner);
    ASSERT_EQ(owner, other.Pid());
    ASSERT_THAT(reused, Hidden());

    const Windows kept(windows.begin() + tried, windows.end());
    ASSERT_TRUE(Switch(0, kept));
    EXPECT_THAT(reused, Hidden()) << "another program's hidden window was shown";
    // Leave the first area again and end: the exit shows the first area's old windows only.
    ASSERT_TRUE(Switch(1, {}, kept));
    ASSERT_TRUE(Exit());
    Sync();
    EXPECT_THAT(kept, Each(Shown()));
    EXPECT_THAT(reused, Hidden()) << "another program's hidden window was shown at exit";
}

TEST_F(EndToEndFaults, RenameIsCommittedToItsOwnRowBeforeRightClickAddOrDelete) {
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"", .rows = 3}));
    HWND edit = app.RenameEdit();
    // A right-click on another row: the box is gone by the time its menu shows.
    const auto rightClick = [&] {
        const bool menu =
            app.PostRightClickRow(1) && WaitUntil([&] { return app.OpenMenu() != nullptr; });
        EXPECT_THAT(edit, Hidden()) << "with the other row's menu open";
        return menu && app.CloseMenus();
    };
    const struct {
        int row;
        const wchar_t* name;
        std::function<bool()> interrupt;
        const wchar_t* names; // the rows' names afterwards, from the top
    } steps[] = {
        {0, L"甲", rightClick, L"甲 工作区2 工作区3"},
        {1, L"乙", [&] { return app.TrayMenu(ID_TRAY_ADD_WORKING_AREA); },
         L"甲 乙 工作区3 工作区4"},
        // A delete of another row, chosen from that row's menu.
        {0, L"丙", [&] { return app.RowMenu(2, ID_DELETE_WORKING_AREA); }, L"丙 乙 工作区4"},
        // A delete that reaches the bar while the box is still shown: the renamed row itself
        // goes, and no other row takes its text.
        {1, L"丁", [&] { return app.Command(ID_DELETE_WORKING_AREA); }, L"丙 工作区4"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(::testing::Message() << "renamed to " << step.name);
        ASSERT_TRUE(app.TypeName(step.row, step.name));
        ASSERT_TRUE(step.interrupt());
        const std::wstring expected = step.names;
        EXPECT_TRUE(app.WaitRows(1 + std::count(expected.begin(), expected.end(), L' ')));
        EXPECT_THAT(edit, Hidden());
        std::wstring names;
        for (int row = 0; row < app.Rows(); ++row)
            names += (row ? L" " : L"") + app.NameOf(row);
        EXPECT_EQ(names, expected);
    }
}

// A program whose thread is slow to act must not have its windows filed in the wrong area by a
// switch that follows at once: the next snapshot takes them as what they were asked to be.
TEST_F(EndToEndFaults, BackToBackSwitchesFileASlowProgramsWindowsWhereTheyBelong) {
    ASSERT_NO_FATAL_FAILURE(Start({.other = L"--windows 2 --color 3050C0"}));
    const Windows &slow = windows, &quick = otherWindows;
    const UniqueKernelObject done = helper.Hang(2);
    ASSERT_TRUE(done);
    // A switch returns once every program that answers has acted on it.
    ASSERT_TRUE(app.ClickRow(1));
    EXPECT_THAT(quick, Each(Hidden()));
    ASSERT_TRUE(app.ClickRow(0));
    EXPECT_THAT(quick, Each(Shown()));
    ASSERT_EQ(WaitForSingleObject(done.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the switches waited for the slow program";

    ASSERT_EQ(WaitForSingleObject(done.get(), 60000), static_cast<DWORD>(WAIT_OBJECT_0));
    ASSERT_TRUE(helper.Sync());
    EXPECT_THAT(slow, Each(Shown())) << "hidden and shown again, in that order";
    EXPECT_TRUE(Switch(1, {}, slow + quick))
        << "the second area recorded the slow program's windows";
}

// Enter or Escape hides the bar with the rename box open; a tray add commits the rename then
// too, so that the box does not stay over its row once the bar is shown again.
TEST_F(EndToEndFaults, RenameIsCommittedFromTheTrayWhileTheBarIsHidden) {
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"--windows 1"}));
    ASSERT_TRUE(app.TypeName(0, L"甲"));
    ASSERT_TRUE(app.Command(IDOK));
    ASSERT_TRUE(app.WaitVisible(false));
    ASSERT_TRUE(app.TrayMenu(ID_TRAY_ADD_WORKING_AREA));
    ASSERT_TRUE(app.WaitRows(3));
    ASSERT_TRUE(app.TrayMenu(ID_TRAY_OPEN));
    ASSERT_TRUE(app.WaitVisible(true));
    EXPECT_THAT(app.RenameEdit(), Hidden());
    EXPECT_EQ(app.NameOf(0), L"甲");
    // The row takes clicks again: a switch, not a commit.
    EXPECT_TRUE(Switch(1, {}, windows));
}

// A download saved as "Zelvanor (1).exe" is the same program: it never hides its own bar.
TEST_F(EndToEndFaults, ARenamedProgramNeverHidesItsOwnBar) {
    const std::wstring renamed = folder.emplace(L"renamed").File(L"Zelvanor (1).exe");
    ASSERT_TRUE(CopyFileW(ProgramPath().c_str(), renamed.c_str(), FALSE));
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"", .exe = renamed}));
    for (int row : {1, 0, 1}) {
        ASSERT_TRUE(Switch(row, {})); // the bar stays, row by row
    }
    ASSERT_TRUE(Exit());
}
