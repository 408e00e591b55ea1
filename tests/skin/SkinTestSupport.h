// Helpers of the skin tests: pumping messages, reading back what a window shows, resource
// bitmaps as pixels, and running a modal dialog while a script drives it from inside its loop.
#pragma once

#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "Framework.h"

namespace skintest {

constexpr COLORREF kBorder = RGB(38, 179, 232);
constexpr COLORREF kCaptionInactive = RGB(132, 211, 242);
constexpr COLORREF kFrame = RGB(240, 240, 240);
constexpr COLORREF kWhite = RGB(255, 255, 255);

// Dispatches whatever arrives for `ms` milliseconds (at least one pass).
void PumpMessages(DWORD ms = 30);

// Pixels of a rectangle, row by row, as COLORREF values.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> data;
    COLORREF at(int x, int y) const { return data[static_cast<size_t>(y) * width + x]; }
};

// What the window shows in `rect` (window coordinates), read through its window DC.
Pixels CaptureWindow(HWND hwnd, const RECT& rect);
COLORREF WindowPixel(HWND hwnd, int x, int y);
// A bitmap resource of the test executable, decoded to pixels.
Pixels ResourceBitmap(UINT id);
// What `draw` paints on a `width` x `height` bitmap that starts filled with `background`.
Pixels RenderOffscreen(int width, int height, COLORREF background,
                       const std::function<void(HDC)>& draw);

// First column of `pixels` (within rows top..bottom-1) holding a pixel for which `match` holds;
// -1 if none.
int FirstColumn(const Pixels& pixels, int top, int bottom,
                const std::function<bool(COLORREF)>& match);
bool IsDark(COLORREF c);
// Both images equal pixel for pixel; the failure names the first difference.
::testing::AssertionResult SamePixels(const Pixels& expected, const Pixels& actual);
// A part of an image.
Pixels Crop(const Pixels& pixels, int left, int top, int width, int height);

// Runs `dialog` modally; `script` runs inside its message loop once the window is up. A dialog
// that the script did not end is ended with -2, so a missing ending shows as a wrong result.
INT_PTR RunModal(CDialog& dialog, const std::function<void(HWND)>& script);

// Real input through the system's input queue, in screen coordinates.
void MoveMouse(int x, int y);
void MouseButton(bool down);

RECT WindowRect(HWND hwnd);

} // namespace skintest
