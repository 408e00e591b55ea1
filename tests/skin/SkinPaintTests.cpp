// What skinned dialogs show: real modal dialogs under Wine, read back through their window DCs.
#include <gtest/gtest.h>

#include "tests/skin/SkinTestResources.h"
#include "tests/skin/SkinTestSupport.h"
#include "res/resource.h"
#include "skin/CDiyDialogEx.h"

using namespace skintest;

namespace {

// The bar's own template: thin border, no caption.
class ThinBorderDialog : public CDiyDialogEx {
public:
    ThinBorderDialog() : CDiyDialogEx(IDD_ZELVANOR_DIALOG, ProgramSkin::kCaption) {}
};

constexpr COLORREF kMenuBack = RGB(250, 240, 200);

// A captioned dialog with a menu bar whose back colour is not white.
class MenuBarDialog : public CDiyDialogEx {
public:
    MenuBarDialog() : CDiyDialogEx(IDD_TEST_MENU_DIALOG, ProgramSkin::kCaption) {
        m_clrMenuBar = kMenuBack;
    }
};

int CaptionFrame() {
    return GetSystemMetrics(SM_CXDLGFRAME);
}

// The menu bar's rectangle in window coordinates for a dialog-frame window of width w.
RECT MenuBarRect(int w) {
    const int f = CaptionFrame();
    const int top = GetSystemMetrics(SM_CYSIZE) + f + 1;
    return RECT{f, top, w - f, top + GetSystemMetrics(SM_CYMENU)};
}

// Item spacing: 6, or the width of a popup menu item when visual styles are on.
int MenuPad(HWND hwnd) {
    int pad = 6;
    if (HTHEME theme = OpenThemeData(hwnd, L"Menu")) {
        SIZE size{};
        if (GetThemePartSize(theme, nullptr, 14, 1, nullptr, TS_TRUE, &size) == S_OK)
            pad = size.cx;
        CloseThemeData(theme);
    }
    return pad;
}

// How the menu bar should look: back colour, white bottom line, the text items from `pad` on,
// 2 x pad apart, in the window's font.
Image ExpectedMenuBar(HWND hwnd, int width, int height, const std::vector<CString>& items) {
    const HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    const int pad = MenuPad(hwnd);
    return RenderOffscreen(width, height, kMenuBack, [&](HDC hdc) {
        RECT bottom{0, height - 1, width, height};
        FillRect(hdc, &bottom, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        const HGDIOBJ old = SelectObject(hdc, font);
        SetBkMode(hdc, TRANSPARENT);
        SetTextColor(hdc, RGB(0, 0, 0));
        RECT r{pad, 2, width, height};
        for (const CString& item : items) {
            RECT calc{0, 0, 0, 0};
            DrawTextW(hdc, item, -1, &calc, DT_CALCRECT);
            DrawTextW(hdc, item, -1, &r, DT_VCENTER);
            r.left += 2 * pad + (calc.right - calc.left);
        }
        SelectObject(hdc, old);
    });
}

} // namespace

TEST(SkinPaint, ThinBorderDialogShowsOutlineAndGreyBottomRow) {
    ThinBorderDialog dialog;
    const INT_PTR result = RunModal(dialog, [](HWND hwnd) {
        SendMessageW(hwnd, WM_NCPAINT, 1, 0);
        const RECT rect = WindowRect(hwnd);
        const int w = rect.right - rect.left, h = rect.bottom - rect.top;
        const Image p = CaptureWindow(hwnd, RECT{0, 0, w, h});
        for (int x = 0; x < w; ++x) {
            ASSERT_EQ(kTitleBlue, p.At(x, 0)) << "top, x=" << x;
            ASSERT_EQ(kTitleBlue, p.At(x, h - 1)) << "bottom, x=" << x;
        }
        for (int y = 0; y < h; ++y) {
            ASSERT_EQ(kTitleBlue, p.At(0, y)) << "left, y=" << y;
            ASSERT_EQ(kTitleBlue, p.At(w - 1, y)) << "right, y=" << y;
        }
        // The bottom strip's upper row lies just inside, in the frame colour.
        for (int x = 1; x < w - 1; ++x)
            ASSERT_EQ(kFrame, p.At(x, h - 2)) << "x=" << x;
        // No caption: below the outline the white dialog background begins.
        EXPECT_EQ(kWhite, p.At(w / 2, 1));
        EXPECT_EQ(kWhite, p.At(w / 2, h / 2));
        EndDialog(hwnd, IDOK);
    });
    EXPECT_EQ(IDOK, result);
}

TEST(SkinPaint, MenuBarItemsSeparatorAndCache) {
    MenuBarDialog dialog;
    const INT_PTR result = RunModal(dialog, [](HWND hwnd) {
        SendMessageW(hwnd, WM_NCPAINT, 1, 0);
        const RECT rect = WindowRect(hwnd);
        RECT bar = MenuBarRect(rect.right - rect.left);
        const int barW = bar.right - bar.left, barH = bar.bottom - bar.top;
        const Image first = CaptureWindow(hwnd, bar);
        // The separator takes no room: "Edit" follows "File" directly.
        EXPECT_TRUE(
            SamePixels(ExpectedMenuBar(hwnd, barW, barH, {L"File", L"Edit", L"Window"}), first));

        // Painted again unchanged: the cached image, the same pixels.
        SendMessageW(hwnd, WM_NCPAINT, 1, 0);
        EXPECT_TRUE(SamePixels(first, CaptureWindow(hwnd, bar)));

        // A changed item with the size unchanged shows at the next paint.
        HMENU menu = GetMenu(hwnd);
        ASSERT_TRUE(ModifyMenuW(menu, ID_TEST_SECOND, MF_BYCOMMAND | MF_STRING, ID_TEST_SECOND,
                                L"Changed"));
        SendMessageW(hwnd, WM_NCPAINT, 1, 0);
        EXPECT_TRUE(SamePixels(ExpectedMenuBar(hwnd, barW, barH, {L"File", L"Changed", L"Window"}),
                               CaptureWindow(hwnd, bar)));

        // A new size rebuilds it from the menu.
        SetWindowPos(hwnd, nullptr, 0, 0, rect.right - rect.left + 40, rect.bottom - rect.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(hwnd, WM_NCPAINT, 1, 0);
        bar = MenuBarRect(rect.right - rect.left + 40);
        EXPECT_TRUE(
            SamePixels(ExpectedMenuBar(hwnd, barW + 40, barH, {L"File", L"Changed", L"Window"}),
                       CaptureWindow(hwnd, bar)));
        EndDialog(hwnd, IDOK);
    });
    EXPECT_EQ(IDOK, result);
}

TEST(SkinPaint, BackgroundWithoutSettingsIsWhite) {
    ThinBorderDialog dialog;
    const Image p = RenderOffscreen(20, 10, RGB(255, 0, 0), [&](HDC hdc) {
        CDC dc;
        dc.Attach(hdc);
        dialog.EraseBackground(&dc, CRect(2, 2, 12, 8));
        dc.Detach();
    });
    EXPECT_EQ(kWhite, p.At(2, 2));
    EXPECT_EQ(kWhite, p.At(11, 7));
    EXPECT_EQ(RGB(255, 0, 0), p.At(12, 7));
    EXPECT_EQ(RGB(255, 0, 0), p.At(1, 2));

    // A background colour set through the framework replaces the white.
    dialog.SetBackgroundColor(RGB(10, 20, 30), FALSE);
    const Image q = RenderOffscreen(20, 10, RGB(255, 0, 0), [&](HDC hdc) {
        CDC dc;
        dc.Attach(hdc);
        dialog.PaintBackground(&dc, CRect(0, 0, 20, 10));
        dc.Detach();
    });
    EXPECT_EQ(RGB(10, 20, 30), q.At(19, 9));
}
