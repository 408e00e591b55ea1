// The real program from start to exit: the bar on screen, the list commands from the bar's and the
// tray's menus, switching between working areas with other programs' windows, hiding and showing
// the bar, and the exit that brings every hidden window back.
#include "tests/app/FakeTray.h"
#include "tests/helpers/HelperProcess.h"
#include "tests/support/Notepad.h"
#include "tests/support/ZelvanorProcess.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <functional>

using namespace ztest;
using namespace BarLayout;

namespace {

class EndToEnd : public ::testing::Test {
protected:
    // The program is declared last, so it ends (and restores windows) before the others go.
    zhelper::HelperProcess helper;
    Notepad notepad;
    ZelvanorProcess app;

    void StartApp() {
        ASSERT_TRUE(app.Start()) << "the bar did not appear";
        // Row 0 is the current area at start-up: once it is on screen and painted, its look is
        // the reference for "current".
        Colour previous{-1, -1, -1};
        ASSERT_TRUE(WaitUntil([&] {
            Repaint(app.Bar());
            currentLook = Look(0);
            const bool steady = Distance(currentLook, previous) < 1;
            previous = currentLook;
            return steady && Distance(currentLook, Colour{0, 0, 0}) > 100 &&
                   Distance(currentLook, Colour{255, 255, 255}) > 20;
        })) << "row 0 never painted";
    }

    // Painting catches up with the program's state at its own pace: wait for the look.
    ::testing::AssertionResult RowLooksCurrent(int row) const {
        Colour look;
        if (WaitUntil([&] {
                Repaint(app.Bar());
                look = Look(row);
                return Distance(look, currentLook) < 12;
            })) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure()
               << "row " << row << " looks (" << look.r << ", " << look.g << ", " << look.b
               << "), the current row (" << currentLook.r << ", " << currentLook.g << ", "
               << currentLook.b << ")";
    }
    // Checked after the current row was seen, which is drawn last.
    ::testing::AssertionResult RowLooksNotCurrent(int row) const {
        const Colour look = Look(row);
        if (Distance(look, currentLook) > 25) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << "row " << row << " looks current too";
    }

    // The mean colour where the row's background shows and no text is drawn: its left end.
    Colour Look(int row) const {
        return app.CaptureClient(RECT{2, RowTop(row) + 3, 20, RowTop(row + 1) - 3}).Mean();
    }

    // The helper's windows' colour shows at a point of the screen.
    static bool HelperShowsAt(LONG x, LONG y) {
        return CaptureScreen(RECT{x, y, x + 1, y + 1}).Count(RGB(0x1E, 0x9A, 0x5A)) == 1;
    }

    // Adds areas, each from the first row's menu, until the bar has `rows` rows.
    void AddAreasFromRowMenu(int rows) {
        for (int row = app.Rows(); row < rows; ++row) {
            ASSERT_TRUE(app.RowMenu(0, ID_ADD_WORKING_AREA));
        }
        ASSERT_TRUE(app.WaitRows(rows));
    }

    // Every show and hide request the program queued for these programs has been handled.
    void SyncOthers() {
        if (helper.Process()) {
            ASSERT_TRUE(helper.Sync());
        }
        if (notepad.Window()) {
            ASSERT_TRUE(Answers(notepad.Window()));
        }
    }

    Colour currentLook;
};

std::vector<HWND> With(std::vector<HWND> windows, HWND extra) {
    windows.push_back(extra);
    return windows;
}

} // namespace

TEST_F(EndToEnd, StartsAsATopmostBarDockedRightWithOneAreaAndATrayIcon) {
    ASSERT_TRUE(helper.Start(L"--windows 1"));
    ASSERT_NO_FATAL_FAILURE(StartApp());
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
    Image before;
    ASSERT_TRUE(WaitUntil([&] {
        Image now = CaptureScreen(rc);
        const bool steady = !now.Empty() && now == before;
        before = std::move(now);
        return steady;
    }));
    HWND other = helper.Window(0);
    ASSERT_TRUE(SetWindowPos(other, HWND_TOP, rc.left - 40, rc.top - 20, 300, 200, 0));
    SetForegroundWindow(other);
    ASSERT_TRUE(helper.Sync());
    ASSERT_TRUE(WaitUntil([&] {
        RECT moved{};
        GetWindowRect(other, &moved);
        return moved.left == rc.left - 40;
    }));
    ASSERT_TRUE(Answers(bar));
    // It is really there, beside and under the bar.
    EXPECT_TRUE(WaitUntil([&] { return HelperShowsAt(rc.left - 20, rc.top + 60); }))
        << "the other window is not on screen";
    // Exposed parts are repainted at the window system's pace: wait for the bar's own pixels.
    size_t differing = 0;
    EXPECT_TRUE(WaitUntil([&] {
        const Image after = CaptureScreen(rc);
        differing = 0;
        for (size_t i = 0; i < before.pixels.size() && i < after.pixels.size(); ++i) {
            differing += before.pixels[i] != after.pixels[i];
        }
        return after.pixels.size() == before.pixels.size() && differing < before.pixels.size() / 50;
    })) << "the bar is covered by another window: "
        << differing << " pixels differ";
}

TEST_F(EndToEnd, AddsFromBothMenusDeletesTheClickedRowAndNeverReusesANumber) {
    ASSERT_NO_FATAL_FAILURE(StartApp());
    const RECT start = app.WindowRect();

    ASSERT_NO_FATAL_FAILURE(AddAreasFromRowMenu(2));
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
    EXPECT_TRUE(RowLooksNotCurrent(2));
}

TEST_F(EndToEnd, DeletingTheLastAreaIsRefusedWithAMessageBox) {
    ASSERT_NO_FATAL_FAILURE(StartApp());
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
    ASSERT_TRUE(helper.Start(L"--windows 2"));
    ASSERT_NO_FATAL_FAILURE(StartApp());
    const std::vector<HWND> windows = helper.Windows();
    ASSERT_NO_FATAL_FAILURE(AddAreasFromRowMenu(3));

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
    ASSERT_NO_FATAL_FAILURE(SyncOthers());
    EXPECT_TRUE(AllVisible(windows)) << "the click that ended the rename switched areas";
    EXPECT_TRUE(RowLooksCurrent(0));
    EXPECT_TRUE(RowLooksNotCurrent(2));

    EXPECT_EQ(app.NameOf(1), L"项目甲");
    EXPECT_EQ(app.NameOf(2), L"工作区3");
    // An empty name is a name too.
    ASSERT_TRUE(app.TypeName(2, L""));
    ASSERT_TRUE(app.ClickRow(0));
    EXPECT_EQ(app.NameOf(2), L"");
}

TEST_F(EndToEnd, SwitchHidesTheCurrentAreasWindowsAndShowsTheTargetsKeepingTheBar) {
    ASSERT_TRUE(helper.Start(L"--windows 3 --dialog"));
    ASSERT_TRUE(notepad.Start());
    ASSERT_NO_FATAL_FAILURE(StartApp());
    const std::vector<HWND> first =
        With(With(helper.Windows(), helper.Special(zhelper::kDialog)), notepad.Window());
    ASSERT_EQ(first.size(), 5u);
    ASSERT_TRUE(AllVisible(first));
    ASSERT_NO_FATAL_FAILURE(AddAreasFromRowMenu(2));

    ASSERT_TRUE(app.ClickRow(1));
    ASSERT_NO_FATAL_FAILURE(SyncOthers());
    EXPECT_TRUE(NoneVisible(first));
    EXPECT_TRUE(app.Visible());
    EXPECT_TRUE(RowLooksCurrent(1));
    EXPECT_TRUE(RowLooksNotCurrent(0));

    // Windows opened now belong to the second area.
    const int slot = static_cast<int>(helper.Send(zhelper::kMsgOpen, 2));
    const std::vector<HWND> second{helper.Window(slot), helper.Window(slot + 1)};
    ASSERT_TRUE(AllVisible(second));

    ASSERT_TRUE(app.ClickRow(0));
    ASSERT_NO_FATAL_FAILURE(SyncOthers());
    EXPECT_TRUE(AllVisible(first));
    EXPECT_TRUE(NoneVisible(second));
    EXPECT_TRUE(RowLooksCurrent(0));

    // A click on the current row changes nothing.
    ASSERT_TRUE(app.ClickRow(0));
    ASSERT_NO_FATAL_FAILURE(SyncOthers());
    EXPECT_TRUE(AllVisible(first));
    EXPECT_TRUE(NoneVisible(second));

    ASSERT_TRUE(app.ClickRow(1));
    ASSERT_NO_FATAL_FAILURE(SyncOthers());
    EXPECT_TRUE(NoneVisible(first));
    EXPECT_TRUE(AllVisible(second));
}

TEST_F(EndToEnd, DeletingAnAreaBringsItsHiddenWindowsBack) {
    ASSERT_TRUE(helper.Start(L"--windows 2"));
    ASSERT_NO_FATAL_FAILURE(StartApp());
    const std::vector<HWND> first = helper.Windows();
    ASSERT_NO_FATAL_FAILURE(AddAreasFromRowMenu(3));
    ASSERT_TRUE(app.ClickRow(1));
    ASSERT_NO_FATAL_FAILURE(SyncOthers());
    ASSERT_TRUE(NoneVisible(first));

    // The first area is not current: deleting it shows its windows at once, here.
    ASSERT_TRUE(app.RowMenu(0, ID_DELETE_WORKING_AREA));
    ASSERT_TRUE(app.WaitRows(2));
    ASSERT_NO_FATAL_FAILURE(SyncOthers());
    EXPECT_TRUE(AllVisible(first));
    EXPECT_TRUE(RowLooksCurrent(0)) << "the former second row should still be current";
    EXPECT_EQ(app.NameOf(0), L"工作区2");

    // They now belong to the current area: leaving it hides them.
    ASSERT_TRUE(app.ClickRow(1));
    ASSERT_NO_FATAL_FAILURE(SyncOthers());
    EXPECT_TRUE(NoneVisible(first));
    // Deleting the current row makes the first row current and shows what it recorded.
    ASSERT_TRUE(app.RowMenu(1, ID_DELETE_WORKING_AREA));
    ASSERT_TRUE(app.WaitRows(1));
    ASSERT_NO_FATAL_FAILURE(SyncOthers());
    EXPECT_TRUE(AllVisible(first));
    EXPECT_TRUE(RowLooksCurrent(0));
}

TEST_F(EndToEnd, KeysCloseButtonAndSystemCloseHideTheBarTheTrayShowsIt) {
    ASSERT_NO_FATAL_FAILURE(StartApp());
    struct Way {
        const char* name;
        std::function<bool()> hide;
    };
    const SIZE client = app.ClientSize();
    const std::vector<Way> hides = {
        {"Escape key", [&] { return app.Post(WM_KEYDOWN, VK_ESCAPE, KeyData(VK_ESCAPE)); }},
        {"Enter key", [&] { return app.Post(WM_KEYDOWN, VK_RETURN, KeyData(VK_RETURN)); }},
        {"IDCANCEL", [&] { return app.Command(IDCANCEL); }},
        {"IDOK", [&] { return app.Command(IDOK); }},
        {"close button", [&] { return app.Click(CloseButtonX(client.cx), kButtonY); }},
        {"SC_CLOSE",
         [&] {
             bool answered = false;
             app.Send(WM_SYSCOMMAND, SC_CLOSE, 0, &answered);
             return answered;
         }},
    };
    int way = 0;
    for (const Way& hide : hides) {
        SCOPED_TRACE(hide.name);
        ASSERT_TRUE(hide.hide());
        ASSERT_TRUE(app.WaitVisible(false));
        EXPECT_TRUE(app.Running());
        EXPECT_TRUE(app.TrayIconPresent());
        // Shown again in turn from the tray menu's "open" and by a double-click on the icon.
        if (way++ % 2 == 0) {
            ASSERT_TRUE(app.TrayMenu(ID_TRAY_OPEN));
            EXPECT_TRUE(app.WaitVisible(true));
        } else {
            ASSERT_TRUE(app.TrayDoubleClick());
            EXPECT_TRUE(app.Visible()) << "the double-click's command runs before it returns";
        }
        EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == app.Bar(); }));
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
    ASSERT_TRUE(helper.Start(L"--windows 2"));
    ASSERT_TRUE(notepad.Start());
    ASSERT_NO_FATAL_FAILURE(StartApp());
    const std::vector<HWND> first = With(helper.Windows(), notepad.Window());
    ASSERT_NO_FATAL_FAILURE(AddAreasFromRowMenu(3));

    ASSERT_TRUE(app.ClickRow(1));
    ASSERT_NO_FATAL_FAILURE(SyncOthers());
    const int slot2 = static_cast<int>(helper.Send(zhelper::kMsgOpen, 2));
    const std::vector<HWND> second{helper.Window(slot2), helper.Window(slot2 + 1)};
    ASSERT_TRUE(app.ClickRow(2));
    ASSERT_NO_FATAL_FAILURE(SyncOthers());
    const int slot3 = static_cast<int>(helper.Send(zhelper::kMsgOpen, 1));
    const std::vector<HWND> third{helper.Window(slot3)};
    ASSERT_TRUE(app.ClickRow(1));
    ASSERT_NO_FATAL_FAILURE(SyncOthers());
    ASSERT_TRUE(NoneVisible(first));
    ASSERT_TRUE(NoneVisible(third));
    ASSERT_TRUE(AllVisible(second));

    // Hidden bar: exit is reached through the tray menu only.
    ASSERT_TRUE(app.Command(IDCANCEL));
    ASSERT_TRUE(app.WaitVisible(false));
    ASSERT_TRUE(app.TrayMenu(ID_TRAY_EXIT));
    ASSERT_TRUE(app.WaitEnded(30000)) << "the program did not end";
    ASSERT_NO_FATAL_FAILURE(SyncOthers());
    EXPECT_TRUE(AllVisible(first));
    EXPECT_TRUE(AllVisible(second));
    EXPECT_TRUE(AllVisible(third));
}

TEST_F(EndToEnd, TrayIconIsAddedAtStartUpAndRemovedAtExit) {
    // The real shell drops icons of windows that are gone by itself; a stand-in records what the
    // program asks for.
    FakeTray tray;
    ASSERT_TRUE(tray.InCharge());
    ASSERT_NO_FATAL_FAILURE(StartApp());
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
    for (const FakeTray::Call& call : tray.Calls()) {
        EXPECT_NE(call.message, static_cast<DWORD>(NIM_DELETE));
    }

    ASSERT_TRUE(app.Exit());
    ASSERT_FALSE(tray.Calls().empty());
    const FakeTray::Call last = tray.Calls().back();
    EXPECT_EQ(last.message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(last.owner, bar);
    EXPECT_EQ(last.id, kTrayIconId);
}

TEST_F(EndToEnd, ScreenshotOfTheBarWithThreeAreasAfterASwitch) {
    ASSERT_TRUE(helper.Start(L"--windows 4"));
    ASSERT_NO_FATAL_FAILURE(StartApp());
    ASSERT_TRUE(app.RowMenu(0, ID_ADD_WORKING_AREA));
    ASSERT_TRUE(app.TrayMenu(ID_TRAY_ADD_WORKING_AREA));
    ASSERT_TRUE(app.WaitRows(3));
    ASSERT_TRUE(app.TypeName(2, L"写作"));
    ASSERT_TRUE(app.ClickRow(2));
    ASSERT_TRUE(app.ClickRow(1));
    ASSERT_NO_FATAL_FAILURE(SyncOthers());
    // A window of the second area, active and overlapping the bar: the bar stays on top.
    const int slot = static_cast<int>(helper.Send(zhelper::kMsgOpen, 1));
    HWND other = helper.Window(slot);
    const RECT bar = app.WindowRect();
    SetWindowPos(other, HWND_TOP, bar.left - 150, bar.top + 40, 220, 160, 0);
    SetForegroundWindow(other);
    ASSERT_NO_FATAL_FAILURE(SyncOthers());
    ASSERT_TRUE(Answers(app.Bar()));

    // The other window is really there, beside and under the bar.
    EXPECT_TRUE(WaitUntil([&] { return HelperShowsAt(bar.left - 60, bar.top + 100); }))
        << "the overlapping window is not on screen";
    EXPECT_TRUE(RowLooksCurrent(1));
    EXPECT_TRUE(RowLooksNotCurrent(0));
    EXPECT_TRUE(RowLooksNotCurrent(2));
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const std::wstring path = ExeDir() + L"\\..\\e2e-bar-after-switch.bmp";
    EXPECT_TRUE(SaveBitmapFile(CaptureScreen(screen), path));
    std::printf("screenshot: %ls\n", path.c_str());

    const Colour row0 = Look(0);
    const Colour row2 = Look(2);
    EXPECT_LT(Distance(row0, row2), 6) << "two rows that are not current look different";
    // The rows show their names: text pixels darker than any row background.
    const Colour text = app.CaptureClient(RECT{30, RowTop(2) + 8, 90, RowTop(2) + 22}).Mean();
    EXPECT_GT(Distance(text, row2), 8) << "no name drawn on the third row";
}
