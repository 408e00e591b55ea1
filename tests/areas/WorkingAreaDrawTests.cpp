// A working area's row, drawn with the program's own bitmaps (taken from the built Zelvanor.exe)
// into a memory canvas, and read back pixel by pixel.
#include "HelperProcess.h"
#include "areas/WorkingArea.h"
#include "res/resource.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr COLORREF kUntouched = RGB(255, 0, 255);
constexpr COLORREF kHoverText = RGB(191, 0, 0);
constexpr COLORREF kNormalText = RGB(91, 91, 91);

// A 32-bit top-down DIB section in a memory DC, filled with kUntouched, with a dialog font
// selected, as the bar selects its font before drawing rows.
class Canvas {
public:
    Canvas(int width = 240, int height = 100) : m_width(width), m_height(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        m_bitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        m_bits = static_cast<DWORD*>(bits);
        m_dc.CreateCompatibleDC(nullptr);
        m_selectBitmap = std::make_unique<ScopedSelect>(m_dc, m_bitmap.get());
        m_selectFont = std::make_unique<ScopedSelect>(m_dc, GetStockObject(DEFAULT_GUI_FONT));
        CRect all(0, 0, width, height);
        m_dc.FillSolidRect(&all, kUntouched);
    }
    CDC* dc() { return &m_dc; }
    bool Ok() const { return m_bits != nullptr && m_dc.m_hDC != nullptr; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    COLORREF Pixel(int x, int y) const {
        const DWORD p = m_bits[y * m_width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

private:
    int m_width, m_height;
    UniqueHgdiobj m_bitmap;
    DWORD* m_bits = nullptr;
    CDC m_dc;
    std::unique_ptr<ScopedSelect> m_selectBitmap;
    std::unique_ptr<ScopedSelect> m_selectFont;
};

struct Mean {
    double r = 0, g = 0, b = 0;
};

// Mean colours of a 4 x 2 grid over an image, so that two images of different sizes compare.
using Grid = std::vector<Mean>;

template <typename PixelAt> Grid GridOf(int width, int height, PixelAt pixelAt) {
    Grid grid(8);
    std::vector<int> counts(8, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int cell = (y * 2 / height) * 4 + x * 4 / width;
            const COLORREF c = pixelAt(x, y);
            grid[cell].r += GetRValue(c);
            grid[cell].g += GetGValue(c);
            grid[cell].b += GetBValue(c);
            ++counts[cell];
        }
    }
    for (int i = 0; i < 8; ++i) {
        grid[i].r /= counts[i];
        grid[i].g /= counts[i];
        grid[i].b /= counts[i];
    }
    return grid;
}

double Distance(const Grid& a, const Grid& b) {
    double worst = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        worst = std::max({worst, std::abs(a[i].r - b[i].r), std::abs(a[i].g - b[i].g),
                          std::abs(a[i].b - b[i].b)});
    }
    return worst;
}

Grid GridOfRow(const Canvas& canvas, const CRect& rc) {
    return GridOf(rc.Width(), rc.Height(),
                  [&](int x, int y) { return canvas.Pixel(rc.left + x, rc.top + y); });
}

class AreasRowDrawing : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring exe = zhelper::ExeDir() + L"\\Zelvanor.exe";
        m_module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(m_module, nullptr);
        m_previous = AfxGetResourceHandle();
        AfxSetResourceHandle(m_module);
    }
    void TearDown() override {
        AfxSetResourceHandle(m_previous);
        if (m_module) {
            FreeLibrary(m_module);
        }
    }

    // The grid of a row bitmap as shipped, read straight from the resources.
    Grid SourceGrid(UINT id) {
        HBITMAP bitmap = LoadBitmapW(m_module, MAKEINTRESOURCEW(id));
        EXPECT_NE(bitmap, nullptr) << "bitmap " << id;
        if (!bitmap) {
            return Grid(8);
        }
        BITMAP bm{};
        GetObjectW(bitmap, sizeof(bm), &bm);
        EXPECT_EQ(bm.bmWidth, 323);
        EXPECT_EQ(bm.bmHeight, 79);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = bm.bmWidth;
        info.bmiHeader.biHeight = -bm.bmHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        std::vector<DWORD> pixels(static_cast<size_t>(bm.bmWidth) * bm.bmHeight);
        HDC screen = GetDC(nullptr);
        GetDIBits(screen, bitmap, 0, bm.bmHeight, pixels.data(), &info, DIB_RGB_COLORS);
        ReleaseDC(nullptr, screen);
        DeleteObject(bitmap);
        const int width = bm.bmWidth;
        return GridOf(bm.bmWidth, bm.bmHeight, [&](int x, int y) {
            const DWORD p = pixels[y * width + x];
            return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
        });
    }

    HMODULE m_module = nullptr;
    HINSTANCE m_previous = nullptr;
};

// Pixels where `a` and `b` differ inside rc: the text drawn over the same background.
std::vector<POINT> Differences(const Canvas& a, const Canvas& b, const CRect& rc) {
    std::vector<POINT> points;
    for (int y = rc.top; y < rc.bottom; ++y) {
        for (int x = rc.left; x < rc.right; ++x) {
            if (a.Pixel(x, y) != b.Pixel(x, y)) {
                points.push_back({x, y});
            }
        }
    }
    return points;
}

bool OutsideUntouched(const Canvas& canvas, const CRect& rc) {
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            if (!rc.PtInRect(CPoint(x, y)) && canvas.Pixel(x, y) != kUntouched) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

TEST_F(AreasRowDrawing, RowBitmapIsStretchedOverTheRowByState) {
    const Grid normal = SourceGrid(IDB_AREA_ROW);
    const Grid selected = SourceGrid(IDB_AREA_ROW_SELECTED);
    ASSERT_GT(Distance(normal, selected), 20) << "the two row bitmaps look alike";
    const CRect rc(30, 40, 150, 70);

    Canvas drawn;
    ASSERT_TRUE(drawn.Ok());
    WorkingArea area(1);
    area.Draw(drawn.dc(), rc);
    EXPECT_EQ(CRect(area.m_rect), rc);
    EXPECT_TRUE(OutsideUntouched(drawn, rc));
    EXPECT_LT(Distance(GridOfRow(drawn, rc), normal), 16);
    EXPECT_GT(Distance(GridOfRow(drawn, rc), selected), 16);

    // Redraw and SetSelected paint where the row was last drawn.
    Canvas redrawn;
    area.Redraw(redrawn.dc());
    EXPECT_TRUE(Differences(drawn, redrawn, CRect(0, 0, drawn.Width(), drawn.Height())).empty());

    Canvas current;
    area.SetSelected(current.dc(), TRUE);
    EXPECT_TRUE(area.m_selected);
    EXPECT_TRUE(OutsideUntouched(current, rc));
    EXPECT_LT(Distance(GridOfRow(current, rc), selected), 16);

    // Hover changes the text colour only, never the bitmap.
    Canvas hovered;
    area.m_hover = TRUE;
    area.Redraw(hovered.dc());
    EXPECT_LT(Distance(GridOfRow(hovered, rc), selected), 16);
}

TEST_F(AreasRowDrawing, RowNeverPaintedDrawsNothingOnRedraw) {
    Canvas canvas;
    WorkingArea area(1);
    area.m_name = L"row";
    area.Redraw(canvas.dc());
    area.SetSelected(canvas.dc(), TRUE);
    EXPECT_TRUE(OutsideUntouched(canvas, CRect(0, 0, 0, 0)));
}

TEST_F(AreasRowDrawing, NameIsCentredInTheStateColour) {
    const CRect rc(30, 40, 150, 70);
    for (BOOL hover : {FALSE, TRUE}) {
        SCOPED_TRACE(hover ? "hover" : "normal");
        Canvas empty, named;
        WorkingArea blank(1), area(2);
        blank.m_hover = area.m_hover = hover;
        area.m_name = L"WAW";
        blank.Draw(empty.dc(), rc);
        area.Draw(named.dc(), rc);

        const std::vector<POINT> text = Differences(empty, named, rc);
        ASSERT_FALSE(text.empty());
        const COLORREF want = hover ? kHoverText : kNormalText;
        const COLORREF other = hover ? kNormalText : kHoverText;
        int wanted = 0, others = 0;
        CRect box(text[0].x, text[0].y, text[0].x + 1, text[0].y + 1);
        for (const POINT& p : text) {
            wanted += (named.Pixel(p.x, p.y) == want);
            others += (named.Pixel(p.x, p.y) == other);
            box.left = std::min<LONG>(box.left, p.x);
            box.top = std::min<LONG>(box.top, p.y);
            box.right = std::max<LONG>(box.right, p.x + 1);
            box.bottom = std::max<LONG>(box.bottom, p.y + 1);
        }
        EXPECT_GT(wanted, 0);
        EXPECT_EQ(others, 0);
        // Centred across the row; vertically within the line that starts half the spare height
        // below the row's top.
        const CSize extent = named.dc()->GetTextExtent(CString(L"WAW"));
        const int lineTop = rc.top + (rc.Height() - extent.cy) / 2;
        EXPECT_NEAR((box.left + box.right) / 2.0, (rc.left + rc.right) / 2.0, 2.0);
        EXPECT_GE(box.top, lineTop);
        EXPECT_LE(box.bottom, lineTop + extent.cy);
        EXPECT_NEAR(box.Width(), extent.cx, 3);
    }
}

TEST_F(AreasRowDrawing, NameWiderThanTheRowIsClippedOnBothSides) {
    const CRect rc(60, 30, 180, 60);
    Canvas empty, named;
    WorkingArea blank(1), area(2);
    area.m_name = L"WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW";
    ASSERT_GT(named.dc()->GetTextExtent(area.m_name).cx, 2 * rc.Width());
    blank.Draw(empty.dc(), rc);
    area.Draw(named.dc(), rc);

    EXPECT_TRUE(OutsideUntouched(named, rc));
    bool nearLeft = false, nearRight = false;
    for (const POINT& p : Differences(empty, named, rc)) {
        nearLeft |= p.x < rc.left + 6;
        nearRight |= p.x >= rc.right - 6;
    }
    EXPECT_TRUE(nearLeft);
    EXPECT_TRUE(nearRight);
}
