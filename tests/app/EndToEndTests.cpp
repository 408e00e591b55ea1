// The real program from start to exit: the bar on screen, the list commands from the bar's and the
// tray's menus, switching between working areas with other programs' windows, hiding and showing
// the bar, and the exit that brings every hidden window back.
#include "tests/app/FakeTray.h"
#include "tests/support/Session.h"

using namespace ztest;
using namespace BarLayout;

namespace {

using EndToEnd = Session;
using ::testing::Each;

// The helper's windows' colour shows at a point of the screen.
bool HelperShowsAt(LONG x, LONG y) {
    return CaptureScreen(RECT{x, y, x + 1, y + 1}).Count(RGB(0x1E, 0x9A, 0x5A)) == 1;
}

} // namespace

TEST_F(EndToEnd, StartsAsATopmostBarDockedRightWithOneAreaAndATrayIcon) {
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"--windows 1", .rows = 1}));
    HWND bar = app.Bar();

    EXPECT_TRUE(IsWindowVisible(bar));
    EXPECT_TRUE(GetWindowLongPtrW(bar, GWL_EXSTYLE) & WS_EX_TOPMOST);
    const SIZE client = app.ClientSize();
    EXPECT_EQ(client.cx, kClientWidth);
    EXPECT_EQ(client.cy, ClientHeightFor(1));

    // Against the right screen edge, or against a taskbar lying along it.
    const RECT rc = app.WindowRect();
    const int cx = GetSystemMetrics(SM_CXSCREEN);
    int right = cx;
    RECT taskbar{};
    if (HWND tray = FindWindowW(L"Shell_TrayWnd", L"");
        tray && GetWindowRect(tray, &taskbar) && taskbar.left > 0 && taskbar.right == cx) {
        right = taskbar.left;
    }
    EXPECT_EQ(rc.right, right);
    // Vertically centred on the work area.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(bar, MONITOR_DEFAULTTONEAREST), &monitor);
    const int height = rc.bottom - rc.top;
    const int centredTop = (monitor.rcWork.top + monitor.rcWork.bottom) / 2 - height / 2;
    EXPECT_NEAR(rc.top, centredTop, 1);

    EXPECT_TRUE(app.TrayIconPresent());
    EXPECT_EQ(app.Rows(), 1);
    EXPECT_EQ(app.NameOf(0), L"工作区1");

    // Another program's active window moved over the bar does not cover it. The reference is
    // the bar as painted, once two pictures agree: the window system shows paints in its own time.
    const Image before = SteadyCapture(rc);
    ASSERT_FALSE(before.Empty());
    HWND over = windows[0];
    ASSERT_TRUE(SetWindowPos(over, HWND_TOP, rc.left - 40, rc.top - 20, 300, 200, 0));
    SetForegroundWindow(over);
    ASSERT_TRUE(helper.Sync());
    ASSERT_TRUE(WaitUntil([&] { return WindowRect(over).left == rc.left - 40; }));
    ASSERT_TRUE(Answers(bar));
    // It is really there, beside and under the bar.
    EXPECT_TRUE(WaitUntil([&] { return HelperShowsAt(rc.left - 20, rc.top + 60); }))
        << "the other window is not on screen";
    // Exposed parts are repainted at the window system's pace: wait for the bar's own pixels.
    int differing = 0;
    EXPECT_TRUE(WaitUntil([&] {
        differing = Compare(before, CaptureScreen(rc), 0).count;
        return differing >= 0 && differing < before.width * before.height / 50;
    })) << "the bar is covered by another window: "
        << differing << " pixels differ";
}

TEST_F(EndToEnd, AddsFromBothMenusDeletesTheClickedRowAndNeverReusesANumber) {
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"", .rows = 1}));
    const RECT start = app.WindowRect();

    ASSERT_TRUE(app.RowMenu(0, ID_ADD_WORKING_AREA));
    ASSERT_TRUE(app.TrayMenu(ID_TRAY_ADD_WORKING_AREA));
    ASSERT_TRUE(app.WaitRows(3));
    const RECT grown = app.WindowRect();
    EXPECT_EQ(grown.top, start.top);
    EXPECT_EQ(grown.left, start.left);
    EXPECT_EQ(grown.bottom - grown.top, start.bottom - start.top + 2 * kRowHeight);
    EXPECT_EQ(app.ClientSize().cx, kClientWidth);
    EXPECT_EQ(app.NameOf(1), L"工作区2");
    EXPECT_EQ(app.NameOf(2), L"工作区3");

    // The menu's delete acts on the row that was right-clicked.
    ASSERT_TRUE(app.RowMenu(1, ID_DELETE_WORKING_AREA));
    ASSERT_TRUE(app.WaitRows(2));
    EXPECT_EQ(app.NameOf(0), L"工作区1");
    EXPECT_EQ(app.NameOf(1), L"工作区3");

    ASSERT_TRUE(app.Command(ID_TRAY_ADD_WORKING_AREA));
    ASSERT_TRUE(app.WaitRows(3));
    EXPECT_EQ(app.NameOf(2), L"工作区4");
    EXPECT_TRUE(RowLooksCurrent(0));
}

TEST_F(EndToEnd, DeletingTheLastAreaIsRefusedWithAMessageBox) {
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"", .rows = 1}));
    ASSERT_TRUE(app.RowMenu(0, ID_DELETE_WORKING_AREA));
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = app.MessageBoxWindow()) != nullptr; }));
    EXPECT_EQ(TitleOf(box), L"Zelvanor");
    EXPECT_EQ(TextOf(GetDlgItem(box, 0xFFFF)), L"Can't delete the last zelvanor.");
    EXPECT_EQ(GetWindow(box, GW_OWNER), app.Bar());

    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }));
    EXPECT_EQ(app.Rows(), 1);
    EXPECT_EQ(app.NameOf(0), L"工作区1");
    EXPECT_TRUE(app.Visible());
}

TEST_F(EndToEnd, RenameShowsTheBoxOverTheRowAndAClickCommitsWithoutSwitching) {
    ASSERT_NO_FATAL_FAILURE(Start({.rows = 3}));

    // The box takes the row's place as the row was last drawn, and a user renames a row that
    // they see: the new rows are drawn first.
    Repaint(app.Bar());
    ASSERT_TRUE(app.StartRename(1));
    HWND edit = app.RenameEdit();
    EXPECT_EQ(TextOf(edit), L"工作区2");
    RECT box{};
    GetWindowRect(edit, &box);
    MapWindowPoints(nullptr, app.Bar(), reinterpret_cast<POINT*>(&box), 2);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, RowTop(1));
    EXPECT_EQ(box.right, kClientWidth);
    EXPECT_EQ(box.bottom, RowTop(2));

    ASSERT_TRUE(app.SetEditText(L"项目甲"));
    ASSERT_TRUE(app.ClickRow(2)); // only ends the rename
    EXPECT_FALSE(IsWindowVisible(edit));
    Sync();
    EXPECT_THAT(windows, Each(Shown())) << "the click that ended the rename switched areas";
    EXPECT_TRUE(RowLooksCurrent(0));

    EXPECT_EQ(app.NameOf(1), L"项目甲");
    EXPECT_EQ(app.NameOf(2), L"工作区3");
    // An empty name is a name too.
    ASSERT_TRUE(app.TypeName(2, L""));
    ASSERT_TRUE(app.ClickRow(0));
    EXPECT_EQ(app.NameOf(2), L"");
}

TEST_F(EndToEnd, SwitchHidesTheCurrentAreasWindowsAndShowsTheTargetsKeepingTheBar) {
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"--windows 3 --dialog", .notepad = true}));
    const Windows first = windows + Windows{helper.Special(zhelper::kDialog), notepad.Window()};
    ASSERT_THAT(first, Each(Shown()));
    ASSERT_TRUE(Switch(1, {}, first));
    const Windows second = Open(2); // opened now: they belong to the second area
    ASSERT_TRUE(Switch(0, first, second));
    ASSERT_TRUE(Switch(0, first, second)) << "a click on the current row changes nothing";
    ASSERT_TRUE(Switch(1, second, first));
}

TEST_F(EndToEnd, DeletingAnAreaBringsItsHiddenWindowsBack) {
    ASSERT_NO_FATAL_FAILURE(Start({.rows = 3, .current = 1}));

    // The first area is not current: deleting it shows its windows at once, here.
    ASSERT_TRUE(app.RowMenu(0, ID_DELETE_WORKING_AREA));
    ASSERT_TRUE(app.WaitRows(2));
    EXPECT_TRUE(Eventually(windows, Each(Shown())));
    EXPECT_TRUE(RowLooksCurrent(0)) << "the former second row should still be current";
    EXPECT_EQ(app.NameOf(0), L"工作区2");

    // They now belong to the current area: leaving it hides them.
    ASSERT_TRUE(Switch(1, {}, windows));
    // Deleting the current row makes the first row current and shows what it recorded.
    ASSERT_TRUE(app.RowMenu(1, ID_DELETE_WORKING_AREA));
    ASSERT_TRUE(app.WaitRows(1));
    EXPECT_TRUE(Eventually(windows, Each(Shown())));
    EXPECT_TRUE(RowLooksCurrent(0));
}

TEST_F(EndToEnd, KeysCloseButtonAndSystemCloseHideTheBarTheTrayShowsIt) {
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"", .rows = 1}));
    for (int way = 0; way < ZelvanorProcess::kHideWays; ++way) {
        SCOPED_TRACE(ZelvanorProcess::HideWayName(way));
        ASSERT_TRUE(app.HideBy(way));
        ASSERT_TRUE(app.WaitVisible(false));
        EXPECT_TRUE(app.Running());
        EXPECT_TRUE(app.TrayIconPresent());
        // Shown again in turn from the tray menu's "open" and by a double-click on the icon.
        if (way % 2 == 0) {
            ASSERT_TRUE(app.TrayMenu(ID_TRAY_OPEN));
            EXPECT_TRUE(app.WaitVisible(true));
        } else {
            ASSERT_TRUE(app.TrayDoubleClick());
            EXPECT_TRUE(app.Visible()) << "the double-click's command runs before it returns";
        }
        EXPECT_TRUE(Eventually(app.Bar(), Active()));
    }

    // While hidden, the tray still adds areas; the bar grows but stays hidden.
    ASSERT_TRUE(app.Command(IDCANCEL));
    ASSERT_TRUE(app.WaitVisible(false));
    ASSERT_TRUE(app.TrayMenu(ID_TRAY_ADD_WORKING_AREA));
    EXPECT_TRUE(app.WaitRows(2));
    EXPECT_FALSE(app.Visible());
    ASSERT_TRUE(app.TrayDoubleClick());
    EXPECT_TRUE(app.Visible());
    EXPECT_EQ(app.Rows(), 2);
}

TEST_F(EndToEnd, ExitFromTheTrayMenuRestoresEveryAreasWindows) {
    ASSERT_NO_FATAL_FAILURE(Start({.notepad = true, .rows = 3}));
    const Windows first = windows + Windows{notepad.Window()};
    ASSERT_TRUE(Switch(1, {}, first));
    const Windows second = Open(2);
    ASSERT_TRUE(Switch(2, {}, second));
    const Windows third = Open(1);
    ASSERT_TRUE(Switch(1, second, first + third));

    // Hidden bar: exit is reached through the tray menu only.
    ASSERT_TRUE(app.Command(IDCANCEL));
    ASSERT_TRUE(app.WaitVisible(false));
    ASSERT_TRUE(app.TrayMenu(ID_TRAY_EXIT));
    ASSERT_TRUE(app.WaitEnded(30000)) << "the program did not end";
    EXPECT_TRUE(Eventually(first + second + third, Each(Shown())));
}

TEST_F(EndToEnd, TrayIconIsAddedAtStartUpAndRemovedAtExit) {
    // The real shell drops icons of windows that are gone by itself; a stand-in records what the
    // program asks for.
    FakeTray tray;
    ASSERT_TRUE(tray.InCharge());
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"", .rows = 1}));
    HWND bar = app.Bar();
    ASSERT_FALSE(tray.Calls().empty());
    const FakeTray::Call add = tray.Calls().front();
    EXPECT_EQ(add.message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(add.owner, bar);
    EXPECT_EQ(add.id, kTrayIconId);
    EXPECT_EQ(add.flags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(add.callbackMessage, static_cast<UINT>(WM_TRAY_NOTIFY));
    EXPECT_EQ(add.tip, L"Zelvanor");

    // Hiding and showing the bar leave the icon alone.
    ASSERT_TRUE(app.Command(IDCANCEL));
    ASSERT_TRUE(app.TrayDoubleClick());
    EXPECT_THAT(tray.Calls(),
                Each(::testing::Field(&FakeTray::Call::message, ::testing::Ne<DWORD>(NIM_DELETE))));

    ASSERT_TRUE(app.Exit());
    ASSERT_FALSE(tray.Calls().empty());
    const FakeTray::Call last = tray.Calls().back();
    EXPECT_EQ(last.message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(last.owner, bar);
    EXPECT_EQ(last.id, kTrayIconId);
}

TEST_F(EndToEnd, ScreenshotOfTheBarWithThreeAreasAfterASwitch) {
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"--windows 4", .rows = 1}));
    ASSERT_TRUE(app.RowMenu(0, ID_ADD_WORKING_AREA));
    ASSERT_TRUE(app.TrayMenu(ID_TRAY_ADD_WORKING_AREA));
    ASSERT_TRUE(app.WaitRows(3));
    ASSERT_TRUE(app.TypeName(2, L"写作"));
    ASSERT_TRUE(app.ClickRow(2)); // only ends the rename
    ASSERT_TRUE(Switch(1, {}, windows));
    // A window of the second area, active and overlapping the bar: the bar stays on top.
    HWND over = Open(1)[0];
    const RECT bar = app.WindowRect();
    SetWindowPos(over, HWND_TOP, bar.left - 150, bar.top + 40, 220, 160, 0);
    SetForegroundWindow(over);
    Sync();
    ASSERT_TRUE(Answers(app.Bar()));

    // The other window is really there, beside and under the bar.
    EXPECT_TRUE(WaitUntil([&] { return HelperShowsAt(bar.left - 60, bar.top + 100); }))
        << "the overlapping window is not on screen";
    EXPECT_TRUE(RowLooksCurrent(1));
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SaveBitmapFile(CaptureScreen(screen), ExeDir() + L"\\..\\e2e-bar-after-switch.bmp");

    // The two rows that are not current look alike, and show their names: text pixels darker
    // than any row background.
    const auto look = [&](int row, int left, int right) {
        return app.CaptureClient(RECT{left, RowTop(row) + 3, right, RowTop(row + 1) - 3}).Mean();
    };
    EXPECT_LT(Distance(look(0, 2, 20), look(2, 2, 20)), 6)
        << "two rows that are not current look different";
    const Colour text = app.CaptureClient(RECT{30, RowTop(2) + 8, 90, RowTop(2) + 22}).Mean();
    EXPECT_GT(Distance(text, look(2, 2, 20)), 8) << "no name drawn on the third row";
}
