// Beyond the mouse: the keys that switch areas and move or pin the foreground window, pressed on
// the real keyboard, and the row tooltips that list what an area holds.
#include "bar/GlobalKeys.h"
#include "tests/app/StandInDwmapi.h"
#include "tests/support/Session.h"
#include "tests/support/TestHandles.h"
#include <algorithm>
#include <optional>
#include <set>

using namespace ztest;

namespace {

using ::testing::Each;

class EndToEndKeys : public Session {
protected:
    std::optional<StandInDwmapi> dwm; // outlives the program, which holds its file
};

// As a user makes a window the foreground one: with a call, or else with a click on it, by
// default near its left edge.
bool MakeForeground(HWND hwnd, POINT at = POINT{-1, -1}) {
    if (BringToForeground(hwnd, 2))
        return true;
    const RECT r = WindowRect(hwnd);
    ClickAt(at.x >= 0 ? at : POINT{r.left + 20, (r.top + r.bottom) / 2});
    return BringToForeground(hwnd);
}

// Rests the real pointer on a row and returns the text of the tooltip that comes up; empty
// when none does.
std::wstring TipOfRow(const ZelvanorProcess& app, int row) {
    ParkCursor();
    WaitUntil([&] { return !VisibleWindowOf(app.Pid(), L"tooltips_class32"); }, 3000);
    MoveCursor(app.ToScreen(Layout().clientWidth / 2, RowMiddle(row)));
    HWND tip = nullptr;
    WaitUntil([&] { return (tip = VisibleWindowOf(app.Pid(), L"tooltips_class32")) != nullptr; },
              3000);
    return tip ? TextOf(tip) : std::wstring();
}

// The tip's lines, and the titles of some windows, in any order.
std::multiset<std::wstring> LinesOf(const std::wstring& text) {
    std::multiset<std::wstring> lines;
    size_t start = 0;
    for (size_t end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1)
        lines.insert(text.substr(start, end - start));
    lines.insert(text.substr(start));
    return lines;
}
std::multiset<std::wstring> TitlesOf(const Windows& windows) {
    std::multiset<std::wstring> titles;
    for (HWND hwnd : windows)
        titles.insert(TitleOf(hwnd));
    return titles;
}

} // namespace

TEST_F(EndToEndKeys, DigitsAndArrowsSwitchWrappingRoundAndMissingRowsDoNothing) {
    ASSERT_NO_FATAL_FAILURE(Start({.rows = 3}));
    // Up from the first row goes round to the last, Down from there back to the first. There is
    // no row 9: its key does nothing, and the next key still acts from the first row.
    const struct {
        WORD key;
        int row;
    } steps[] = {{'2', 1}, {'1', 0}, {VK_UP, 2}, {VK_DOWN, 0}, {'9', 0}, {VK_DOWN, 1}, {VK_UP, 0}};
    for (const auto& step : steps) {
        SCOPED_TRACE(::testing::Message() << "key " << step.key);
        PressAreaKey(step.key);
        EXPECT_TRUE(step.row == 0 ? Switched(0, windows) : Switched(step.row, {}, windows));
    }
}

TEST_F(EndToEndKeys, MovedAndPinnedWindowsGoWhereTheKeysSay) {
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"--windows 3"}));
    const Windows moved{windows[0]}, rest{windows[1], windows[2]};
    ASSERT_TRUE(MakeForeground(moved[0]));
    PressAreaKey('2', true); // gone at once, and the first area stays current
    EXPECT_TRUE(Switched(0, rest, moved));
    EXPECT_TRUE(Switch(1, moved, rest, How::kKey)) << "the moved window shows in its new area";
    EXPECT_TRUE(Switch(0, rest, moved, How::kKey));

    // A pinned window stays on screen in every area, until it is unpinned.
    ASSERT_TRUE(MakeForeground(rest[0]));
    PressAreaKey('P');
    EXPECT_TRUE(Switch(1, moved + Windows{rest[0]}, {rest[1]}, How::kKey)) << "the pin";
    EXPECT_TRUE(Switch(0, rest, moved, How::kKey));
    ASSERT_TRUE(MakeForeground(rest[0]));
    PressAreaKey('P');
    EXPECT_TRUE(Switch(1, moved, rest, How::kKey)) << "the unpinned window stayed";

    // The bar itself is neither moved nor pinned; a click on its title strip makes it the
    // foreground window without acting on a row.
    ASSERT_TRUE(MakeForeground(app.Bar(), app.ToScreen(40, Layout().titleHeight / 2)));
    PressAreaKey('1', true);
    PressAreaKey('P');
    EXPECT_TRUE(Switch(0, rest, moved, How::kKey));
    EXPECT_TRUE(Switch(1, moved, rest, How::kKey));

    // At exit the moved window comes back with the rest.
    ASSERT_TRUE(Exit());
    EXPECT_TRUE(Eventually(windows, Each(Shown())));
}

TEST_F(EndToEndKeys, AKeyAnotherProgramHoldsIsLeftToIt) {
    ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_WIN | MOD_CONTROL | MOD_ALT, '3'));
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"--windows 1", .rows = 3}));
    PressAreaKey('3');
    // Looked for without the usual pump, which would take the message first.
    MSG msg{};
    bool arrived = false;
    for (int i = 0; i < 500 && !arrived; ++i, Sleep(10))
        arrived = PeekMessageW(&msg, nullptr, WM_HOTKEY, WM_HOTKEY, PM_REMOVE) != FALSE;
    UnregisterHotKey(nullptr, 1);
    EXPECT_TRUE(arrived) << "the key did not reach the program that holds it";
    EXPECT_TRUE(Switched(0, windows));
    EXPECT_TRUE(Switch(1, {}, windows, How::kKey)) << "the other keys still work";
}

TEST_F(EndToEndKeys, AKeyActsAsAClickWouldWithAMenuARenameOrTheAboutBoxOpen) {
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"--windows 1"}));
    // An open menu: the key only closes it, as a click on the bar would. Windows hands the key
    // to the bar inside the menu's loop (Wine lets the modifiers close the menu first).
    ASSERT_TRUE(app.PostRightClickRow(0));
    ASSERT_TRUE(WaitUntil([&] { return app.OpenMenu() != nullptr; }));
    ASSERT_TRUE(app.Post(WM_HOTKEY, GlobalKeys::IdOf({GlobalKeys::kSwitch, 1}),
                         MAKELPARAM(MOD_WIN | MOD_CONTROL | MOD_ALT, '2')));
    EXPECT_TRUE(WaitUntil([&] { return app.OpenMenu() == nullptr; })) << "the menu stays";
    EXPECT_TRUE(Switched(0, windows)) << "the key switched past the menu";

    // A rename in progress: the key commits it, and nothing else. The bar has then taken the
    // keys as well, so the menu that reads the name back does not meet them.
    ASSERT_TRUE(app.TypeName(0, L"甲"));
    PressAreaKey('2');
    EXPECT_TRUE(WaitVisible(app.RenameEdit(), false));
    EXPECT_TRUE(Switched(0, windows)) << "the key switched past the rename";
    EXPECT_EQ(app.NameOf(0), L"甲");

    // The About box keeps the bar disabled: a click does nothing, and so does the key.
    ASSERT_TRUE(app.Post(WM_COMMAND, ID_TRAY_ABOUT));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowEnabled(app.Bar()); }));
    const HWND about = app.WaitDialog();
    ASSERT_TRUE(about);
    PressAreaKey('2');
    EXPECT_TRUE(Switched(0, windows)) << "the key switched past the About box";
    ASSERT_TRUE(PostMessageW(about, WM_COMMAND, IDOK, 0));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(app.Bar()) != FALSE; }));
    EXPECT_TRUE(Switch(1, {}, windows, How::kKey));
}

TEST_F(EndToEndKeys, RowTipsListTheWindowsEachAreaHolds) {
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"--windows 17", .rows = 3}));
    ASSERT_TRUE(Switch(1, {}, windows));
    const Windows second = Open(2);

    // A left area: what it hid, at most 15 titles and an ellipsis.
    std::multiset<std::wstring> lines = LinesOf(TipOfRow(app, 0));
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(lines.count(L"…"), 1u);
    lines.erase(L"…");
    const std::multiset<std::wstring> titles = TitlesOf(windows);
    EXPECT_TRUE(std::includes(titles.begin(), titles.end(), lines.begin(), lines.end()));
    // The current area: what a switch would hide now.
    EXPECT_EQ(LinesOf(TipOfRow(app, 1)), TitlesOf(second));
    // An area that holds nothing shows no tip.
    EXPECT_EQ(TipOfRow(app, 2), L"");
}

// A window that the window manager cloaks (one of another virtual desktop, say) is the shell's
// to show: no switch hides or files it, no tip lists it, no key moves it.
TEST_F(EndToEndKeys, ACloakedWindowIsLeftAloneBySwitchesTipsAndKeys) {
    ASSERT_TRUE(dwm.emplace().Ok())
        << "the stand-in dwmapi.dll could not be put in the system folder";
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"--windows 3"}));
    const Windows plain{windows[0], windows[1]}, cloaked{windows[2]};
    const std::wstring title = TitleOf(cloaked[0]);
    ASSERT_TRUE(SetWindowTextW(cloaked[0], (title + L" [cloaked]").c_str()));

    EXPECT_EQ(LinesOf(TipOfRow(app, 0)), TitlesOf(plain));
    ParkCursor();
    ASSERT_TRUE(MakeForeground(cloaked[0]));
    PressAreaKey('2', true);
    EXPECT_TRUE(Switched(0, windows)) << "a key moved the cloaked window";
    EXPECT_TRUE(Switch(1, cloaked, plain, How::kKey)) << "a switch hid the cloaked window";
    EXPECT_TRUE(dwm->LoadedFromSystemFolder()) << "the stand-in never ran: the test proves nothing";

    // No longer cloaked, it is on the second area's screen: leaving that area hides it, and the
    // first area, which never held it, does not show it.
    ASSERT_TRUE(SetWindowTextW(cloaked[0], title.c_str()));
    EXPECT_TRUE(Switch(0, plain, cloaked, How::kKey));
    ASSERT_TRUE(Exit());
    EXPECT_TRUE(Eventually(windows, Each(Shown())));
}
