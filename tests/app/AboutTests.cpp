// The About box as the real program opens it: from the tray menu's command and from the bar's
// system menu (whose low four bits do not matter), centred on the primary screen, and ended by
// its button, Escape or a close request while the program goes on running.
#include "E2ESupport.h"
#include <gtest/gtest.h>

namespace {

// The About box is the program's other dialog, owned by the bar.
HWND FindAbout(const e2e::ZelvanorProcess& app) {
    for (HWND hwnd : e2e::TopLevelWindowsOf(app.Pid())) {
        if (hwnd != app.Bar() && e2e::ClassOf(hwnd) == L"#32770" && IsWindowVisible(hwnd) &&
            GetWindow(hwnd, GW_OWNER) == app.Bar()) {
            return hwnd;
        }
    }
    return nullptr;
}

HWND WaitAbout(const e2e::ZelvanorProcess& app) {
    HWND about = nullptr;
    e2e::WaitUntil([&] {
        about = FindAbout(app);
        return about != nullptr;
    });
    return about;
}

} // namespace

TEST(EndToEndAbout, OpensFromTrayAndSystemCommandsCentredAndEndsEachWay) {
    e2e::ZelvanorProcess app;
    ASSERT_TRUE(app.Start());
    struct Way {
        const char* name;
        UINT message;
        WPARAM command;
        UINT endMessage; // how the user ends it this time
        WPARAM endArgument;
    };
    const Way ways[] = {
        {"tray About, ended by its button", WM_COMMAND, 32775, BM_CLICK, 0},
        {"system command 16, ended by Escape", WM_SYSCOMMAND, 16, WM_COMMAND, IDCANCEL},
        {"system command 17, ended by a close request", WM_SYSCOMMAND, 17, WM_CLOSE, 0},
        {"system command 31, ended by Enter", WM_SYSCOMMAND, 31, WM_COMMAND, IDOK},
    };
    const int cx = GetSystemMetrics(SM_CXSCREEN);
    const int cy = GetSystemMetrics(SM_CYSCREEN);
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        // The handlers run the box modally, so the request is posted, not sent.
        ASSERT_TRUE(app.Post(way.message, way.command, 0));
        HWND about = WaitAbout(app);
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(e2e::TitleOf(about), L"Zelvanor");
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
        EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindow(about); }));
        // The bar is free again and the program runs on.
        EXPECT_TRUE(e2e::Answers(app.Bar()));
        EXPECT_TRUE(app.Running());
        EXPECT_TRUE(app.Visible());
    }
}
