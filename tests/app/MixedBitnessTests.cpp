// On 64-bit Windows most programs are 64-bit, while the program as specified is 32-bit: each
// build must hide, record, show and at exit restore the windows of a program of the other kind.
// The 32-bit program also tells a 64-bit copy's dialogs for its own.
// Runs in a 64-bit Wine prefix that can also start 32-bit programs, with the i686 build beside
// this one (build/i686 next to build/x86_64).
#include "tests/app/ScratchFolder.h"
#include "tests/helpers/HelperProcess.h"
#include "tests/support/ZelvanorProcess.h"
#include <gtest/gtest.h>

using namespace ztest;

namespace {

std::wstring OtherBuild(const wchar_t* file) {
    return ExeDir() + L"\\..\\..\\i686\\bin\\" + file;
}

void SwitchAwayAndBackThenExit(const std::wstring& program, const std::wstring& helperExe) {
    zhelper::HelperProcess helper;
    ASSERT_TRUE(helper.Start(L"--windows 2", helperExe));
    const std::vector<HWND> windows = helper.Windows();
    ASSERT_EQ(windows.size(), 2u);
    ZelvanorProcess app;
    ASSERT_TRUE(app.Start(program)) << "the bar did not appear";
    ASSERT_TRUE(app.Command(ID_ADD_WORKING_AREA));
    ASSERT_TRUE(app.WaitRows(2));

    ASSERT_TRUE(app.ClickRow(1));
    ASSERT_TRUE(helper.Sync());
    EXPECT_TRUE(WaitAllVisible(windows, false)) << "leaving the first area";
    ASSERT_TRUE(app.ClickRow(0));
    ASSERT_TRUE(helper.Sync());
    EXPECT_TRUE(WaitAllVisible(windows, true)) << "coming back to the first area";
    ASSERT_TRUE(app.ClickRow(1));
    ASSERT_TRUE(helper.Sync());
    ASSERT_TRUE(WaitAllVisible(windows, false));
    ASSERT_TRUE(app.Exit());
    ASSERT_TRUE(helper.Sync());
    EXPECT_TRUE(WaitAllVisible(windows, true)) << "after the exit";
}

// The dialog the copy shows besides its bar, once it is on screen.
HWND WaitDialogOf(const ZelvanorProcess& copy) {
    HWND found = nullptr;
    WaitUntil([&] {
        for (HWND hwnd : TopLevelWindowsOf(copy.Pid())) {
            if (hwnd != copy.Bar() && ClassOf(hwnd) == L"#32770" && IsWindowVisible(hwnd)) {
                found = hwnd;
            }
        }
        return found != nullptr;
    });
    return found;
}

// The 32-bit program finds a 64-bit copy's executable too, so its About box and message boxes
// stay on screen through switches, as the copy's bar does.
void LeavesTheOtherKindsCopyAlone(const std::wstring& program) {
    ZelvanorProcess app, copy;
    ASSERT_TRUE(app.Start(program)) << "the bar did not appear";
    ASSERT_TRUE(app.Command(ID_ADD_WORKING_AREA));
    ASSERT_TRUE(app.WaitRows(2));
    ASSERT_TRUE(copy.Start());
    ASSERT_TRUE(copy.Post(WM_COMMAND, ID_TRAY_ABOUT, 0));
    HWND about = WaitDialogOf(copy);
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(app.ClickRow(1));
    ASSERT_TRUE(app.Answers());
    EXPECT_TRUE(IsWindowVisible(about)) << "the About box was hidden";
    PostMessageW(about, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }));

    ASSERT_TRUE(copy.RowMenu(0, ID_DELETE_WORKING_AREA));
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = copy.MessageBoxWindow()) != nullptr; }));
    ASSERT_TRUE(app.ClickRow(0));
    ASSERT_TRUE(app.Answers());
    EXPECT_TRUE(IsWindowVisible(box)) << "the message box was hidden";
    EXPECT_TRUE(IsWindowVisible(copy.Bar()));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }));
    EXPECT_TRUE(copy.Exit());
    EXPECT_TRUE(app.Exit());
}

} // namespace

TEST(EndToEndMixedBitness, EachBuildHidesShowsAndRestoresTheOtherKindsWindows) {
    if (sizeof(void*) == 4) {
        GTEST_SKIP() << "a 32-bit Wine prefix starts no 64-bit program; the x86_64 suite runs this";
    }
    const std::wstring otherProgram = OtherBuild(L"Zelvanor.exe");
    const std::wstring otherHelper = OtherBuild(L"ZWindowHelper.exe");
    if (!FileExists(otherProgram) || !FileExists(otherHelper)) {
        GTEST_SKIP() << "no i686 build beside this one";
    }
    // Where the machine runs no 32-bit Linux program, 32-bit Wine cannot start, and with it no
    // 32-bit Windows program: the start fails, or the process dies before it runs.
    {
        zhelper::HelperProcess probe;
        if (!probe.Start(L"--windows 0", otherHelper)) {
            ASSERT_TRUE(!probe.Process() ||
                        WaitForSingleObject(probe.Process(), 0) == WAIT_OBJECT_0)
                << "the 32-bit helper runs but never answered";
            GTEST_SKIP() << "this Wine cannot run 32-bit programs";
        }
    }
    // 32-bit program, 64-bit windows; then 64-bit program, 32-bit windows.
    ASSERT_NO_FATAL_FAILURE(SwitchAwayAndBackThenExit(otherProgram, zhelper::HelperPath()));
    ASSERT_NO_FATAL_FAILURE(SwitchAwayAndBackThenExit(ProgramPath(), otherHelper));
    ASSERT_NO_FATAL_FAILURE(LeavesTheOtherKindsCopyAlone(otherProgram));
}
