// The artwork against the places it is drawn: title buttons must melt into the title strip,
// states must differ, squeezed rows must keep their marks and leave the row text readable, gray
// button pieces must join, and the icon must have a transparent background.
#include "bar/BarLayout.h"
#include "res/resource.h"
#include "tests/res/ResourceFile.h"
#include "tests/support/Image.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

using namespace ztest;
using namespace BarLayout;

namespace {

// The sum of the channels' differences.
int Difference(COLORREF a, COLORREF b) {
    return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
           std::abs(GetBValue(a) - GetBValue(b));
}

// Relative luminance and contrast ratio as used for text legibility.
double Luminance(COLORREF c) {
    auto lin = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * lin(GetRValue(c)) + 0.7152 * lin(GetGValue(c)) + 0.0722 * lin(GetBValue(c));
}

double Contrast(COLORREF a, COLORREF b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

int CountNear(const Image& image, COLORREF c, int tolerance) {
    return image.Find([&](COLORREF p) { return Difference(p, c) <= tolerance; }).count;
}

// Largest difference between two pictures of the same size, pixel by pixel.
int MaxDifference(const Image& a, const Image& b) {
    int d = 0;
    for (size_t i = 0; i < a.pixels.size() && i < b.pixels.size(); ++i)
        d = std::max(d, Difference(a.pixels[i], b.pixels[i]));
    return d;
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
        const Image normal = ProgramBitmap(s.normal), hover = ProgramBitmap(s.hover),
                    pressed = ProgramBitmap(s.pressed);
        ASSERT_TRUE(!normal.Empty() && !hover.Empty() && !pressed.Empty());
        const int w = normal.width, h = normal.height;
        for (const Image& edge : {normal.Crop(0, 0, w, 1), normal.Crop(0, h - 1, w, h),
                                  normal.Crop(0, 0, 1, h), normal.Crop(w - 1, 0, w, h)})
            EXPECT_EQ(CountNear(edge, kTitleBlue, 3), edge.width * edge.height);
        // A white glyph in every state, and states that a user can tell apart.
        for (const Image* p : {&normal, &hover, &pressed})
            EXPECT_GE(CountNear(*p, kWhite, 30), 8);
        EXPECT_GE(Difference(hover.At(0, 0), normal.At(0, 0)), 60);
        EXPECT_GE(Difference(pressed.At(0, 0), normal.At(0, 0)), 60);
        EXPECT_GE(Difference(pressed.At(0, 0), hover.At(0, 0)), 60);
        EXPECT_GT(Luminance(hover.At(0, 0)), Luminance(normal.At(0, 0)));
        EXPECT_LT(Luminance(pressed.At(0, 0)), Luminance(normal.At(0, 0)));
    }
    // Collapse and expand must not look alike.
    EXPECT_GE(MaxDifference(ProgramBitmap(IDB_COLLAPSE), ProgramBitmap(IDB_EXPAND)), 200);
}

TEST(ResourceArtwork, CaptionButtonsOnActiveCaptionWithRedCloseHover) {
    const ButtonSet sets[] = {
        {"close", IDB_CAPTION_CLOSE, IDB_CAPTION_CLOSE_HOVER, IDB_CAPTION_CLOSE_PRESSED},
        {"max", IDB_CAPTION_MAX, IDB_CAPTION_MAX_HOVER, IDB_CAPTION_MAX_PRESSED},
        {"restore", IDB_CAPTION_RESTORE, IDB_CAPTION_RESTORE_HOVER, IDB_CAPTION_RESTORE_PRESSED},
        {"min", IDB_CAPTION_MIN, IDB_CAPTION_MIN_HOVER, IDB_CAPTION_MIN_PRESSED}};
    for (const ButtonSet& s : sets) {
        SCOPED_TRACE(s.name);
        const Image normal = ProgramBitmap(s.normal), hover = ProgramBitmap(s.hover),
                    pressed = ProgramBitmap(s.pressed);
        ASSERT_TRUE(!normal.Empty() && !hover.Empty() && !pressed.Empty());
        EXPECT_LE(Difference(normal.At(0, 0), kTitleBlue), 3);
        EXPECT_LE(Difference(normal.At(normal.width - 1, normal.height - 1), kTitleBlue), 3);
        for (const Image* p : {&normal, &hover, &pressed})
            EXPECT_GE(CountNear(*p, kWhite, 30), 6);
        EXPECT_GE(Difference(hover.At(0, 0), normal.At(0, 0)), 60);
        EXPECT_GE(Difference(pressed.At(0, 0), hover.At(0, 0)), 60);
    }
    const COLORREF red = ProgramBitmap(IDB_CAPTION_CLOSE_HOVER).At(0, 0);
    EXPECT_GT(GetRValue(red), 180);
    EXPECT_LT(GetGValue(red), 80);
    EXPECT_LT(Luminance(ProgramBitmap(IDB_CAPTION_CLOSE_PRESSED).At(0, 0)), Luminance(red));
    EXPECT_GE(MaxDifference(ProgramBitmap(IDB_CAPTION_MAX), ProgramBitmap(IDB_CAPTION_RESTORE)),
              200);
}

// Rows as the bar shows them: 323 x 79 squeezed to 120 x 30, with dark grey (or red) text on top.
TEST(ResourceArtwork, RowsSurviveTheSqueezeAndKeepTextReadable) {
    const Image normal = ProgramBitmap(IDB_AREA_ROW, kClientWidth, kRowHeight);
    const Image selected = ProgramBitmap(IDB_AREA_ROW_SELECTED, kClientWidth, kRowHeight);
    ASSERT_TRUE(!normal.Empty() && !selected.Empty());
    const int x = kClientWidth / 2, y = kRowHeight / 2;

    for (const Image* row : {&normal, &selected}) {
        const COLORREF middle = row->At(x, y);
        EXPECT_GE(Contrast(middle, kRowText), 4.5);
        EXPECT_GE(Contrast(middle, kHoverText), 4.5);
        // The separator at the bottom still shows after the squeeze.
        EXPECT_LT(Luminance(row->At(x, kRowHeight - 1)), Luminance(middle) - 0.05);
    }
    // A near-white neutral row, and a selected row a user picks out at a glance: its fill is
    // bluer, and its left edge carries a solid blue marker.
    const COLORREF plain = normal.At(x, y);
    const int darkest = std::min({GetRValue(plain), GetGValue(plain), GetBValue(plain)});
    EXPECT_GE(darkest, 235);
    EXPECT_LE(std::max({GetRValue(plain), GetGValue(plain), GetBValue(plain)}) - darkest, 8);
    const COLORREF chosen = selected.At(x, y);
    EXPECT_GE(Difference(chosen, plain), 40);
    EXPECT_GT(GetBValue(chosen) - GetRValue(chosen), 20);
    EXPECT_LE(Difference(selected.At(0, y), kTitleBlue), 40) << "marker lost in the squeeze";
    EXPECT_GE(Difference(normal.At(0, y), kTitleBlue), 150) << "no marker on a plain row";

    // The two unused rows belong to the same family: same size, light enough for the text.
    for (int id : {IDB_AREA_ROW_HOVER, IDB_AREA_ROW_PRESSED}) {
        const Image extra = ProgramBitmap(id, kClientWidth, kRowHeight);
        ASSERT_FALSE(extra.Empty());
        EXPECT_GE(Contrast(extra.At(x, y), kRowText), 4.5) << id;
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
    COLORREF centres[3];
    for (int f = 0; f < 3; ++f) {
        SCOPED_TRACE(faces[f].name);
        const Image mid = ProgramBitmap(faces[f].mid), left = ProgramBitmap(faces[f].left),
                    right = ProgramBitmap(faces[f].right);
        ASSERT_TRUE(!mid.Empty() && !left.Empty() && !right.Empty());
        for (int y = 0; y < right.height; ++y)
            EXPECT_LE(Difference(right.At(0, y), mid.At(0, y)), 6) << "right cap row " << y;
        if (left.height == mid.height) {
            for (int y = 0; y < left.height; ++y)
                EXPECT_LE(Difference(left.At(2, y), mid.At(0, y)), 6) << "left cap row " << y;
        }
        // A border darker than the face at top and bottom.
        const COLORREF face = mid.At(0, mid.height / 2);
        EXPECT_LT(Luminance(mid.At(0, 0)), Luminance(face) - 0.1);
        EXPECT_LT(Luminance(mid.At(0, mid.height - 1)), Luminance(face) - 0.1);
        EXPECT_GE(Contrast(face, RGB(0, 0, 0)), 7.0) << "black button text must read";
        centres[f] = face;
    }
    EXPECT_GE(Difference(centres[0], centres[1]), 12) << "hover face like normal face";
    EXPECT_GE(Difference(centres[0], centres[2]), 30) << "pressed face like normal face";
    EXPECT_LT(Luminance(centres[2]), Luminance(centres[0]));
}

// Each icon image: transparent corners through alpha and the AND mask, an opaque mark inside.
TEST(ResourceArtwork, IconImagesHaveTransparentBackground) {
    for (int size : kIconSizes) {
        SCOPED_TRACE("icon " + std::to_string(size));
        const int id = ProgramResources().IconImageId(IDR_MAINFRAME, size, kChineseSimplified);
        const std::vector<uint8_t> image =
            ProgramResources().Find(RT_ICON, id, kChineseSimplified).value();
        const BITMAPINFOHEADER h = InfoHeader(image);
        ASSERT_EQ(h.biBitCount, 32);
        ASSERT_EQ(h.biWidth, size);
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
