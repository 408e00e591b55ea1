#pragma once
// Pixels as a user sees them: taken from the screen, from a window, from the program's bitmaps or
// from drawing off screen, and compared, counted and saved.
#include <windows.h>
#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <vector>

namespace ztest {

// The blue of the bar's title strip and of the skinned captions and outlines: the ground the
// program's title buttons are drawn on, read from their own picture, since strip and buttons must
// show as one on screen whatever blue the look takes.
extern const COLORREF kTitleBlue;
// The look's other colours, which no picture of the program carries: what a user is meant to see.
constexpr COLORREF kCaptionInactive = RGB(132, 211, 242); // the caption turns pale when inactive
constexpr COLORREF kFrame = RGB(240, 240, 240);           // light grey frame strips
constexpr COLORREF kWhite = RGB(255, 255, 255);           // glyphs, caption text, dialog ground
constexpr COLORREF kRowText = RGB(91, 91, 91);            // an area's name in dark grey,
constexpr COLORREF kHoverText = RGB(191, 0, 0);           // and in red under the pointer

// Some pixels of an image: how many, and the smallest rectangle holding them (empty if none).
struct PixelSet {
    int count = 0;
    RECT box{0, 0, 0, 0};
    void Add(int x, int y);
    int Width() const { return box.right - box.left; }
};

// A mean colour, channel by channel.
struct Colour {
    double r = 0, g = 0, b = 0;
};
double Distance(const Colour& a, const Colour& b);

// COLORREF values, row by row from the top.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;

    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    bool Empty() const { return pixels.empty(); }
    // The part from (left, top) up to (right, bottom), both cut to the image.
    Image Crop(int left, int top, int right, int bottom) const;
    int Count(COLORREF colour) const;
    PixelSet Find(COLORREF colour) const;
    PixelSet Find(const std::function<bool(COLORREF)>& match) const;
    Colour Mean() const;
    bool operator==(const Image& other) const {
        return width == other.width && height == other.height && pixels == other.pixels;
    }
    bool operator!=(const Image& other) const { return !(*this == other); }
};

// Largest difference of one colour channel between two pixels.
int ChannelDistance(COLORREF a, COLORREF b);
// The pixels where two images of one size differ by more than `tolerance` in some channel; a
// count of -1 when the sizes differ.
PixelSet Compare(const Image& a, const Image& b, int tolerance);
// Both images equal pixel for pixel; the failure names the first difference.
::testing::AssertionResult SamePixels(const Image& expected, const Image& actual);
// Where `part` shows whole in `image`, pixel for pixel: its top-left corner, or (-1, -1).
POINT Locate(const Image& image, const Image& part);

// What `draw` paints on a width x height bitmap that starts filled with `background`.
Image RenderOffscreen(int width, int height, COLORREF background,
                      const std::function<void(HDC)>& draw);
// What the screen shows; black where the rectangle leaves the screen.
Image CaptureScreen(const RECT& rect);
// What the screen shows once two captures in a row agree: the window system shows paints in its
// own time. Empty when they never do.
Image SteadyCapture(const RECT& rect);
// What a window shows in `rect` (window coordinates), read through its window DC.
Image CaptureWindow(HWND hwnd, const RECT& rect);
COLORREF WindowPixel(HWND hwnd, int x, int y);
// Paints straight onto the screen, over whatever window is there; the window does not know and
// keeps the paint until it draws that place again.
void FillScreen(const RECT& rect, COLORREF colour);

// Zelvanor.exe beside the tests as a data file: its resources without running any of its code.
HMODULE ProgramModule();
// A bitmap resource, as it is or stretched with HALFTONE into width x height (as rows are drawn).
Image BitmapResource(HMODULE module, UINT id, int width = 0, int height = 0);
inline Image ProgramBitmap(UINT id, int width = 0, int height = 0) {
    return BitmapResource(ProgramModule(), id, width, height);
}

// Writes a 24-bit .bmp file.
bool SaveBitmapFile(const Image& image, const std::wstring& path);

} // namespace ztest
