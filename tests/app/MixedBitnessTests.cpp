// On 64-bit Windows most programs are 64-bit, while the program as specified is 32-bit: each
// build must hide, record, show and at exit restore the windows of a program of the other kind.
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
}
