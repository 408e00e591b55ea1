// What skinned dialogs show: real modal dialogs under Wine, read back through their window DCs.
#include <gtest/gtest.h>

#include "tests/skin/SkinTestResources.h"
#include "tests/skin/SkinTestSupport.h"
#include "res/resource.h"
#include "skin/CDiyDialogEx.h"
#include <algorithm>
#include <utility>
#include <vector>

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

// The menu bar where the window shows it, in window coordinates: its back colour, and the line
// below.
RECT MenuBarRect(HWND hwnd) {
    const RECT rect = WindowRect(hwnd);
    const RECT box = CaptureWindow(hwnd, RECT{0, 0, rect.right - rect.left, rect.bottom - rect.top})
                         .Find(kMenuBack)
                         .box;
    return RECT{box.left, box.top, box.right, box.bottom + 1};
}

// The menu bar as a reader sees it: the column ranges of its words, dark on the back colour,
// told apart by gaps wider than those between letters.
std::vector<std::pair<int, int>> Words(const Image& bar) {
    std::vector<std::pair<int, int>> words;
    const auto dark = [](COLORREF c) {
        return std::max({GetRValue(c), GetGValue(c), GetBValue(c)}) < 128;
    };
    int gap = 1000;
    for (int x = 0; x < bar.width; ++x) {
        const bool ink = bar.Crop(x, 0, x + 1, bar.height - 1).Find(dark).count > 0;
        if (ink && gap > 4)
            words.emplace_back(x, x);
        else if (ink)
            words.back().second = x;
        gap = ink ? 0 : gap + 1;
    }
    return words;
}

// The back colour along the top, above the words, and the white line along the bottom.
bool PlainBackAndBottomLine(const Image& bar) {
    return bar.Crop(0, 0, bar.width, 1).Count(kMenuBack) == bar.width &&
           bar.Crop(0, bar.height - 1, bar.width, bar.height).Count(kWhite) == bar.width;
}

} // namespace

TEST(SkinPaint, ThinBorderDialogShowsOutlineAndGreyBottomRow) {
    ThinBorderDialog dialog;
    WhileShown(dialog, [](HWND hwnd) {
        SendMessageW(hwnd, WM_NCPAINT, 1, 0);
        const RECT rect = WindowRect(hwnd);
        const int w = rect.right - rect.left, h = rect.bottom - rect.top;
        const Image p = CaptureWindow(hwnd, RECT{0, 0, w, h});
        EXPECT_EQ(p.Crop(0, 0, w, 1).Count(kTitleBlue), w) << "top";
        EXPECT_EQ(p.Crop(0, h - 1, w, h).Count(kTitleBlue), w) << "bottom";
        EXPECT_EQ(p.Crop(0, 0, 1, h).Count(kTitleBlue), h) << "left";
        EXPECT_EQ(p.Crop(w - 1, 0, w, h).Count(kTitleBlue), h) << "right";
        // The bottom strip's upper row lies just inside, in the frame colour.
        EXPECT_EQ(p.Crop(1, h - 2, w - 1, h - 1).Count(kFrame), w - 2);
        // No caption: below the outline the white dialog background begins.
        EXPECT_EQ(kWhite, p.At(w / 2, 1));
        EXPECT_EQ(kWhite, p.At(w / 2, h / 2));
    });
}

TEST(SkinPaint, MenuBarItemsSeparatorAndCache) {
    MenuBarDialog dialog;
    WhileShown(dialog, [](HWND hwnd) {
        SendMessageW(hwnd, WM_NCPAINT, 1, 0);
        const RECT rect = WindowRect(hwnd);
        const RECT bar = MenuBarRect(hwnd);
        // Right under the caption, between the two frame strips.
        EXPECT_EQ(kTitleBlue, WindowPixel(hwnd, bar.left, bar.top - 1));
        EXPECT_EQ(bar.left, rect.right - rect.left - bar.right);
        const Image first = CaptureWindow(hwnd, bar);
        EXPECT_TRUE(PlainBackAndBottomLine(first));
        // "File", "Edit" and "Window" from the left, evenly spaced: the separator between the
        // first two takes no room.
        const std::vector<std::pair<int, int>> words = Words(first);
        ASSERT_EQ(words.size(), 3u);
        EXPECT_LT(words[0].first, 12);
        const int gap1 = words[1].first - words[0].second;
        const int gap2 = words[2].first - words[1].second;
        EXPECT_NEAR(gap1, gap2, 3);
        EXPECT_GT(words[2].second - words[2].first, words[1].second - words[1].first)
            << "\"Window\" is wider than \"Edit\"";

        // Painted again unchanged: the same pixels.
        SendMessageW(hwnd, WM_NCPAINT, 1, 0);
        EXPECT_TRUE(SamePixels(first, CaptureWindow(hwnd, bar)));

        // A changed item with the size unchanged shows at the next paint: a longer word, and
        // the one after it moves right by as much.
        HMENU menu = GetMenu(hwnd);
        ASSERT_TRUE(ModifyMenuW(menu, ID_TEST_SECOND, MF_BYCOMMAND | MF_STRING, ID_TEST_SECOND,
                                L"Changed"));
        SendMessageW(hwnd, WM_NCPAINT, 1, 0);
        const std::vector<std::pair<int, int>> changed = Words(CaptureWindow(hwnd, bar));
        ASSERT_EQ(changed.size(), 3u);
        EXPECT_EQ(changed[0], words[0]);
        const int growth =
            (changed[1].second - changed[1].first) - (words[1].second - words[1].first);
        EXPECT_GT(growth, 0);
        EXPECT_NEAR(changed[2].first - words[2].first, growth, 1);

        // A new size rebuilds it from the menu: the same words, and back colour to the new end.
        SetWindowPos(hwnd, nullptr, 0, 0, rect.right - rect.left + 40, rect.bottom - rect.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(hwnd, WM_NCPAINT, 1, 0);
        const RECT widerBar = MenuBarRect(hwnd);
        EXPECT_EQ(widerBar.right - widerBar.left, bar.right - bar.left + 40);
        const Image wider = CaptureWindow(hwnd, widerBar);
        EXPECT_EQ(Words(wider), changed);
        EXPECT_TRUE(PlainBackAndBottomLine(wider));
    });
}

TEST(SkinPaint, BackgroundWithoutSettingsIsWhite) {
    ThinBorderDialog dialog;
    const Image p = RenderOffscreen(20, 10, RGB(255, 0, 0), [&](HDC hdc) {
        CDC dc;
        dc.Borrow(hdc);
        dialog.EraseBackground(&dc, CRect(2, 2, 12, 8));
    });
    EXPECT_EQ(kWhite, p.At(2, 2));
    EXPECT_EQ(kWhite, p.At(11, 7));
    EXPECT_EQ(RGB(255, 0, 0), p.At(12, 7));
    EXPECT_EQ(RGB(255, 0, 0), p.At(1, 2));

    // A background colour set through the framework replaces the white.
    dialog.SetBackgroundColor(RGB(10, 20, 30), FALSE);
    const Image q = RenderOffscreen(20, 10, RGB(255, 0, 0), [&](HDC hdc) {
        CDC dc;
        dc.Borrow(hdc);
        dialog.PaintBackground(&dc, CRect(0, 0, 20, 10));
    });
    EXPECT_EQ(RGB(10, 20, 30), q.At(19, 9));
}
