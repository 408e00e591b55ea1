// A working area's row, drawn with the program's own bitmaps (taken from the built Zelvanor.exe)
// into a memory canvas, and read back pixel by pixel.
#include "areas/WorkingArea.h"
#include "res/resource.h"
#include "tests/support/Image.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <vector>

using namespace ztest;

namespace {

constexpr COLORREF kUntouched = RGB(255, 0, 255);

// What `draw` leaves on a 240 x 100 canvas filled with kUntouched, with a dialog font selected
// as the bar selects its font before drawing rows.
Image Drawn(const std::function<void(CDC*)>& draw) {
    return RenderOffscreen(240, 100, kUntouched, [&](HDC hdc) {
        CDC dc;
        dc.Borrow(hdc);
        ScopedSelect font(dc, GetStockObject(DEFAULT_GUI_FONT));
        draw(&dc);
    });
}

CSize TextExtent(const CString& text) {
    CSize extent;
    Drawn([&](CDC* dc) { extent = dc->GetTextExtent(text); });
    return extent;
}

Image Part(const Image& image, const CRect& rc) {
    return image.Crop(rc.left, rc.top, rc.right, rc.bottom);
}

// Mean colours of a 4 x 2 grid over an image, so that two images of different sizes compare.
using Grid = std::vector<Colour>;

Grid GridOf(const Image& image) {
    Grid grid;
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 4; ++column)
            grid.push_back(image
                               .Crop((column * image.width + 3) / 4, (row * image.height + 1) / 2,
                                     ((column + 1) * image.width + 3) / 4,
                                     ((row + 1) * image.height + 1) / 2)
                               .Mean());
    return grid;
}

double GridDistance(const Grid& a, const Grid& b) {
    double worst = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        worst = std::max({worst, std::abs(a[i].r - b[i].r), std::abs(a[i].g - b[i].g),
                          std::abs(a[i].b - b[i].b)});
    }
    return worst;
}

bool OutsideUntouched(const Image& image, const CRect& rc) {
    const Image inside = Part(image, rc);
    return image.Count(kUntouched) - inside.Count(kUntouched) ==
           image.width * image.height - inside.width * inside.height;
}

class AreasRowDrawing : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(ProgramModule(), nullptr);
        m_previous = AfxGetResourceHandle();
        AfxSetResourceHandle(ProgramModule());
    }
    void TearDown() override { AfxSetResourceHandle(m_previous); }

    // The grid of a row bitmap as shipped, read straight from the resources.
    static Grid SourceGrid(UINT id) {
        const Image bitmap = ProgramBitmap(id);
        EXPECT_EQ(bitmap.width, 323) << "bitmap " << id;
        EXPECT_EQ(bitmap.height, 79) << "bitmap " << id;
        return GridOf(bitmap);
    }

    HINSTANCE m_previous = nullptr;
};

} // namespace

TEST_F(AreasRowDrawing, RowBitmapIsStretchedOverTheRowByState) {
    const Grid normal = SourceGrid(IDB_AREA_ROW);
    const Grid selected = SourceGrid(IDB_AREA_ROW_SELECTED);
    ASSERT_GT(GridDistance(normal, selected), 20) << "the two row bitmaps look alike";
    const CRect rc(30, 40, 150, 70);

    WorkingArea area(1);
    const Image drawn = Drawn([&](CDC* dc) { area.Draw(dc, rc); });
    ASSERT_FALSE(drawn.Empty());
    EXPECT_EQ(CRect(area.m_rect), rc);
    EXPECT_TRUE(OutsideUntouched(drawn, rc));
    EXPECT_LT(GridDistance(GridOf(Part(drawn, rc)), normal), 16);
    EXPECT_GT(GridDistance(GridOf(Part(drawn, rc)), selected), 16);

    // Redraw and SetSelected paint where the row was last drawn.
    EXPECT_TRUE(SamePixels(drawn, Drawn([&](CDC* dc) { area.Redraw(dc); })));

    const Image current = Drawn([&](CDC* dc) { area.SetSelected(dc, TRUE); });
    EXPECT_TRUE(area.m_selected);
    EXPECT_TRUE(OutsideUntouched(current, rc));
    EXPECT_LT(GridDistance(GridOf(Part(current, rc)), selected), 16);

    // Hover changes the text colour only, never the bitmap.
    area.m_hover = TRUE;
    const Image hovered = Drawn([&](CDC* dc) { area.Redraw(dc); });
    EXPECT_LT(GridDistance(GridOf(Part(hovered, rc)), selected), 16);
}

TEST_F(AreasRowDrawing, RowNeverPaintedDrawsNothingOnRedraw) {
    WorkingArea area(1);
    area.m_name = L"row";
    const Image canvas = Drawn([&](CDC* dc) {
        area.Redraw(dc);
        area.SetSelected(dc, TRUE);
    });
    EXPECT_TRUE(OutsideUntouched(canvas, CRect(0, 0, 0, 0)));
}

TEST_F(AreasRowDrawing, NameIsCentredInTheStateColour) {
    const CRect rc(30, 40, 150, 70);
    for (BOOL hover : {FALSE, TRUE}) {
        SCOPED_TRACE(hover ? "hover" : "normal");
        WorkingArea blank(1), area(2);
        blank.m_hover = area.m_hover = hover;
        area.m_name = L"WAW";
        const Image empty = Part(Drawn([&](CDC* dc) { blank.Draw(dc, rc); }), rc);
        const Image named = Part(Drawn([&](CDC* dc) { area.Draw(dc, rc); }), rc);

        const PixelSet text = Compare(empty, named, 0);
        ASSERT_GT(text.count, 0);
        const COLORREF want = hover ? kHoverText : kRowText;
        const COLORREF other = hover ? kRowText : kHoverText;
        int wanted = 0, others = 0;
        for (size_t i = 0; i < named.pixels.size(); ++i) {
            if (named.pixels[i] != empty.pixels[i]) {
                wanted += named.pixels[i] == want;
                others += named.pixels[i] == other;
            }
        }
        EXPECT_GT(wanted, 0);
        EXPECT_EQ(others, 0);
        // Shown whole, in the middle of the row both ways as a reader sees it.
        EXPECT_NEAR((text.box.left + text.box.right) / 2.0, rc.Width() / 2.0, 2.0);
        EXPECT_NEAR((text.box.top + text.box.bottom) / 2.0, rc.Height() / 2.0, 2.0);
        EXPECT_NEAR(text.Width(), TextExtent(L"WAW").cx, 3);
    }
}

TEST_F(AreasRowDrawing, NameWiderThanTheRowIsClippedOnBothSides) {
    const CRect rc(60, 30, 180, 60);
    WorkingArea blank(1), area(2);
    area.m_name = L"WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW";
    ASSERT_GT(TextExtent(area.m_name).cx, 2 * rc.Width());
    const Image empty = Drawn([&](CDC* dc) { blank.Draw(dc, rc); });
    const Image named = Drawn([&](CDC* dc) { area.Draw(dc, rc); });

    EXPECT_TRUE(OutsideUntouched(named, rc));
    const PixelSet text = Compare(Part(empty, rc), Part(named, rc), 0);
    EXPECT_LT(text.box.left, 6);
    EXPECT_GT(text.box.right, rc.Width() - 6);
}
