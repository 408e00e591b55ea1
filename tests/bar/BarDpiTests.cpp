// The bar at the screen's DPI: run at 96 dpi with the other bar tests, and by tools/test.sh again
// in prefixes at 144 and 192 dpi. Every size is the 96-dpi one scaled, within a pixel.
#include "tests/bar/BarFixture.h"
#include "tests/support/Dpi.h"
#include <algorithm>

using namespace bartest;

namespace {

class BarAtDpi : public BarTest {
protected:
    void SetUp() override {
        ASSERT_EQ(ScreenDpi(), ExpectedDpi()) << "the prefix does not have the DPI asked for";
        BarTest::SetUp();
    }
    // What Windows sends when the bar moves to a monitor of another DPI; under Wine every
    // monitor has one DPI, so the test sends it. The rectangle must lie in the bar's own memory,
    // as the system's would.
    void SendDpiChanged(int dpi, const RECT& suggested) {
        void* remote = VirtualAllocEx(m_bar.Process(), nullptr, sizeof(suggested),
                                      MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        ASSERT_NE(remote, nullptr);
        ASSERT_TRUE(
            WriteProcessMemory(m_bar.Process(), remote, &suggested, sizeof(suggested), nullptr));
        bool answered = false;
        const LRESULT result = m_bar.Send(WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                                          reinterpret_cast<LPARAM>(remote), &answered);
        VirtualFreeEx(m_bar.Process(), remote, 0, MEM_RELEASE);
        ASSERT_TRUE(answered) << "the bar did not answer WM_DPICHANGED";
        EXPECT_EQ(result, 0) << "an application that handles WM_DPICHANGED returns zero";
    }
    static POINT CollapseButton(const BarLayout::Metrics& layout, int width) {
        return POINT{std::max(1, width - (layout.closeOffset + layout.collapseOffset) / 2),
                     layout.buttonHeight / 2};
    }
    // Pixels of the row text's grey, or near it, in a picture of a row.
    static PixelSet RowText(const Image& row) {
        return row.Find([](COLORREF c) { return ChannelDistance(c, kRowText) < 40; });
    }
};

TEST_F(BarAtDpi, StripButtonsCaptionAndRowsScale) {
    const BarLayout::Metrics layout = Layout();
    ASSERT_TRUE(m_bar.AddAreasUpTo(3));
    const SIZE client = m_bar.ClientSize();
    EXPECT_NEAR(client.cx, kClientWidth * ExpectedDpi() / 96.0, 1);
    // Three rows under the strip, each 30 pixels at 96 dpi.
    EXPECT_NEAR((client.cy - layout.titleHeight) / 3.0, kRowHeight * ExpectedDpi() / 96.0, 1);

    // The strip's fill ends at its scaled height, and the buttons are their bitmaps stretched.
    const Image close = ProgramBitmap(IDB_CLOSE, Px(kCloseWidth), Px(kButtonHeight));
    const Image collapse = ProgramBitmap(IDB_COLLAPSE, Px(kCollapseWidth), Px(kButtonHeight));
    const int w = client.cx;
    const int closeLeft = w - layout.closeOffset, collapseLeft = w - layout.collapseOffset;
    const auto same = [](const Image& a, const Image& b) {
        return Compare(a, b, kTolerance).count == 0;
    };
    Image strip;
    EXPECT_TRUE(m_bar.WaitPixels(
        RECT{0, 0, w, layout.titleHeight + 1},
        [&](const Image& s) {
            // Left of the icon the strip is all fill; the row below starts at once.
            const Image left = s.Crop(Px(4), 0, Px(4) + 1, layout.titleHeight);
            return left.Count(kTitleBlue) == layout.titleHeight &&
                   s.At(w / 2, layout.titleHeight) != kTitleBlue &&
                   same(s.Crop(closeLeft, 0, w, layout.buttonHeight), close) &&
                   same(s.Crop(collapseLeft, 0, closeLeft, layout.buttonHeight), collapse);
        },
        &strip))
        << "strip " << strip.width << " x " << strip.height;

    // The caption's white text: beside the scaled icon, as tall as its scaled font makes it.
    const PixelSet caption = strip
                                 .Crop(layout.captionLeftWithIcon - Px(2), 0,
                                       w - layout.collapseOffset, layout.titleHeight)
                                 .Find(kWhite);
    ASSERT_GT(caption.count, Px(20));
    EXPECT_GE(caption.box.bottom - caption.box.top, Px(9));
    EXPECT_LE(caption.box.bottom, layout.titleHeight);

    // Each row's name lies wholly inside its row.
    for (int row = 0; row < 3; ++row) {
        // A row repainted after the switch may still be on its way to the screen.
        Image shown;
        ASSERT_TRUE(m_bar.WaitPixels(
            RECT{0, layout.RowTop(row), w, layout.RowTop(row) + layout.rowHeight},
            [](const Image& s) { return RowText(s).count > 0; }, &shown))
            << "no text in row " << row;
        const PixelSet text = RowText(shown);
        EXPECT_GT(text.box.top, 0) << "row " << row;
        EXPECT_LT(text.box.bottom, layout.rowHeight) << "row " << row;
        EXPECT_GT(text.box.left, 0) << "row " << row;
        EXPECT_LT(text.box.right, w) << "row " << row;
    }
}

TEST_F(BarAtDpi, RenameBoxShowsItsWholeText) {
    ASSERT_TRUE(m_bar.AddAreasUpTo(2));
    const std::wstring name = L"工作区12 Zelvanor";
    ASSERT_TRUE(m_bar.TypeName(1, name));
    HWND edit = m_bar.RenameEdit();
    RECT box;
    GetClientRect(edit, &box);
    // The last character starts inside the box and the line's height fits in it.
    const LRESULT last = SendMessageW(edit, EM_POSFROMCHAR, name.size() - 1, 0);
    EXPECT_LT(static_cast<short>(LOWORD(last)) + Px(6), box.right) << "the text runs past the box";
    RECT format{};
    SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    EXPECT_GE(format.top, 0);
    EXPECT_LE(format.bottom, box.bottom) << "the line is taller than the box";

    // And on the screen: the dark text keeps off the box's top and bottom edges.
    POINT origin{0, 0};
    ClientToScreen(edit, &origin);
    const RECT onScreen{origin.x, origin.y, origin.x + box.right, origin.y + box.bottom};
    PixelSet text;
    ASSERT_TRUE(WaitUntil([&] {
        text = CaptureScreen(onScreen).Find([](COLORREF c) { return GetGValue(c) < 100; });
        return text.count > Px(30);
    }));
    EXPECT_GT(text.box.top, 0);
    EXPECT_LT(text.box.bottom, box.bottom);
    EXPECT_GE(text.box.bottom - text.box.top, Px(8)) << "the text is not scaled";
}

TEST_F(BarAtDpi, DpiChangeTakesTheSuggestedPlaceAndRedrawsAtTheNewScale) {
    const int newDpi = ExpectedDpi() == 192 ? 144 : 192;
    const BarLayout::Metrics after(newDpi);
    ASSERT_TRUE(m_bar.AddAreasUpTo(2));
    // The width of the first (current) row's text once it is on the screen: the pixels that
    // differ much from the row's picture at that size.
    auto textWidth = [&](const BarLayout::Metrics& layout) {
        const Image picture =
            ProgramBitmap(IDB_AREA_ROW_SELECTED, layout.clientWidth, layout.rowHeight);
        Image row;
        EXPECT_TRUE(m_bar.WaitPixels(
            RECT{0, layout.RowTop(0), layout.clientWidth, layout.RowTop(0) + layout.rowHeight},
            [](const Image& s) { return RowText(s).count > 0; }, &row))
            << "no text in the first row at " << layout.dpi << " dpi";
        // The row's last line belongs to the frame; sizes as both images allow.
        const int w = std::min(row.width, picture.width);
        const int h = std::min(row.height - 1, picture.height);
        return Compare(row.Crop(0, 0, w, h), picture.Crop(0, 0, w, h), 60).Width();
    };
    auto lineHeight = [&] {
        RECT line{};
        SendMessageW(m_bar.RenameEdit(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&line));
        return line.bottom - line.top;
    };
    const int widthBefore = textWidth(Layout());
    ASSERT_GT(widthBefore, 0);
    // A rename under way when the DPI changes goes on at the new scale.
    ASSERT_TRUE(m_bar.TypeName(1, L"工作区12"));
    const int lineBefore = lineHeight();
    ASSERT_GT(lineBefore, 0);

    const RECT suggested{200, 150, 200 + after.clientWidth + 2, 150 + after.ClientHeightFor(2) + 2};
    ASSERT_NO_FATAL_FAILURE(SendDpiChanged(newDpi, suggested));
    EXPECT_TRUE(m_bar.WaitWindow([&](const RECT& r) { return r.left == 200 && r.top == 150; }));
    const SIZE client = m_bar.ClientSize();
    EXPECT_EQ(client.cx, after.clientWidth);
    EXPECT_EQ(client.cy, after.ClientHeightFor(2));
    const Image close = ProgramBitmap(IDB_CLOSE, ScaleToDpi(kCloseWidth, newDpi),
                                      ScaleToDpi(kButtonHeight, newDpi));
    EXPECT_TRUE(
        m_bar.WaitPixels(RECT{client.cx - after.closeOffset, 0, client.cx, after.buttonHeight},
                         [&](const Image& s) { return Compare(s, close, kTolerance).count == 0; }))
        << "the close button is not drawn at the new scale";

    // Windows would scale the dialog's font on its own; the bar does it itself, for the rows
    // and the rename box alike.
    const double ratio = newDpi / static_cast<double>(ExpectedDpi());
    const int widthAfter = textWidth(after);
    EXPECT_NEAR(widthAfter, widthBefore * ratio, std::max(2.0, widthBefore * ratio / 5))
        << "row text not rescaled: " << widthBefore << " px wide before, " << widthAfter
        << " after";
    EXPECT_NEAR(lineHeight(), lineBefore * ratio, 2) << "the rename box's font is not rescaled";
    const RECT box = WindowRect(m_bar.RenameEdit());
    const POINT row = m_bar.ToScreen(0, after.RowTop(1));
    EXPECT_EQ(box.top, row.y) << "the rename box is not over its row";
    EXPECT_EQ(box.bottom - box.top, after.rowHeight);
}

// A folded bar stays folded, at the stub's new size, its top-right corner where the system puts
// it; unfolded, it has the list's size at the new scale.
TEST_F(BarAtDpi, AFoldedBarStaysFoldedAcrossADpiChange) {
    const int newDpi = ExpectedDpi() == 192 ? 144 : 192;
    const BarLayout::Metrics before = Layout(), after(newDpi);
    ASSERT_TRUE(m_bar.AddAreasUpTo(2));
    const POINT fold = CollapseButton(before, m_bar.ClientSize().cx);
    ASSERT_TRUE(m_bar.Click(fold.x, fold.y));
    ASSERT_TRUE(
        m_bar.WaitWindow([&](const RECT& r) { return r.right - r.left == before.collapsedWidth; }));

    const RECT suggested{300, 150, 300 + after.collapsedWidth + 3, 150 + after.collapsedHeight};
    ASSERT_NO_FATAL_FAILURE(SendDpiChanged(newDpi, suggested));
    RECT folded{};
    EXPECT_TRUE(m_bar.WaitWindow([&](const RECT& r) {
        folded = r;
        return r.right == suggested.right && r.top == suggested.top &&
               r.right - r.left == after.collapsedWidth &&
               r.bottom - r.top == after.collapsedHeight;
    })) << "folded bar at "
        << Text(folded);

    const POINT unfold = CollapseButton(after, m_bar.ClientSize().cx);
    ASSERT_TRUE(m_bar.Click(unfold.x, unfold.y));
    EXPECT_TRUE(m_bar.WaitWindow([&](const RECT&) {
        const SIZE client = m_bar.ClientSize();
        return client.cx == after.clientWidth && client.cy == after.ClientHeightFor(2);
    })) << "the bar did not unfold to its list at the new scale";
}

} // namespace
