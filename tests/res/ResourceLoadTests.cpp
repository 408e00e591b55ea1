// The system's resource loaders on a module mapped as a data file, the way an optional resource
// library is used: bitmaps, menus, icons, strings and a dialog created from its template.
#include "res/resource.h"
#include "tests/res/ResourceFile.h"

#include <gtest/gtest.h>

using namespace ztest;

namespace {

HMODULE Module() {
    return ProgramResources().Module();
}

SIZE BitmapSize(HGDIOBJ bitmap) {
    BITMAP bm{};
    GetObjectW(bitmap, sizeof bm, &bm);
    return {bm.bmWidth, bm.bmHeight};
}

std::wstring MenuText(HMENU menu, UINT pos) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, pos, text, 128, MF_BYPOSITION);
    return text;
}

TEST(ResourceLoaders, LoadBitmapFromDataFile) {
    ASSERT_NE(Module(), nullptr);
    const struct {
        int id, width, height;
    } cases[] = {{IDB_ABOUT, 198, 85},
                 {IDB_AREA_ROW_SELECTED, 323, 79},
                 {IDB_CAPTION_CLOSE_HOVER, 43, 18},
                 {IDB_GRAYBTN_HOVER_LEFT, 3, 31}};
    for (const auto& c : cases) {
        UniqueGdiObject bitmap(LoadBitmapW(Module(), MAKEINTRESOURCEW(c.id)));
        ASSERT_TRUE(bitmap) << "LoadBitmapW(" << c.id << ") error " << GetLastError();
        const SIZE size = BitmapSize(bitmap.get());
        EXPECT_EQ(size.cx, c.width) << c.id;
        EXPECT_EQ(size.cy, c.height) << c.id;
    }
    EXPECT_EQ(LoadBitmapW(Module(), MAKEINTRESOURCEW(141)), nullptr) << "no bitmap 141";
}

TEST(ResourceLoaders, LoadMenuFromDataFile) {
    ASSERT_NE(Module(), nullptr);
    UniqueMenu tray(LoadMenuW(Module(), MAKEINTRESOURCEW(IDR_TRAY_MENU)));
    ASSERT_TRUE(tray) << "LoadMenuW error " << GetLastError();
    HMENU popup = GetSubMenu(tray.get(), 0);
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(GetMenuItemCount(popup), 5);
    EXPECT_EQ(GetMenuItemID(popup, 0), static_cast<UINT>(ID_TRAY_OPEN));
    EXPECT_EQ(GetMenuItemID(popup, 2), static_cast<UINT>(ID_TRAY_ABOUT));
    EXPECT_EQ(MenuText(popup, 2), L"关于Zelvanor ...");
    EXPECT_TRUE(GetMenuState(popup, 3, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(GetMenuItemID(popup, 4), static_cast<UINT>(ID_TRAY_EXIT));

    UniqueMenu bar(LoadMenuW(Module(), MAKEINTRESOURCEW(IDR_BAR_MENU)));
    ASSERT_TRUE(bar);
    popup = GetSubMenu(bar.get(), 0);
    ASSERT_EQ(GetMenuItemCount(popup), 3);
    EXPECT_EQ(MenuText(popup, 2), L"重命名");
    EXPECT_EQ(GetMenuItemID(popup, 2), static_cast<UINT>(ID_RENAME_WORKING_AREA));
}

TEST(ResourceLoaders, LoadIconFromDataFileAtSystemSize) {
    ASSERT_NE(Module(), nullptr);
    // Shared icon from LoadIconW: not destroyed by the caller.
    HICON icon = LoadIconW(Module(), MAKEINTRESOURCEW(IDR_MAINFRAME));
    ASSERT_NE(icon, nullptr) << "LoadIconW error " << GetLastError();
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    UniqueGdiObject color(info.hbmColor), mask(info.hbmMask);
    ASSERT_TRUE(color) << "a colour icon, not a monochrome one";
    EXPECT_EQ(BitmapSize(color.get()).cx, GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(BitmapSize(color.get()).cy, GetSystemMetrics(SM_CYICON));

    // The 16 x 16 image for the bar's title strip and the tray.
    HICON small = static_cast<HICON>(
        LoadImageW(Module(), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, 16, 16, 0));
    ASSERT_NE(small, nullptr);
    ICONINFO smallInfo{};
    ASSERT_TRUE(GetIconInfo(small, &smallInfo));
    UniqueGdiObject smallColor(smallInfo.hbmColor), smallMask(smallInfo.hbmMask);
    EXPECT_EQ(BitmapSize(smallColor.get()).cx, 16);
    DestroyIcon(small);
}

TEST(ResourceLoaders, LoadStringFromDataFile) {
    ASSERT_NE(Module(), nullptr);
    wchar_t text[64] = {};
    ASSERT_GT(LoadStringW(Module(), IDS_WORKING_AREA_NAME, text, 64), 0)
        << "LoadStringW error " << GetLastError();
    EXPECT_EQ(std::wstring(text), L"工作区%d");
    wchar_t name[64] = {};
    swprintf(name, 64, text, 3);
    EXPECT_EQ(std::wstring(name), L"工作区3");
    ASSERT_GT(LoadStringW(Module(), IDS_ABOUTBOX, text, 64), 0);
    EXPECT_EQ(std::wstring(text), L"关于 Zelvanor(&A)...");
    EXPECT_EQ(LoadStringW(Module(), 104, text, 64), 0) << "an unused id of the same block";
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

// The About template as a real window: its statics must find icon 128 and bitmap 142 in the
// module the dialog was created from, and the button keeps its text and id.
TEST(ResourceLoaders, AboutDialogCreatedFromDataFileShowsItsImages) {
    ASSERT_NE(Module(), nullptr);
    UniqueWindow dlg(
        CreateDialogParamW(Module(), MAKEINTRESOURCEW(IDD_ABOUTBOX), nullptr, QuietDialogProc, 0));
    ASSERT_TRUE(dlg) << "CreateDialogParamW error " << GetLastError();
    wchar_t caption[32] = {};
    GetWindowTextW(dlg.get(), caption, 32);
    EXPECT_EQ(std::wstring(caption), L"Zelvanor");
    EXPECT_TRUE(GetWindowLongW(dlg.get(), GWL_STYLE) & WS_CAPTION);

    HWND first = GetWindow(dlg.get(), GW_CHILD);
    ASSERT_NE(first, nullptr);
    EXPECT_NE(SendMessageW(first, STM_GETICON, 0, 0), 0) << "icon static without an icon";

    HWND ok = GetDlgItem(dlg.get(), IDOK);
    ASSERT_NE(ok, nullptr);
    wchar_t text[16] = {};
    GetWindowTextW(ok, text, 16);
    EXPECT_EQ(std::wstring(text), L"确定");

    HWND last = GetWindow(first, GW_HWNDLAST);
    ASSERT_NE(last, nullptr);
    auto picture = reinterpret_cast<HBITMAP>(SendMessageW(last, STM_GETIMAGE, IMAGE_BITMAP, 0));
    ASSERT_NE(picture, nullptr) << "bitmap static without a bitmap";
    EXPECT_EQ(BitmapSize(picture).cx, 198);
    EXPECT_EQ(BitmapSize(picture).cy, 85);
    RECT rc{};
    GetWindowRect(last, &rc);
    EXPECT_EQ(rc.right - rc.left, 198) << "the static takes the picture's size";
}

// The bar template: hidden rename edit, tool window, no caption.
TEST(ResourceLoaders, BarDialogCreatedFromDataFile) {
    ASSERT_NE(Module(), nullptr);
    UniqueWindow dlg(CreateDialogParamW(Module(), MAKEINTRESOURCEW(IDD_ZELVANOR_DIALOG), nullptr,
                                        QuietDialogProc, 0));
    ASSERT_TRUE(dlg) << "CreateDialogParamW error " << GetLastError();
    const LONG style = GetWindowLongW(dlg.get(), GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_BORDER);
    EXPECT_FALSE(style & WS_SYSMENU);
    EXPECT_TRUE(GetWindowLongW(dlg.get(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(GetWindowLongW(dlg.get(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    HWND edit = GetDlgItem(dlg.get(), IDC_RENAME_EDIT);
    ASSERT_NE(edit, nullptr);
    wchar_t cls[16] = {};
    GetClassNameW(edit, cls, 16);
    EXPECT_EQ(_wcsicmp(cls, L"Edit"), 0);
    EXPECT_FALSE(IsWindowVisible(edit));
}

} // namespace
