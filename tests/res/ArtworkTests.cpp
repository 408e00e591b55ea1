// The artwork against the places it is drawn: title buttons must melt into the title strip,
// states must differ, squeezed rows must keep their marks and leave the row text readable, gray
// button pieces must join, and the icon must have a transparent background.
#include "ResourceFile.h"
#include "ResourceParsers.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <type_traits>

namespace {

struct Rgb {
    int r, g, b;
};

int Distance(Rgb a, Rgb b) {
    return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
}

// Relative luminance and contrast ratio as used for text legibility.
double Luminance(Rgb c) {
    auto lin = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * lin(c.r) + 0.7152 * lin(c.g) + 0.0722 * lin(c.b);
}

double Contrast(Rgb a, Rgb b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

const Rgb kTitleBlue{38, 179, 232};
const Rgb kRowText{91, 91, 91};
const Rgb kRowHoverText{191, 0, 0};

// Pixels of a 24-bit bitmap resource, decoded from its bytes, top row first.
class Picture {
public:
    explicit Picture(int id) {
        auto bytes = ProgramResources().Find(RT_BITMAP, id, kChineseSimplified);
        if (!bytes)
            return;
        const BITMAPINFOHEADER h = ReadInfoHeader(*bytes);
        if (h.biBitCount != 24 || h.biHeight <= 0)
            return;
        m_w = h.biWidth;
        m_h = h.biHeight;
        const size_t stride = (static_cast<size_t>(m_w) * 3 + 3) & ~static_cast<size_t>(3);
        if (bytes->size() < h.biSize + stride * m_h) {
            m_w = m_h = 0;
            return;
        }
        for (int y = 0; y < m_h; ++y) {
            const uint8_t* row = bytes->data() + h.biSize + stride * (m_h - 1 - y);
            for (int x = 0; x < m_w; ++x)
                m_px.push_back({row[3 * x + 2], row[3 * x + 1], row[3 * x]});
        }
    }
    Picture(int w, int h, std::vector<Rgb> px) : m_w(w), m_h(h), m_px(std::move(px)) {}

    bool Valid() const { return m_w > 0 && m_h > 0; }
    int Width() const { return m_w; }
    int Height() const { return m_h; }
    Rgb At(int x, int y) const { return m_px[static_cast<size_t>(y) * m_w + x]; }

    int CountNear(Rgb c, int tolerance) const {
        int n = 0;
        for (const Rgb& p : m_px)
            n += Distance(p, c) <= tolerance;
        return n;
    }
    // Largest difference between two pictures of the same size, pixel by pixel.
    int MaxDifference(const Picture& o) const {
        int d = 0;
        for (size_t i = 0; i < m_px.size() && i < o.m_px.size(); ++i)
            d = std::max(d, Distance(m_px[i], o.m_px[i]));
        return d;
    }

private:
    int m_w = 0, m_h = 0;
    std::vector<Rgb> m_px;
};

struct DcDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
struct GdiDeleter {
    void operator()(HGDIOBJ o) const { DeleteObject(o); }
};
using DcPtr = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;
using GdiPtr = std::unique_ptr<void, GdiDeleter>;

// The bitmap squeezed into w x h the way the bar draws a row: StretchBlt in HALFTONE mode.
Picture Squeezed(int id, int w, int h) {
    DcPtr src(CreateCompatibleDC(nullptr)), dst(CreateCompatibleDC(nullptr));
    GdiPtr bitmap(LoadBitmapW(ProgramResources().Module(), MAKEINTRESOURCEW(id)));
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    GdiPtr target(CreateDIBSection(dst.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!src || !dst || !bitmap || !target || !bits)
        return Picture(0, 0, {});
    BITMAP bm{};
    GetObjectW(bitmap.get(), sizeof bm, &bm);
    HGDIOBJ oldSrc = SelectObject(src.get(), bitmap.get());
    HGDIOBJ oldDst = SelectObject(dst.get(), target.get());
    SetStretchBltMode(dst.get(), HALFTONE);
    StretchBlt(dst.get(), 0, 0, w, h, src.get(), 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    GdiFlush();
    std::vector<Rgb> px;
    const auto* p = static_cast<const uint8_t*>(bits);
    for (int i = 0; i < w * h; ++i)
        px.push_back({p[4 * i + 2], p[4 * i + 1], p[4 * i]});
    SelectObject(dst.get(), oldDst);
    SelectObject(src.get(), oldSrc);
    return Picture(w, h, std::move(px));
}

struct ButtonSet {
    const char* name;
    int normal, hover, pressed;
};

// The bar draws these straight onto its blue title strip: the normal image's border must be
// exactly the strip's colour, or each button would show as a box.
TEST(ResourceArtwork, TitleButtonsMeltIntoTheStripAndShowTheirStates) {
    const ButtonSet sets[] = {{"close", IDB_CLOSE, IDB_CLOSE_HOVER, IDB_CLOSE_PRESSED},
                              {"collapse", IDB_COLLAPSE, IDB_COLLAPSE_HOVER, IDB_COLLAPSE_PRESSED},
                              {"expand", IDB_EXPAND, IDB_EXPAND_HOVER, IDB_EXPAND_PRESSED}};
    for (const ButtonSet& s : sets) {
        SCOPED_TRACE(s.name);
        const Picture normal(s.normal), hover(s.hover), pressed(s.pressed);
        ASSERT_TRUE(normal.Valid() && hover.Valid() && pressed.Valid());
        const int w = normal.Width(), h = normal.Height();
        for (int x = 0; x < w; ++x) {
            EXPECT_LE(Distance(normal.At(x, 0), kTitleBlue), 3) << "top edge x " << x;
            EXPECT_LE(Distance(normal.At(x, h - 1), kTitleBlue), 3) << "bottom edge x " << x;
        }
        for (int y = 0; y < h; ++y) {
            EXPECT_LE(Distance(normal.At(0, y), kTitleBlue), 3) << "left edge y " << y;
            EXPECT_LE(Distance(normal.At(w - 1, y), kTitleBlue), 3) << "right edge y " << y;
        }
        // A white glyph in every state, and states that a user can tell apart.
        for (const Picture* p : {&normal, &hover, &pressed})
            EXPECT_GE(p->CountNear({255, 255, 255}, 30), 8);
        EXPECT_GE(Distance(hover.At(0, 0), normal.At(0, 0)), 60);
        EXPECT_GE(Distance(pressed.At(0, 0), normal.At(0, 0)), 60);
        EXPECT_GE(Distance(pressed.At(0, 0), hover.At(0, 0)), 60);
        EXPECT_GT(Luminance(hover.At(0, 0)), Luminance(normal.At(0, 0)));
        EXPECT_LT(Luminance(pressed.At(0, 0)), Luminance(normal.At(0, 0)));
    }
    // Collapse and expand must not look alike.
    EXPECT_GE(Picture(IDB_COLLAPSE).MaxDifference(Picture(IDB_EXPAND)), 200);
}

TEST(ResourceArtwork, CaptionButtonsOnActiveCaptionWithRedCloseHover) {
    const ButtonSet sets[] = {
        {"close", IDB_CAPTION_CLOSE, IDB_CAPTION_CLOSE_HOVER, IDB_CAPTION_CLOSE_PRESSED},
        {"max", IDB_CAPTION_MAX, IDB_CAPTION_MAX_HOVER, IDB_CAPTION_MAX_PRESSED},
        {"restore", IDB_CAPTION_RESTORE, IDB_CAPTION_RESTORE_HOVER, IDB_CAPTION_RESTORE_PRESSED},
        {"min", IDB_CAPTION_MIN, IDB_CAPTION_MIN_HOVER, IDB_CAPTION_MIN_PRESSED}};
    for (const ButtonSet& s : sets) {
        SCOPED_TRACE(s.name);
        const Picture normal(s.normal), hover(s.hover), pressed(s.pressed);
        ASSERT_TRUE(normal.Valid() && hover.Valid() && pressed.Valid());
        EXPECT_LE(Distance(normal.At(0, 0), kTitleBlue), 3);
        EXPECT_LE(Distance(normal.At(normal.Width() - 1, normal.Height() - 1), kTitleBlue), 3);
        for (const Picture* p : {&normal, &hover, &pressed})
            EXPECT_GE(p->CountNear({255, 255, 255}, 30), 6);
        EXPECT_GE(Distance(hover.At(0, 0), normal.At(0, 0)), 60);
        EXPECT_GE(Distance(pressed.At(0, 0), hover.At(0, 0)), 60);
    }
    const Rgb red = Picture(IDB_CAPTION_CLOSE_HOVER).At(0, 0);
    EXPECT_GT(red.r, 180);
    EXPECT_LT(red.g, 80);
    EXPECT_LT(Luminance(Picture(IDB_CAPTION_CLOSE_PRESSED).At(0, 0)), Luminance(red));
    EXPECT_GE(Picture(IDB_CAPTION_MAX).MaxDifference(Picture(IDB_CAPTION_RESTORE)), 200);
}

// Rows as the bar shows them: 323 x 79 squeezed to 120 x 30, with dark grey (or red) text on top.
TEST(ResourceArtwork, RowsSurviveTheSqueezeAndKeepTextReadable) {
    const Picture normal = Squeezed(IDB_AREA_ROW, 120, 30);
    const Picture selected = Squeezed(IDB_AREA_ROW_SELECTED, 120, 30);
    ASSERT_TRUE(normal.Valid() && selected.Valid());

    for (const Picture* row : {&normal, &selected}) {
        const Rgb middle = row->At(60, 15);
        EXPECT_GE(Contrast(middle, kRowText), 4.5);
        EXPECT_GE(Contrast(middle, kRowHoverText), 4.5);
        // The separator at the bottom still shows after the squeeze.
        EXPECT_LT(Luminance(row->At(60, 29)), Luminance(middle) - 0.05);
    }
    // A near-white neutral row, and a selected row a user picks out at a glance: its fill is
    // bluer, and its left edge carries a solid blue marker.
    const Rgb plain = normal.At(60, 15);
    EXPECT_GE(std::min({plain.r, plain.g, plain.b}), 235);
    EXPECT_LE(std::max({plain.r, plain.g, plain.b}) - std::min({plain.r, plain.g, plain.b}), 8);
    const Rgb chosen = selected.At(60, 15);
    EXPECT_GE(Distance(chosen, plain), 40);
    EXPECT_GT(chosen.b - chosen.r, 20);
    EXPECT_LE(Distance(selected.At(0, 15), kTitleBlue), 40) << "marker lost in the squeeze";
    EXPECT_GE(Distance(normal.At(0, 15), kTitleBlue), 150) << "no marker on a plain row";

    // The two unused rows belong to the same family: same size, light enough for the text.
    for (int id : {IDB_AREA_ROW_HOVER, IDB_AREA_ROW_PRESSED}) {
        const Picture extra = Squeezed(id, 120, 30);
        ASSERT_TRUE(extra.Valid());
        EXPECT_GE(Contrast(extra.At(60, 15), kRowText), 4.5) << id;
    }
}

// The gray button is assembled from a stretched 1-pixel centre strip and two 3-pixel caps; the
// caps' inner columns must continue the strip so no seam shows.
TEST(ResourceArtwork, GrayButtonPiecesJoinWithoutSeams) {
    const struct {
        const char* name;
        int mid, left, right;
    } faces[] = {
        {"normal", IDB_GRAYBTN_MID, IDB_GRAYBTN_LEFT, IDB_GRAYBTN_RIGHT},
        {"hover", IDB_GRAYBTN_HOVER_MID, IDB_GRAYBTN_HOVER_LEFT, IDB_GRAYBTN_HOVER_RIGHT},
        {"pressed", IDB_GRAYBTN_PRESSED_MID, IDB_GRAYBTN_PRESSED_LEFT, IDB_GRAYBTN_PRESSED_RIGHT}};
    Rgb centres[3];
    for (int f = 0; f < 3; ++f) {
        SCOPED_TRACE(faces[f].name);
        const Picture mid(faces[f].mid), left(faces[f].left), right(faces[f].right);
        ASSERT_TRUE(mid.Valid() && left.Valid() && right.Valid());
        for (int y = 0; y < right.Height(); ++y)
            EXPECT_LE(Distance(right.At(0, y), mid.At(0, y)), 6) << "right cap row " << y;
        if (left.Height() == mid.Height()) {
            for (int y = 0; y < left.Height(); ++y)
                EXPECT_LE(Distance(left.At(2, y), mid.At(0, y)), 6) << "left cap row " << y;
        }
        // A border darker than the face at top and bottom.
        const Rgb face = mid.At(0, mid.Height() / 2);
        EXPECT_LT(Luminance(mid.At(0, 0)), Luminance(face) - 0.1);
        EXPECT_LT(Luminance(mid.At(0, mid.Height() - 1)), Luminance(face) - 0.1);
        EXPECT_GE(Contrast(face, {0, 0, 0}), 7.0) << "black button text must read";
        centres[f] = face;
    }
    EXPECT_GE(Distance(centres[0], centres[1]), 12) << "hover face like normal face";
    EXPECT_GE(Distance(centres[0], centres[2]), 30) << "pressed face like normal face";
    EXPECT_LT(Luminance(centres[2]), Luminance(centres[0]));
}

// Each icon image: transparent corners through alpha and the AND mask, an opaque mark inside.
TEST(ResourceArtwork, IconImagesHaveTransparentBackground) {
    const IconGroup group = ParseIconGroup(
        ProgramResources().Find(RT_GROUP_ICON, IDR_MAINFRAME, kChineseSimplified).value());
    ASSERT_EQ(group.entries.size(), 7u);
    for (const IconGroupEntry& e : group.entries) {
        const int size = e.width;
        SCOPED_TRACE("icon " + std::to_string(size));
        const std::vector<uint8_t> image =
            ProgramResources().Find(RT_ICON, e.id, kChineseSimplified).value();
        const BITMAPINFOHEADER h = ReadInfoHeader(image);
        ASSERT_EQ(h.biBitCount, 32);
        const uint8_t* colour = image.data() + h.biSize;
        const uint8_t* mask = colour + size * size * 4;
        const int maskStride = ((size + 31) / 32) * 4;
        // Rows are bottom-up; (x, y) counted from the top.
        auto alpha = [&](int x, int y) { return colour[((size - 1 - y) * size + x) * 4 + 3]; };
        auto masked = [&](int x, int y) {
            return (mask[(size - 1 - y) * maskStride + x / 8] & (0x80 >> (x % 8))) != 0;
        };
        for (auto [x, y] : {std::pair{0, 0}, {size - 1, size - 1}, {0, size - 1}}) {
            EXPECT_EQ(alpha(x, y), 0) << x << "," << y;
            EXPECT_TRUE(masked(x, y)) << x << "," << y;
        }
        int opaque = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                opaque += alpha(x, y) == 255;
                EXPECT_EQ(masked(x, y), alpha(x, y) < 128) << x << "," << y;
            }
        EXPECT_GE(opaque, size * size / 3) << "the mark fills a good part of the image";
    }
}

} // namespace
