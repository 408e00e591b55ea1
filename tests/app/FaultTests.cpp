// Faults that would lose a user's windows or strand the program, each provoked for real: a shell
// that forgets the tray icon, a session that ends, a crash, a hung program, a window handle that
// another program reuses, and a rename interrupted by other commands.
#include "tests/app/FakeTray.h"
#include "tests/app/ScratchFolder.h"
#include "tests/helpers/HelperProcess.h"
#include "tests/support/Notepad.h"
#include "tests/support/ZelvanorProcess.h"
#include <gtest/gtest.h>
#include <shellapi.h>

using namespace ztest;

namespace {

class EndToEndFaults : public ::testing::Test {
protected:
    zhelper::HelperProcess helper;
    zhelper::HelperProcess other;
    Notepad notepad;
    ZelvanorProcess app;

    // Starts the program with two areas and leaves the first, so that its windows are hidden.
    void StartAndLeaveFirstArea(const std::vector<HWND>& windows) {
        ASSERT_TRUE(app.Start());
        ASSERT_TRUE(AllVisible(windows));
        ASSERT_TRUE(app.RowMenu(0, ID_ADD_WORKING_AREA));
        ASSERT_TRUE(app.WaitRows(2));
        ASSERT_TRUE(app.ClickRow(1));
        ASSERT_TRUE(helper.Sync());
        ASSERT_TRUE(NoneVisible(windows));
    }

    bool RemoveTrayIconBehindItsBack() const {
        NOTIFYICONDATAW nid{};
        nid.cbSize = sizeof(nid);
        nid.hWnd = app.Bar();
        nid.uID = kTrayIconId;
        return Shell_NotifyIconW(NIM_DELETE, &nid) != FALSE;
    }
};

} // namespace

TEST_F(EndToEndFaults, TrayIconComesBackWhenTheTaskbarIsCreatedAgain) {
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.TrayIconPresent());
    ASSERT_TRUE(RemoveTrayIconBehindItsBack());
    ASSERT_FALSE(app.TrayIconPresent());

    ASSERT_TRUE(app.Post(RegisterWindowMessageW(L"TaskbarCreated")));
    EXPECT_TRUE(app.WaitTrayIcon(true));
    // Announced again while the shell still has it: the icon stays.
    bool answered = false;
    app.Send(RegisterWindowMessageW(L"TaskbarCreated"), 0, 0, &answered);
    ASSERT_TRUE(answered);
    EXPECT_TRUE(app.TrayIconPresent());
    // And it still leads back to a hidden bar.
    ASSERT_TRUE(app.Command(IDCANCEL));
    ASSERT_TRUE(app.WaitVisible(false));
    ASSERT_TRUE(app.TrayMenu(ID_TRAY_OPEN));
    EXPECT_TRUE(app.WaitVisible(true));
}

TEST_F(EndToEndFaults, HidingTheBarWithoutATrayIconAddsTheIconFirst) {
    ASSERT_TRUE(app.Start());
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
    ASSERT_TRUE(app.Start());
    tray.Refuse(true); // the shell has lost the icon and takes no new one

    ASSERT_TRUE(app.Command(IDCANCEL));
    ASSERT_TRUE(Answers(app.Bar()));
    EXPECT_TRUE(app.Visible()) << "the bar hid with no icon to bring it back";
    bool answered = false;
    app.Send(WM_SYSCOMMAND, SC_CLOSE, 0, &answered);
    ASSERT_TRUE(answered);
    EXPECT_TRUE(app.Visible());

    // A shell busy for a moment refuses every call of one attempt: the bar asks again.
    tray.Refuse(false);
    tray.RefuseNext(3);
    ASSERT_TRUE(app.Command(IDCANCEL));
    EXPECT_TRUE(app.WaitVisible(false));
    ASSERT_FALSE(tray.Calls().empty());
    EXPECT_NE(tray.Calls().back().message, static_cast<DWORD>(NIM_DELETE));
}

TEST_F(EndToEndFaults, QueryEndSessionShowsHiddenWindowsAndACancelHidesThemAgain) {
    ASSERT_TRUE(helper.Start(L"--windows 3 --dialog"));
    const std::vector<HWND> windows = [&] {
        auto w = helper.Windows();
        w.push_back(helper.Special(zhelper::kDialog));
        return w;
    }();
    ASSERT_NO_FATAL_FAILURE(StartAndLeaveFirstArea(windows));

    bool answered = false;
    const LRESULT answer = app.Send(WM_QUERYENDSESSION, 0, 0, &answered);
    ASSERT_TRUE(answered);
    EXPECT_TRUE(answer) << "the program must not stop the session from ending";
    // Requests queued before the answer are handled before this one.
    ASSERT_TRUE(helper.Sync());
    EXPECT_TRUE(AllVisible(windows));
    EXPECT_TRUE(app.Running());

    // The shutdown is cancelled: the windows go back to their area, and only there.
    app.Send(WM_ENDSESSION, FALSE, 0, &answered);
    ASSERT_TRUE(answered);
    ASSERT_TRUE(helper.Sync());
    EXPECT_TRUE(NoneVisible(windows)) << "the cancelled shutdown left them on the current screen";
    ASSERT_TRUE(app.ClickRow(0));
    ASSERT_TRUE(helper.Sync());
    EXPECT_TRUE(AllVisible(windows));
    ASSERT_TRUE(app.ClickRow(1));
    ASSERT_TRUE(helper.Sync());
    EXPECT_TRUE(NoneVisible(windows)) << "the second area took them too";
}

TEST_F(EndToEndFaults, EndSessionShowsHiddenWindowsBeforeItReturns) {
    ASSERT_TRUE(helper.Start(L"--windows 3"));
    const std::vector<HWND> windows = helper.Windows();
    ASSERT_NO_FATAL_FAILURE(StartAndLeaveFirstArea(windows));

    bool answered = false;
    app.Send(WM_ENDSESSION, TRUE, 0, &answered);
    ASSERT_TRUE(answered);
    ASSERT_TRUE(helper.Sync());
    EXPECT_TRUE(AllVisible(windows));
}

// The Restart Manager asks this program alone to close: the session goes on without it.
TEST_F(EndToEndFaults, ACloseRequestOfTheRestartManagerShowsHiddenWindowsAndEndsTheProgram) {
    ASSERT_TRUE(helper.Start(L"--windows 2"));
    const std::vector<HWND> windows = helper.Windows();
    StartAndLeaveFirstArea(windows);

    bool answered = false;
    EXPECT_EQ(app.Send(WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP, &answered), TRUE);
    ASSERT_TRUE(answered);
    app.Send(WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, &answered);
    ASSERT_TRUE(answered);
    ASSERT_TRUE(app.WaitEnded(kAnswerMs)) << "the program runs on";
    DWORD code = 1;
    GetExitCodeProcess(app.Process(), &code);
    EXPECT_EQ(code, 0u);
    ASSERT_TRUE(helper.Sync());
    EXPECT_TRUE(AllVisible(windows));
}

TEST_F(EndToEndFaults, ACrashShowsTheHiddenWindowsAgain) {
    ASSERT_TRUE(helper.Start(L"--windows 3"));
    ASSERT_TRUE(notepad.Start());
    std::vector<HWND> windows = helper.Windows();
    windows.push_back(notepad.Window());
    ASSERT_NO_FATAL_FAILURE(StartAndLeaveFirstArea(windows));
    ASSERT_TRUE(Answers(notepad.Window()));
    ASSERT_TRUE(NoneVisible(windows));

    // A thread that starts at an address with no code: an access violation nobody handles.
    const UniqueKernelObject thread(CreateRemoteThread(app.Process(), nullptr, 0,
                                                       reinterpret_cast<LPTHREAD_START_ROUTINE>(1),
                                                       nullptr, 0, nullptr));
    ASSERT_TRUE(thread);
    ASSERT_TRUE(app.WaitEnded(60000)) << "the program survived the fault";
    DWORD code = 0;
    GetExitCodeProcess(app.Process(), &code);
    EXPECT_NE(code, 0u) << "the program ended normally instead of crashing";

    ASSERT_TRUE(helper.Sync());
    ASSERT_TRUE(Answers(notepad.Window()));
    EXPECT_TRUE(AllVisible(windows));
}

TEST_F(EndToEndFaults, SwitchDoesNotWaitForAProgramThatHangs) {
    ASSERT_TRUE(helper.Start(L"--windows 2"));
    ASSERT_TRUE(other.Start(L"--windows 2 --color 3050C0"));
    ASSERT_TRUE(notepad.Start());
    const std::vector<HWND> hung = helper.Windows();
    std::vector<HWND> responsive = other.Windows();
    responsive.push_back(notepad.Window());
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.RowMenu(0, ID_ADD_WORKING_AREA));
    ASSERT_TRUE(app.WaitRows(2));

    const UniqueKernelObject done = helper.Hang(10);
    ASSERT_TRUE(done);
    ASSERT_EQ(WaitForSingleObject(done.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));

    ASSERT_TRUE(app.Post(WM_LBUTTONDOWN, MK_LBUTTON,
                         MAKELPARAM(BarLayout::kClientWidth / 2, RowMiddle(1))));
    ASSERT_TRUE(app.Post(WM_LBUTTONUP, 0, MAKELPARAM(BarLayout::kClientWidth / 2, RowMiddle(1))));
    // The switch's effect on the responsive programs, and a bar that answers, come first.
    EXPECT_TRUE(WaitUntil([&] { return NoneVisible(responsive); }, 60000));
    EXPECT_TRUE(Answers(app.Bar(), 60000));
    EXPECT_EQ(WaitForSingleObject(done.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the switch waited for the hung program";

    // Once it answers again, the hung program's windows are hidden as asked.
    ASSERT_EQ(WaitForSingleObject(done.get(), 60000), static_cast<DWORD>(WAIT_OBJECT_0));
    ASSERT_TRUE(helper.Sync());
    EXPECT_TRUE(NoneVisible(hung));
    ASSERT_TRUE(app.ClickRow(0));
    ASSERT_TRUE(helper.Sync());
    ASSERT_TRUE(other.Sync());
    ASSERT_TRUE(Answers(notepad.Window()));
    EXPECT_TRUE(AllVisible(hung));
    EXPECT_TRUE(AllVisible(responsive));
}

TEST_F(EndToEndFaults, AHandleReusedByAnotherProgramIsNeverShown) {
    ASSERT_TRUE(helper.Start(L"--windows 4"));
    ASSERT_TRUE(other.Start(L""));
    const std::vector<HWND> windows = helper.Windows();
    ASSERT_NO_FATAL_FAILURE(StartAndLeaveFirstArea(windows));

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
    ASSERT_FALSE(IsWindowVisible(reused));

    const std::vector<HWND> kept(windows.begin() + tried, windows.end());
    ASSERT_TRUE(app.ClickRow(0));
    ASSERT_TRUE(helper.Sync());
    ASSERT_TRUE(other.Sync());
    EXPECT_TRUE(AllVisible(kept));
    EXPECT_FALSE(IsWindowVisible(reused)) << "another program's hidden window was shown";

    // Leave the first area again and end: the exit shows the first area's old windows only.
    ASSERT_TRUE(app.ClickRow(1));
    ASSERT_TRUE(helper.Sync());
    ASSERT_TRUE(NoneVisible(kept));
    ASSERT_TRUE(app.Exit());
    ASSERT_TRUE(helper.Sync());
    ASSERT_TRUE(other.Sync());
    EXPECT_TRUE(AllVisible(kept));
    EXPECT_FALSE(IsWindowVisible(reused)) << "another program's hidden window was shown at exit";
}

TEST_F(EndToEndFaults, RenameIsCommittedToItsOwnRowBeforeRightClickAddOrDelete) {
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.RowMenu(0, ID_ADD_WORKING_AREA));
    ASSERT_TRUE(app.RowMenu(0, ID_ADD_WORKING_AREA));
    ASSERT_TRUE(app.WaitRows(3));
    HWND edit = app.RenameEdit();
    // The box is gone and the rows read, from the top, `names`.
    auto shows = [&](const std::vector<std::wstring>& names) {
        EXPECT_TRUE(app.WaitRows(static_cast<int>(names.size())));
        EXPECT_FALSE(IsWindowVisible(edit));
        for (size_t row = 0; row < names.size(); ++row) {
            EXPECT_EQ(app.NameOf(static_cast<int>(row)), names[row]) << "row " << row;
        }
    };

    // A right-click on another row.
    ASSERT_TRUE(app.TypeName(0, L"甲"));
    ASSERT_TRUE(app.Post(WM_RBUTTONDOWN, MK_RBUTTON,
                         MAKELPARAM(BarLayout::kClientWidth / 2, RowMiddle(1))));
    ASSERT_TRUE(WaitUntil([&] { return app.OpenMenu() != nullptr; }));
    EXPECT_FALSE(IsWindowVisible(edit));
    ASSERT_TRUE(app.CloseMenus());
    shows({L"甲", L"工作区2", L"工作区3"});

    // An add from the tray.
    ASSERT_TRUE(app.TypeName(1, L"乙"));
    ASSERT_TRUE(app.TrayMenu(ID_TRAY_ADD_WORKING_AREA));
    shows({L"甲", L"乙", L"工作区3", L"工作区4"});

    // A delete of another row, chosen from that row's menu.
    ASSERT_TRUE(app.TypeName(0, L"丙"));
    ASSERT_TRUE(app.RowMenu(2, ID_DELETE_WORKING_AREA));
    shows({L"丙", L"乙", L"工作区4"});

    // A delete that reaches the bar while the box is still shown: the renamed row itself goes,
    // and no other row takes its text.
    ASSERT_TRUE(app.TypeName(1, L"丁"));
    ASSERT_TRUE(app.Command(ID_DELETE_WORKING_AREA));
    shows({L"丙", L"工作区4"});
}

// A program whose thread is slow to act must not have its windows filed in the wrong area by a
// switch that follows at once: the next snapshot takes them as what they were asked to be.
TEST_F(EndToEndFaults, BackToBackSwitchesFileASlowProgramsWindowsWhereTheyBelong) {
    ASSERT_TRUE(helper.Start(L"--windows 2"));
    ASSERT_TRUE(other.Start(L"--windows 2 --color 3050C0"));
    const std::vector<HWND> slow = helper.Windows();
    const std::vector<HWND> quick = other.Windows();
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.Command(ID_ADD_WORKING_AREA));
    ASSERT_TRUE(app.WaitRows(2));
    const UniqueKernelObject done = helper.Hang(2);
    ASSERT_TRUE(done);
    ASSERT_TRUE(app.ClickRow(1));
    // A switch returns once every program that answers has acted on it.
    EXPECT_TRUE(NoneVisible(quick));
    ASSERT_TRUE(app.ClickRow(0));
    EXPECT_TRUE(AllVisible(quick));
    ASSERT_EQ(WaitForSingleObject(done.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the switches waited for the slow program";

    ASSERT_EQ(WaitForSingleObject(done.get(), 60000), static_cast<DWORD>(WAIT_OBJECT_0));
    ASSERT_TRUE(helper.Sync());
    EXPECT_TRUE(AllVisible(slow)) << "hidden and shown again, in that order";
    ASSERT_TRUE(app.ClickRow(1));
    ASSERT_TRUE(helper.Sync());
    EXPECT_TRUE(NoneVisible(slow)) << "the second area recorded the slow program's windows";
    EXPECT_TRUE(NoneVisible(quick));
}

// Enter or Escape hides the bar with the rename box open; a tray add commits the rename then
// too, so that the box does not stay over its row once the bar is shown again.
TEST_F(EndToEndFaults, RenameIsCommittedFromTheTrayWhileTheBarIsHidden) {
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.Command(ID_ADD_WORKING_AREA));
    ASSERT_TRUE(app.WaitRows(2));
    ASSERT_TRUE(app.TypeName(0, L"甲"));
    ASSERT_TRUE(app.Command(IDOK));
    ASSERT_TRUE(app.WaitVisible(false));
    ASSERT_TRUE(app.TrayMenu(ID_TRAY_ADD_WORKING_AREA));
    ASSERT_TRUE(app.WaitRows(3));
    ASSERT_TRUE(app.TrayMenu(ID_TRAY_OPEN));
    ASSERT_TRUE(app.WaitVisible(true));
    EXPECT_FALSE(IsWindowVisible(app.RenameEdit()));
    EXPECT_EQ(app.NameOf(0), L"甲");
    // The row takes clicks again: a switch, not a commit.
    ASSERT_TRUE(helper.Start(L"--windows 1"));
    ASSERT_TRUE(app.ClickRow(1));
    ASSERT_TRUE(helper.Sync());
    EXPECT_FALSE(IsWindowVisible(helper.Window(0)));
}

// A download saved as "Zelvanor (1).exe" is the same program: it never hides its own bar.
TEST_F(EndToEndFaults, ARenamedProgramNeverHidesItsOwnBar) {
    ScratchFolder folder(L"renamed");
    const std::wstring renamed = folder.File(L"Zelvanor (1).exe");
    ASSERT_TRUE(CopyFileW(ProgramPath().c_str(), renamed.c_str(), FALSE));
    {
        ZelvanorProcess copy;
        ASSERT_TRUE(copy.Start(renamed));
        ASSERT_TRUE(copy.Command(ID_ADD_WORKING_AREA));
        ASSERT_TRUE(copy.WaitRows(2));
        ASSERT_TRUE(copy.ClickRow(1));
        ASSERT_TRUE(copy.ClickRow(0));
        ASSERT_TRUE(copy.ClickRow(1));
        EXPECT_TRUE(copy.Visible());
        ASSERT_TRUE(copy.Exit());
    }
}
