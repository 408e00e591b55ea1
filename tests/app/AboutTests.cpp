// The About box as the real program opens it: from the tray menu's command and from the bar's
// system menu (whose low four bits do not matter), centred on the primary screen, and ended by
// its button, Escape or a close request while the program goes on running; and drawn by the skin
// alone under desktop composition.
#include "tests/app/ScratchFolder.h"
#include "tests/app/StandInDwmapi.h"
#include "tests/support/ZelvanorProcess.h"
#include <gtest/gtest.h>

using namespace ztest;

namespace {

// The About box is the program's other dialog, owned by the bar.
HWND FindAbout(const ZelvanorProcess& app) {
    for (HWND hwnd : TopLevelWindowsOf(app.Pid())) {
        if (hwnd != app.Bar() && ClassOf(hwnd) == L"#32770" && IsWindowVisible(hwnd) &&
            GetWindow(hwnd, GW_OWNER) == app.Bar()) {
            return hwnd;
        }
    }
    return nullptr;
}

HWND WaitAbout(const ZelvanorProcess& app) {
    HWND about = nullptr;
    WaitUntil([&] {
        about = FindAbout(app);
        return about != nullptr;
    });
    return about;
}

} // namespace

TEST(EndToEndAbout, OpensFromTrayAndSystemCommandsCentredAndEndsEachWay) {
    ZelvanorProcess app;
    ASSERT_TRUE(app.Start());
    struct Way {
        const char* name;
        UINT message;
        WPARAM command;
        UINT endMessage; // how the user ends it this time
        WPARAM endArgument;
    };
    const Way ways[] = {
        {"tray About, ended by its button", WM_COMMAND, ID_TRAY_ABOUT, BM_CLICK, 0},
        {"system command, ended by Escape", WM_SYSCOMMAND, IDM_ABOUTBOX, WM_COMMAND, IDCANCEL},
        {"system command + 1, ended by a close request", WM_SYSCOMMAND, IDM_ABOUTBOX | 1, WM_CLOSE,
         0},
        {"system command + 15, ended by Enter", WM_SYSCOMMAND, IDM_ABOUTBOX | 15, WM_COMMAND, IDOK},
    };
    const int cx = GetSystemMetrics(SM_CXSCREEN);
    const int cy = GetSystemMetrics(SM_CYSCREEN);
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        // The handlers run the box modally, so the request is posted, not sent.
        ASSERT_TRUE(app.Post(way.message, way.command, 0));
        HWND about = WaitAbout(app);
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(TitleOf(about), L"Zelvanor");
        RECT rect;
        GetWindowRect(about, &rect);
        const int width = rect.right - rect.left;
        const int height = rect.bottom - rect.top;
        EXPECT_EQ(rect.left, (cx - width) / 2);
        EXPECT_EQ(rect.top, (cy - height) / 2);

        if (way.endMessage == BM_CLICK)
            PostMessageW(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
        else
            PostMessageW(about, way.endMessage, way.endArgument, 0);
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
TEST(EndToEndAbout, SkinnedWindowsTurnOffDwmFramesWithDwmapiFromTheSystemFolderOnly) {
    StandInDwmapi dwm;
    ASSERT_TRUE(dwm.Ok()) << "the stand-in dwmapi.dll could not be put in the system folder";
    ScratchFolder folder(L"planted-dwmapi");
    const std::wstring program = folder.File(L"Zelvanor.exe");
    ASSERT_TRUE(CopyFileW(ProgramPath().c_str(), program.c_str(), FALSE));
    ASSERT_TRUE(
        CopyFileW(StandInDwmapi::Built().c_str(), folder.File(L"dwmapi.dll").c_str(), FALSE));
    {
        ZelvanorProcess app;
        ASSERT_TRUE(app.Start(program));
        ASSERT_TRUE(app.Post(WM_COMMAND, ID_TRAY_ABOUT, 0));
        HWND about = WaitAbout(app);
        ASSERT_NE(about, nullptr);
        constexpr unsigned kNcRenderingPolicy = 2; // DWMWA_NCRENDERING_POLICY
        constexpr int kDisabled = 1;               // DWMNCRP_DISABLED
        for (HWND hwnd : {about, app.Bar()}) {
            int policy = -1;
            EXPECT_TRUE(StandInDwmapi::AttributeSet(hwnd, kNcRenderingPolicy, &policy)) << hwnd;
            EXPECT_EQ(policy, kDisabled) << hwnd;
        }
        PostMessageW(about, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
        EXPECT_TRUE(app.Exit());
    }
    EXPECT_TRUE(dwm.LoadedFromSystemFolder()) << "the stand-in never ran: the test proves nothing";
    EXPECT_FALSE(FileExists(folder.File(StandInDwmapi::MarkerName())))
        << "the dwmapi.dll beside the program was loaded";
}
