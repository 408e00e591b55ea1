// Beyond the mouse: the keys that switch areas and move or pin the foreground window, pressed on
// the real keyboard, and the row tooltips that list what an area holds.
#include "bar/GlobalKeys.h"
#include "tests/app/StandInDwmapi.h"
#include "tests/helpers/HelperProcess.h"
#include "tests/support/ZelvanorProcess.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <set>

using namespace ztest;

namespace {

constexpr WORD kDigit1 = '1';

// Win+Ctrl+Alt with `key`; with Shift as well when `shift`. A program takes keyboard input
// after its posted messages, so a menu posted to the bar right after could open first and meet
// the Alt key coming up, which closes it: the keys are given the moment they need to pass.
void Press(WORD key, bool shift = false) {
    if (shift) {
        PressKeys({VK_LWIN, VK_CONTROL, VK_MENU, VK_SHIFT, key});
    } else {
        PressKeys({VK_LWIN, VK_CONTROL, VK_MENU, key});
    }
    Sleep(200);
}

class EndToEndKeys : public ::testing::Test {
protected:
    zhelper::HelperProcess helper;
    ZelvanorProcess app;
    std::vector<HWND> windows;

    // A tip test that fails midway leaves the pointer over the bar, and a click one the button.
    void TearDown() override { ReleasePointer(); }

    // The helper's windows in the first of `rows` areas, which is current.
    void Start(int helperWindows, int rows) {
        ASSERT_TRUE(helper.Start(L"--windows " + std::to_wstring(helperWindows)));
        windows = helper.Windows();
        ASSERT_TRUE(app.Start());
        ASSERT_TRUE(app.AddAreasUpTo(rows));
    }
    ::testing::AssertionResult Shown(const std::vector<HWND>& which, bool visible) {
        return WaitAllVisible(which, visible);
    }
    // As a user makes a window the foreground one: with a call, or else with a click on it, by
    // default near its left edge.
    bool MakeForeground(HWND hwnd, POINT at = POINT{-1, -1}) {
        if (BringToForeground(hwnd, 2)) {
            return true;
        }
        const RECT r = WindowRect(hwnd);
        MoveCursor(at.x >= 0 ? at : POINT{r.left + 20, (r.top + r.bottom) / 2});
        LeftButton(true);
        LeftButton(false);
        ParkCursor();
        return BringToForeground(hwnd);
    }
};

// The tooltip the program shows now, or null.
HWND OpenTip(DWORD pid) {
    for (HWND hwnd : TopLevelWindowsOf(pid)) {
        if (ClassOf(hwnd) == L"tooltips_class32" && IsWindowVisible(hwnd)) {
            return hwnd;
        }
    }
    return nullptr;
}

// Rests the real pointer on a row and returns the text of the tooltip that comes up; empty
// when none does.
std::wstring TipOfRow(const ZelvanorProcess& app, int row) {
    ParkCursor();
    WaitUntil([&] { return OpenTip(app.Pid()) == nullptr; }, 3000);
    MoveCursor(app.ToScreen(BarLayout::kClientWidth / 2, RowMiddle(row)));
    HWND tip = nullptr;
    WaitUntil([&] { return (tip = OpenTip(app.Pid())) != nullptr; }, 3000);
    return tip ? TextOf(tip) : std::wstring();
}

// The tip's lines, and the titles of some windows, in any order.
std::multiset<std::wstring> LinesOf(const std::wstring& text) {
    std::multiset<std::wstring> lines;
    size_t start = 0;
    for (size_t end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1) {
        lines.insert(text.substr(start, end - start));
    }
    lines.insert(text.substr(start));
    return lines;
}
std::multiset<std::wstring> TitlesOf(const std::vector<HWND>& windows) {
    std::multiset<std::wstring> titles;
    for (HWND hwnd : windows) {
        titles.insert(TitleOf(hwnd));
    }
    return titles;
}

} // namespace

TEST_F(EndToEndKeys, DigitsAndArrowsSwitchWrappingRoundAndMissingRowsDoNothing) {
    ASSERT_NO_FATAL_FAILURE(Start(2, 3));
    Press(kDigit1 + 1);
    EXPECT_TRUE(Shown(windows, false)) << "Win+Ctrl+Alt+2";
    Press(kDigit1);
    EXPECT_TRUE(Shown(windows, true)) << "Win+Ctrl+Alt+1";
    Press(VK_UP); // from the first row round to the last
    EXPECT_TRUE(Shown(windows, false)) << "Up from the first row";
    Press(VK_DOWN); // and from the last back to the first
    EXPECT_TRUE(Shown(windows, true)) << "Down from the last row";
    // No row 9: nothing happens, and the next key still acts from the first row.
    Press(kDigit1 + 8);
    Press(VK_DOWN);
    EXPECT_TRUE(Shown(windows, false)) << "Down after a key for a missing row";
    Press(VK_UP);
    EXPECT_TRUE(Shown(windows, true));
}

TEST_F(EndToEndKeys, MovedAndPinnedWindowsGoWhereTheKeysSay) {
    ASSERT_NO_FATAL_FAILURE(Start(3, 2));
    const std::vector<HWND> rest{windows[1], windows[2]};
    ASSERT_TRUE(MakeForeground(windows[0]));
    Press(kDigit1 + 1, true); // move to the second area: gone at once
    EXPECT_TRUE(Shown({windows[0]}, false));
    EXPECT_TRUE(AllVisible(rest));
    Press(kDigit1 + 1);
    EXPECT_TRUE(Shown({windows[0]}, true)) << "the moved window shows in its new area";
    EXPECT_TRUE(Shown(rest, false));
    Press(kDigit1);
    EXPECT_TRUE(Shown({windows[0]}, false));
    EXPECT_TRUE(Shown(rest, true));

    // A pinned window stays on screen in every area, until it is unpinned.
    ASSERT_TRUE(MakeForeground(windows[1]));
    Press('P');
    Press(kDigit1 + 1);
    EXPECT_TRUE(Shown({windows[2]}, false));
    EXPECT_TRUE(IsWindowVisible(windows[1])) << "the pinned window was hidden";
    Press(kDigit1);
    EXPECT_TRUE(Shown(rest, true));
    ASSERT_TRUE(MakeForeground(windows[1]));
    Press('P');
    Press(kDigit1 + 1);
    EXPECT_TRUE(Shown(rest, false)) << "the unpinned window stayed";

    // The bar itself is neither moved nor pinned; a click on its title strip makes it the
    // foreground window without acting on a row.
    ASSERT_TRUE(MakeForeground(app.Bar(), app.ToScreen(40, BarLayout::kTitleHeight / 2)));
    Press(kDigit1, true);
    Press('P');
    Press(kDigit1);
    EXPECT_TRUE(Shown(rest, true));
    EXPECT_TRUE(app.Visible());
    Press(kDigit1 + 1);
    EXPECT_TRUE(Shown(rest, false));
    EXPECT_TRUE(app.Visible());

    // At exit the moved window comes back with the rest.
    ASSERT_TRUE(app.Exit());
    EXPECT_TRUE(Shown(windows, true));
}

TEST_F(EndToEndKeys, AKeyAnotherProgramHoldsIsLeftToIt) {
    const UniqueWindow owner(CreateWindowExW(0, L"STATIC", L"key owner", 0, 0, 0, 0, 0,
                                             HWND_MESSAGE, nullptr, nullptr, nullptr));
    ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_WIN | MOD_CONTROL | MOD_ALT, kDigit1 + 2));
    ASSERT_NO_FATAL_FAILURE(Start(1, 3));
    Press(kDigit1 + 2);
    // Looked for without the usual pump, which would take the message first.
    MSG msg{};
    bool arrived = false;
    for (int i = 0; i < 500 && !arrived; ++i) {
        arrived = PeekMessageW(&msg, nullptr, WM_HOTKEY, WM_HOTKEY, PM_REMOVE) != FALSE;
        Sleep(10);
    }
    UnregisterHotKey(nullptr, 1);
    EXPECT_TRUE(arrived) << "the key did not reach the program that holds it";
    EXPECT_TRUE(IsWindowVisible(windows[0]));
    Press(kDigit1 + 1);
    EXPECT_TRUE(Shown(windows, false)) << "the other keys still work";
}

TEST_F(EndToEndKeys, AKeyActsAsAClickWouldWithAMenuARenameOrTheAboutBoxOpen) {
    ASSERT_NO_FATAL_FAILURE(Start(1, 2));
    // An open menu: the key only closes it, as a click on the bar would. Windows hands the key
    // to the bar inside the menu's loop (Wine lets the modifiers close the menu first).
    ASSERT_TRUE(app.Post(WM_RBUTTONDOWN, MK_RBUTTON,
                         MAKELPARAM(BarLayout::kClientWidth / 2, RowMiddle(0))));
    ASSERT_TRUE(WaitUntil([&] { return app.OpenMenu() != nullptr; }));
    ASSERT_TRUE(app.Post(WM_HOTKEY, GlobalKeys::IdOf({GlobalKeys::kSwitch, 1}),
                         MAKELPARAM(MOD_WIN | MOD_CONTROL | MOD_ALT, kDigit1 + 1)));
    EXPECT_TRUE(WaitUntil([&] { return app.OpenMenu() == nullptr; })) << "the menu stays";
    ASSERT_TRUE(app.Answers());
    EXPECT_TRUE(IsWindowVisible(windows[0])) << "the key switched past the menu";

    // A rename in progress: the key commits it, and nothing else.
    ASSERT_TRUE(app.TypeName(0, L"甲"));
    Press(kDigit1 + 1);
    EXPECT_TRUE(WaitVisible(app.RenameEdit(), false));
    ASSERT_TRUE(app.Answers());
    EXPECT_TRUE(IsWindowVisible(windows[0])) << "the key switched past the rename";
    EXPECT_EQ(app.NameOf(0), L"甲");

    // The About box keeps the bar disabled: a click does nothing, and so does the key.
    ASSERT_TRUE(app.Post(WM_COMMAND, ID_TRAY_ABOUT));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowEnabled(app.Bar()); }));
    Press(kDigit1 + 1);
    Sleep(500); // the time the key would take to act
    EXPECT_TRUE(IsWindowVisible(windows[0])) << "the key switched past the About box";
    for (HWND hwnd : TopLevelWindowsOf(app.Pid())) {
        if (hwnd != app.Bar() && ClassOf(hwnd) == L"#32770" && IsWindowVisible(hwnd)) {
            PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
        }
    }
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(app.Bar()) != FALSE; }));
    Press(kDigit1 + 1);
    EXPECT_TRUE(Shown(windows, false));
}

TEST_F(EndToEndKeys, RowTipsListTheWindowsEachAreaHolds) {
    ASSERT_NO_FATAL_FAILURE(Start(17, 3));
    const std::vector<HWND> first = windows;
    ASSERT_TRUE(app.ClickRow(1));
    ASSERT_TRUE(Shown(first, false));
    zhelper::HelperProcess second;
    ASSERT_TRUE(second.Start(L"--windows 2"));

    // A left area: what it hid, at most 15 titles and an ellipsis.
    std::multiset<std::wstring> lines = LinesOf(TipOfRow(app, 0));
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(lines.count(L"…"), 1u);
    lines.erase(L"…");
    const std::multiset<std::wstring> titles = TitlesOf(first);
    EXPECT_TRUE(std::includes(titles.begin(), titles.end(), lines.begin(), lines.end()));
    // The current area: what a switch would hide now.
    EXPECT_EQ(LinesOf(TipOfRow(app, 1)), TitlesOf(second.Windows()));
    // An area that holds nothing shows no tip.
    EXPECT_EQ(TipOfRow(app, 2), L"");
}

// A window that the window manager cloaks (one of another virtual desktop, say) is the shell's
// to show: no switch hides or files it, no tip lists it, no key moves it.
TEST_F(EndToEndKeys, ACloakedWindowIsLeftAloneBySwitchesTipsAndKeys) {
    StandInDwmapi dwm;
    ASSERT_TRUE(dwm.Ok()) << "the stand-in dwmapi.dll could not be put in the system folder";
    ASSERT_TRUE(helper.Start(L"--windows 3"));
    windows = helper.Windows();
    HWND cloaked = windows[2];
    const std::wstring title = TitleOf(cloaked);
    ASSERT_TRUE(SetWindowTextW(cloaked, (title + L" [cloaked]").c_str()));
    const std::vector<HWND> plain{windows[0], windows[1]};
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.AddAreasUpTo(2));

    EXPECT_EQ(LinesOf(TipOfRow(app, 0)), TitlesOf(plain));
    ParkCursor();
    ASSERT_TRUE(MakeForeground(cloaked));
    Press(kDigit1 + 1, true);
    ASSERT_TRUE(helper.Sync());
    EXPECT_TRUE(IsWindowVisible(cloaked)) << "a key moved the cloaked window";
    Press(kDigit1 + 1);
    EXPECT_TRUE(Shown(plain, false));
    ASSERT_TRUE(helper.Sync());
    EXPECT_TRUE(IsWindowVisible(cloaked)) << "a switch hid the cloaked window";
    EXPECT_TRUE(dwm.LoadedFromSystemFolder()) << "the stand-in never ran: the test proves nothing";

    // No longer cloaked, it is on the second area's screen: leaving that area hides it, and the
    // first area, which never held it, does not show it.
    ASSERT_TRUE(SetWindowTextW(cloaked, title.c_str()));
    Press(kDigit1);
    EXPECT_TRUE(Shown(plain, true));
    EXPECT_TRUE(Shown({cloaked}, false));
    ASSERT_TRUE(app.Exit());
    EXPECT_TRUE(Shown(windows, true));
}
