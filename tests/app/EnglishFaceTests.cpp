// The English face: the real program with english\qorv.dll beside it shows the library's texts
// in its menus, its new areas' names and its About box, not its own, with nothing cut at the
// display's DPI (the suite runs at several), and switches, renames and exits as it does with its
// own resources. Its system menu is not shown: the bar has no system-menu style, and where the
// system then gives it no system menu (Wine) no About entry is added to show.
#include "tests/app/ProgramCopy.h"
#include "tests/support/Session.h"
#include "tests/support/TestHandles.h"
#include <algorithm>
#include <functional>
#include <future>
#include <thread>

using namespace ztest;
using namespace BarLayout;

namespace {

std::wstring EnglishLibrary() {
    return ExeDir() + L"\\english\\qorv.dll";
}

// A popup menu as the screen shows it once painted: the same in two captures in a row, and not
// one colour (a window not drawn yet).
Image SteadyMenu(DWORD pid) {
    Image look;
    WaitUntil([&] {
        const HWND menu = OpenMenuOf(pid);
        look = menu && CaughtUp(menu) ? SteadyCapture(WindowRect(menu)) : Image();
        return !look.Empty() && look.Count(look.At(0, 0)) < look.width * look.height;
    });
    return look;
}

// What menu `id` of a module looks like when this process opens it as the bar and the tray icon
// open theirs: on a thread of its own, with a window styled as the bar, until it is closed.
Image ReferencePopup(HMODULE module, UINT id) {
    std::promise<HWND> created;
    std::thread thread([&] {
        HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"Static", L"",
                                    WS_POPUP | WS_BORDER | WS_VISIBLE, 0, 0, 8, 8, nullptr, nullptr,
                                    nullptr, nullptr);
        created.set_value(hwnd);
        if (hwnd) {
            UniqueMenu menu(LoadMenuW(module, MAKEINTRESOURCEW(id)));
            HMENU popup = GetSubMenu(menu.get(), 0);
            if (id == IDR_TRAY_MENU)
                SetMenuDefaultItem(popup, 0, TRUE);
            POINT at{};
            GetCursorPos(&at);
            TrackPopupMenu(popup, 0, at.x, at.y, 0, hwnd, nullptr);
            DestroyWindow(hwnd);
        }
    });
    const HWND owner = created.get_future().get();
    Image image = owner ? SteadyMenu(GetCurrentProcessId()) : Image();
    // The menu's loop takes keys posted to its thread.
    for (int tries = 0; tries < 5 && OpenMenuOf(GetCurrentProcessId()); ++tries) {
        PostMessageW(owner, WM_KEYDOWN, VK_ESCAPE, KeyData(VK_ESCAPE));
        WaitUntil([] { return OpenMenuOf(GetCurrentProcessId()) == nullptr; }, kWaitMs / 5);
    }
    thread.join();
    return image;
}

std::wstring DefaultName(HMODULE module, int number) {
    wchar_t format[64] = {}, name[80] = {};
    LoadStringW(module, IDS_WORKING_AREA_NAME, format, 64);
    swprintf(name, 80, format, number);
    return name;
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

// A dialog of a module's template, made here: its controls with their texts and fonts.
UniqueWindow Template(HMODULE module, UINT id) {
    return UniqueWindow(
        CreateDialogParamW(module, MAKEINTRESOURCEW(id), nullptr, QuietDialogProc, 0));
}

std::vector<std::wstring> ChildTexts(HWND dialog) {
    std::vector<std::wstring> texts;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        texts.push_back(TextOf(child));
    return texts;
}

// What a text needs on one line in a window's own font.
SIZE TextSize(HWND window, const std::wstring& text, UINT format = 0) {
    HDC dc = GetDC(window);
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0)));
    RECT need{0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), -1, &need, format | DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return {need.right, need.bottom};
}

// Each text of the program's About box on its one line inside its control, measured in the font
// the library's template gives at this DPI.
void ExpectAboutTextsFit(HMODULE module, HWND shown) {
    const UniqueWindow reference = Template(module, IDD_ABOUTBOX);
    ASSERT_TRUE(reference);
    int texts = 0;
    for (HWND mine = GetWindow(reference.get(), GW_CHILD), theirs = GetWindow(shown, GW_CHILD);
         mine && theirs;
         mine = GetWindow(mine, GW_HWNDNEXT), theirs = GetWindow(theirs, GW_HWNDNEXT)) {
        const LONG style = GetWindowLongW(mine, GWL_STYLE);
        const bool button = _wcsicmp(ClassOf(mine).c_str(), L"Button") == 0;
        const std::wstring text = TextOf(mine);
        if (text.empty() || (!button && (style & SS_TYPEMASK) != SS_LEFT))
            continue;
        ++texts;
        SCOPED_TRACE(std::string(text.begin(), text.end()));
        const SIZE need = TextSize(mine, text, !button && (style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
        RECT has{};
        GetClientRect(theirs, &has);
        // A push button's face keeps a frame and a focus rectangle clear of its text.
        const int frame = button ? 2 * (GetSystemMetrics(SM_CXEDGE) + 1) : 0;
        EXPECT_LE(need.cx + frame, has.right);
        EXPECT_LE(need.cy, has.bottom);
    }
    EXPECT_EQ(texts, 3) << "two static texts and the button";
}

// Every default name up to the thousandth area across the program's row, in the bar's font.
void ExpectDefaultNamesFit(HMODULE module, int rowWidth) {
    const UniqueWindow bar = Template(module, IDD_ZELVANOR_DIALOG);
    ASSERT_TRUE(bar);
    ShowWindow(bar.get(), SW_HIDE);
    int widest = 0;
    for (int number = 1; number <= 999; ++number)
        widest = std::max<int>(widest, TextSize(bar.get(), DefaultName(module, number)).cx);
    EXPECT_LE(widest, rowWidth) << "the widest default name";
}

std::vector<std::wstring> AboutTexts(HMODULE module) {
    return ChildTexts(Template(module, IDD_ABOUTBOX).get());
}

class EndToEndEnglishFaceAtDpi : public Session {
protected:
    void SetUp() override {
        ASSERT_TRUE(copy.Ok());
        ASSERT_TRUE(CopyFileW(EnglishLibrary().c_str(), copy.Library().c_str(), FALSE));
        ASSERT_TRUE(english);
        ParkCursor();
    }

    // Popup menus of the program look as the library's do, and not as its own would.
    void ExpectMenu(const char* which, UINT menu, const std::function<bool()>& open) {
        SCOPED_TRACE(which);
        const Image expected = ReferencePopup(english.get(), menu);
        ASSERT_FALSE(expected.Empty());
        EXPECT_NE(expected, ReferencePopup(own, menu)) << "the two sets' menus look alike";
        ASSERT_TRUE(open());
        Image shown;
        WaitUntil([&] {
            shown = SteadyMenu(app.Pid());
            return shown == expected;
        });
        ASSERT_TRUE(app.CloseMenus());
        EXPECT_TRUE(SamePixels(expected, shown));
    }

    ProgramCopy copy{L"english"};
    UniqueModule english{LoadLibraryExW(EnglishLibrary().c_str(), nullptr,
                                        LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)};
    const HMODULE own = ProgramModule();
};

} // namespace

TEST_F(EndToEndEnglishFaceAtDpi, ShowsTheLibrarysTextsAndWorksAsWithItsOwn) {
    SCOPED_TRACE(std::to_string(ScreenDpi()) + " dpi");
    // A prefix set up for another DPI that did not take it would only repeat the 96-dpi run.
    ASSERT_EQ(ScreenDpi(), ExpectedDpi());
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"--windows 1", .rows = 1, .exe = copy.Program()}));

    EXPECT_EQ(app.NameOf(0), DefaultName(english.get(), 1));
    ASSERT_TRUE(app.TrayMenu(ID_TRAY_ADD_WORKING_AREA));
    ASSERT_TRUE(app.WaitRows(2));
    EXPECT_EQ(app.NameOf(1), DefaultName(english.get(), 2));
    EXPECT_NE(DefaultName(english.get(), 2), DefaultName(own, 2));

    ExpectMenu("bar menu", IDR_BAR_MENU, [&] { return app.PostRightClickRow(0); });
    ExpectMenu("tray menu", IDR_TRAY_MENU,
               [&] { return app.Post(WM_TRAY_NOTIFY, kTrayIconId, WM_RBUTTONUP); });

    // The About box's texts.
    ASSERT_TRUE(app.Post(WM_COMMAND, ID_TRAY_ABOUT));
    const HWND about = app.WaitDialog();
    ASSERT_TRUE(about);
    EXPECT_EQ(ChildTexts(about), AboutTexts(english.get()));
    EXPECT_NE(AboutTexts(own), AboutTexts(english.get()));
    ExpectAboutTextsFit(english.get(), about);
    ExpectDefaultNamesFit(english.get(), app.ClientSize().cx);
    PostMessageW(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }));

    // A switch, a rename, and the exit that brings the windows back.
    EXPECT_TRUE(Switch(1, {}, windows));
    ASSERT_TRUE(app.Rename(1, L"Mail"));
    EXPECT_EQ(app.NameOf(1), L"Mail");
    EXPECT_TRUE(Exit());
    EXPECT_TRUE(Eventually(windows, ::testing::Each(Shown())));
}
