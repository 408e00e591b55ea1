// Pictures of the bar for the documentation, taken from the screen as a user sees the real
// program: bar.bmp (four areas, the second current, the pointer over the third), bar-folded.bmp,
// bar-renamed.bmp and bar-tooltip.bmp (the first row's tooltip listing the windows its area
// holds), and english-bar-menu.bmp and english-tray-menu.bmp (the menus with the English
// resource library), written to the folder named on the command line. With --dpi only the first,
// as bar-<dpi>dpi.bmp; with --monitors it shows two monitors with the bar docked to the second
// one's right edge, says "ready" and waits for the script's picture.
// tools/screenshots.sh runs it and turns the pictures into PNG files.
#include "tests/helpers/HelperProcess.h"
#include "tests/bar/MonitorLayout.h"
#include "tests/support/Notepad.h"
#include "tests/support/ZelvanorProcess.h"
#include <algorithm>
#include <cstdio>

using namespace ztest;
using namespace BarLayout;

namespace {

bool Shoot(const RECT& area, const std::wstring& folder, const wchar_t* name) {
    PumpFor(500); // the last drawing reaches the screen
    const std::wstring path = folder + L"\\" + name + L".bmp";
    const bool saved = SaveBitmapFile(CaptureScreen(area), path);
    std::fwprintf(saved ? stdout : stderr, L"%ls %ls\n", saved ? L"wrote" : L"cannot write",
                  path.c_str());
    return saved;
}

// Both rectangles with a margin of the desktop round them.
RECT Around(const RECT& a, const RECT& b) {
    return RECT{std::min(a.left, b.left) - 8, std::min(a.top, b.top) - 8,
                std::max(a.right, b.right) + 8, std::max(a.bottom, b.bottom) + 8};
}

int Fail(const wchar_t* what) {
    std::fwprintf(stderr, L"BarShots: %ls\n", what);
    return 1;
}

// The bar docked to the second monitor's right edge, for the script's picture of both.
int ShootMonitors(const std::wstring& folder) {
    const std::vector<RECT> monitors = MonitorLayout::Monitors();
    if (monitors.size() < 2)
        return Fail(L"--monitors needs two monitors");
    ZelvanorProcess bar;
    if (!bar.Start() || !bar.AddAreasUpTo(3))
        return Fail(L"the bar did not come up with three areas");
    const RECT& second = monitors[1];
    const RECT r = bar.WindowRect();
    bar.MoveTo(second.right - (r.right - r.left) - 2, second.top + 120);
    // The screen DC of this Wine shows only the primary monitor: the script takes the picture
    // of the whole X screen, and says so by making the file "taken".
    PumpFor(500);
    std::fwprintf(stdout, L"ready\n");
    std::fflush(stdout);
    const std::wstring taken = folder + L"\\taken";
    const int status =
        WaitUntil([&] { return GetFileAttributesW(taken.c_str()) != INVALID_FILE_ATTRIBUTES; })
            ? 0
            : Fail(L"no picture was taken");
    bar.Stop();
    return status;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2 || argc > 3)
        return Fail(L"usage: BarShots <output folder> [--dpi | --monitors]");
    const std::wstring folder = argv[1];
    const std::wstring mode = argc == 3 ? argv[2] : L"";
    ParkCursor();
    if (mode == L"--monitors")
        return ShootMonitors(folder);
    // Two programs on screen at start-up: the first area's, hidden once the second is current.
    Notepad notepad;
    zhelper::HelperProcess helper;
    if (!notepad.Start() || !helper.Start(L"--windows 2"))
        return Fail(L"the other programs did not start");
    ZelvanorProcess bar;
    if (!bar.Start() || !bar.AddAreasUpTo(4))
        return Fail(L"the bar did not come up with four areas");
    // The second area becomes current.
    if (!bar.ClickRow(1))
        return Fail(L"the bar did not take the click");
    MoveCursor(bar.ToScreen(Layout().clientWidth / 2, RowMiddle(2)));
    const std::wstring first =
        mode == L"--dpi" ? L"bar-" + std::to_wstring(ScreenDpi()) + L"dpi" : L"bar";
    if (!Shoot(bar.WindowRect(), folder, first.c_str()))
        return 1;
    ParkCursor();
    if (mode == L"--dpi") {
        bar.Stop();
        return 0;
    }

    bar.Click(CollapseButtonX(bar.ClientSize().cx), kButtonY);
    if (!WaitUntil([&] { return bar.ClientSize().cx < kClientWidth; }))
        return Fail(L"the bar did not fold");
    if (!Shoot(bar.WindowRect(), folder, L"bar-folded"))
        return 1;

    bar.Click(CollapseButtonX(bar.ClientSize().cx), kButtonY);
    if (!WaitUntil([&] { return bar.ClientSize().cx == kClientWidth; }))
        return Fail(L"the bar did not unfold");
    if (!bar.Rename(3, L"邮件 Mail"))
        return Fail(L"the rename did not go through");
    if (!Shoot(bar.WindowRect(), folder, L"bar-renamed"))
        return 1;

    MoveCursor(bar.ToScreen(kClientWidth / 2, RowMiddle(0)));
    const HWND tip = WaitVisibleWindowOf(bar.Pid(), L"tooltips_class32");
    if (!tip)
        return Fail(L"no tooltip over the first row");
    const RECT barRect = bar.WindowRect();
    const RECT tipRect = WindowRect(tip);
    const RECT both{std::min(barRect.left, tipRect.left) - 8,
                    std::min(barRect.top, tipRect.top) - 8, std::max(barRect.right, tipRect.right),
                    std::max(barRect.bottom, tipRect.bottom) + 8};
    if (!Shoot(both, folder, L"bar-tooltip"))
        return 1;
    ParkCursor();
    bar.Stop();

    // The English face: a copy of the program with the English library beside it, its bar's
    // menu open over the second row, then its tray menu.
    const std::wstring english = folder + L"\\english";
    CreateDirectoryW(english.c_str(), nullptr);
    if (!CopyFileW(ProgramPath().c_str(), (english + L"\\Zelvanor.exe").c_str(), FALSE) ||
        !CopyFileW((ExeDir() + L"\\english\\qorv.dll").c_str(), (english + L"\\qorv.dll").c_str(),
                   FALSE)) {
        return Fail(L"cannot copy the program and its English library");
    }
    ZelvanorProcess englishBar;
    if (!englishBar.Start(english + L"\\Zelvanor.exe") || !englishBar.AddAreasUpTo(3))
        return Fail(L"the English bar did not come up with three areas");
    englishBar.Post(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(kClientWidth / 2, RowMiddle(1)));
    if (!WaitUntil([&] { return englishBar.OpenMenu() != nullptr; }) ||
        !Shoot(Around(englishBar.WindowRect(), WindowRect(englishBar.OpenMenu())), folder,
               L"english-bar-menu") ||
        !englishBar.CloseMenus()) {
        return Fail(L"no picture of the English bar menu");
    }
    // The tray menu opens at the pointer, left of the bar.
    MoveCursor(englishBar.ToScreen(-240, kTitleHeight));
    englishBar.Post(WM_TRAY_NOTIFY, kTrayIconId, WM_RBUTTONUP);
    if (!WaitUntil([&] { return englishBar.OpenMenu() != nullptr; }) ||
        !Shoot(Around(WindowRect(englishBar.OpenMenu()), WindowRect(englishBar.OpenMenu())), folder,
               L"english-tray-menu") ||
        !englishBar.CloseMenus()) {
        return Fail(L"no picture of the English tray menu");
    }
    ParkCursor();
    englishBar.Stop();
    return 0;
}
