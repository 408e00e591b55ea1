// The About box as the real program opens it: from the tray menu's command and from the bar's
// system menu (whose low four bits do not matter), centred on the primary screen, and ended by
// its button, Escape or a close request while the program goes on running; and drawn by the skin
// alone under desktop composition.
#include "tests/app/ScratchFolder.h"
#include "tests/app/StandInDwmapi.h"
#include "tests/support/Session.h"
#include <optional>

using namespace ztest;

namespace {

// The stand-in dwmapi.dll and a copy of the program outlive the program, which holds their files.
class EndToEndAbout : public Session {
protected:
    std::optional<StandInDwmapi> dwm;
    std::optional<ScratchFolder> folder;
};

} // namespace

TEST_F(EndToEndAbout, OpensFromTrayAndSystemCommandsCentredAndEndsEachWay) {
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"", .rows = 1}));
    const struct {
        const char* name;
        UINT message;
        WPARAM command;
        UINT endMessage; // how the user ends it this time
        WPARAM endArgument;
    } ways[] = {
        {"tray About, ended by its button", WM_COMMAND, ID_TRAY_ABOUT, BM_CLICK, 0},
        {"system command, ended by Escape", WM_SYSCOMMAND, IDM_ABOUTBOX, WM_COMMAND, IDCANCEL},
        {"system command + 1, ended by a close request", WM_SYSCOMMAND, IDM_ABOUTBOX | 1, WM_CLOSE,
         0},
        {"system command + 15, ended by Enter", WM_SYSCOMMAND, IDM_ABOUTBOX | 15, WM_COMMAND, IDOK},
    };
    const int cx = GetSystemMetrics(SM_CXSCREEN);
    const int cy = GetSystemMetrics(SM_CYSCREEN);
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        // The handlers run the box modally, so the request is posted, not sent.
        ASSERT_TRUE(app.Post(way.message, way.command, 0));
        const HWND about = app.WaitDialog();
        ASSERT_TRUE(about);
        EXPECT_EQ(GetWindow(about, GW_OWNER), app.Bar());
        EXPECT_EQ(TitleOf(about), L"Zelvanor");
        const RECT rect = WindowRect(about);
        EXPECT_EQ(rect.left, (cx - (rect.right - rect.left)) / 2);
        EXPECT_EQ(rect.top, (cy - (rect.bottom - rect.top)) / 2);

        PostMessageW(way.endMessage == BM_CLICK ? GetDlgItem(about, IDOK) : about, way.endMessage,
                     way.endArgument, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
        // The bar is free again and the program runs on.
        EXPECT_TRUE(app.Answers());
        EXPECT_TRUE(app.Running());
        EXPECT_TRUE(app.Visible());
    }
}

// Under desktop composition DWM would draw its frame over the skin's: the skinned windows turn
// its non-client rendering off. dwmapi comes from the system folder alone, never from beside
// the program, whose folder holds a copy that would leave its file there if it ran.
TEST_F(EndToEndAbout, SkinnedWindowsTurnOffDwmFramesWithDwmapiFromTheSystemFolderOnly) {
    ASSERT_TRUE(dwm.emplace().Ok())
        << "the stand-in dwmapi.dll could not be put in the system folder";
    const std::wstring program = folder.emplace(L"planted-dwmapi").File(L"Zelvanor.exe");
    ASSERT_TRUE(CopyFileW(ProgramPath().c_str(), program.c_str(), FALSE));
    ASSERT_TRUE(
        CopyFileW(StandInDwmapi::Built().c_str(), folder->File(L"dwmapi.dll").c_str(), FALSE));
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"", .rows = 1, .exe = program}));
    ASSERT_TRUE(app.Post(WM_COMMAND, ID_TRAY_ABOUT, 0));
    const HWND about = app.WaitDialog();
    ASSERT_TRUE(about);
    constexpr unsigned kNcRenderingPolicy = 2; // DWMWA_NCRENDERING_POLICY
    constexpr int kDisabled = 1;               // DWMNCRP_DISABLED
    for (HWND hwnd : {about, app.Bar()}) {
        int policy = -1;
        EXPECT_TRUE(StandInDwmapi::AttributeSet(hwnd, kNcRenderingPolicy, &policy)) << hwnd;
        EXPECT_EQ(policy, kDisabled) << hwnd;
    }
    PostMessageW(about, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
    EXPECT_TRUE(Exit());
    EXPECT_TRUE(dwm->LoadedFromSystemFolder()) << "the stand-in never ran: the test proves nothing";
    EXPECT_FALSE(FileExists(folder->File(StandInDwmapi::MarkerName())))
        << "the dwmapi.dll beside the program was loaded";
}
