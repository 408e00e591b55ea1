// On 64-bit Windows most programs are 64-bit, while the program is built 32-bit: each
// build must hide, record, show and at exit restore the windows of a program of the other kind.
// The 32-bit program also tells a 64-bit copy's dialogs for its own.
// Runs in a 64-bit Wine prefix that can also start 32-bit programs, with the i686 build beside
// this one (build/i686 next to build/x86_64).
#include "tests/app/ScratchFolder.h"
#include "tests/support/Session.h"
#include <utility>

using namespace ztest;
using ::testing::Each;

namespace {

std::wstring OtherBuild(const wchar_t* file) {
    return ExeDir() + L"\\..\\..\\i686\\bin\\" + file;
}

class EndToEndMixedBitness : public Session {
protected:
    void SetUp() override {
        if (sizeof(void*) == 4) {
            GTEST_SKIP() << "a 32-bit Wine prefix starts no 64-bit program; the x86_64 suite runs "
                            "this";
        }
        if (!FileExists(otherProgram) || !FileExists(otherHelper)) {
            GTEST_SKIP() << "no i686 build beside this one";
        }
        // Where the machine runs no 32-bit Linux program, 32-bit Wine cannot start, and with it
        // no 32-bit Windows program: the start fails, or the process dies before it runs.
        zhelper::HelperProcess probe;
        if (!probe.Start(L"--windows 0", otherHelper)) {
            ASSERT_TRUE(!probe.Process() ||
                        WaitForSingleObject(probe.Process(), 0) == WAIT_OBJECT_0)
                << "the 32-bit helper runs but never answered";
            GTEST_SKIP() << "this Wine cannot run 32-bit programs";
        }
    }

    const std::wstring otherProgram = OtherBuild(L"Zelvanor.exe");
    const std::wstring otherHelper = OtherBuild(L"ZWindowHelper.exe");
};

} // namespace

TEST_F(EndToEndMixedBitness, EachBuildHidesShowsAndRestoresTheOtherKindsWindows) {
    // 32-bit program, 64-bit windows; then 64-bit program, 32-bit windows.
    for (const auto& [program, helperExe] :
         {std::pair{otherProgram, zhelper::HelperPath()}, std::pair{ProgramPath(), otherHelper}}) {
        SCOPED_TRACE(::testing::Message() << "the program " << program.c_str());
        ASSERT_TRUE(helper.Start(L"--windows 2", helperExe));
        windows = helper.Windows();
        ASSERT_EQ(windows.size(), 2u);
        ASSERT_NO_FATAL_FAILURE(Start({.helper = L"", .current = 1, .exe = program}));
        EXPECT_TRUE(Switch(0, windows)) << "coming back to the first area";
        ASSERT_TRUE(Switch(1, {}, windows));
        ASSERT_TRUE(Exit());
        Sync();
        EXPECT_TRUE(Eventually(windows, Each(Shown()))) << "after the exit";
    }
}

// The 32-bit program finds a 64-bit copy's executable too, so its About box and message boxes
// stay on screen through switches, as the copy's bar does.
TEST_F(EndToEndMixedBitness, The32BitProgramLeavesA64BitCopysDialogsAlone) {
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"--windows 1", .exe = otherProgram}));
    ZelvanorProcess copy;
    ASSERT_TRUE(copy.Start());
    ASSERT_TRUE(copy.MoveTo(0, 0)); // its bar and boxes away from the bar whose rows are read
    ASSERT_TRUE(copy.Post(WM_COMMAND, ID_TRAY_ABOUT, 0));
    HWND about = WaitVisibleWindowOf(copy.Pid(), L"#32770", copy.Bar());
    ASSERT_NE(about, nullptr);
    // The switch hides the helper's window, and has been acted on by the copy once it answers.
    ASSERT_TRUE(Switch(1, {}, windows));
    ASSERT_TRUE(Answers(about));
    EXPECT_THAT(about, Shown()) << "the About box was hidden";
    PostMessageW(about, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }));

    ASSERT_TRUE(copy.RowMenu(0, ID_DELETE_WORKING_AREA));
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = copy.MessageBoxWindow()) != nullptr; }));
    ASSERT_TRUE(Switch(0, windows));
    ASSERT_TRUE(Answers(box));
    EXPECT_THAT(box, Shown()) << "the message box was hidden";
    EXPECT_THAT(copy.Bar(), Shown());
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }));
    EXPECT_TRUE(copy.Exit());
    EXPECT_TRUE(Exit());
}
