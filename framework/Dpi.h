#pragma once
#include <windows.h>

// Sizes are written for a 96-dpi screen; this turns one into pixels at another DPI, rounding to
// the nearest pixel, so that every caller agrees on the same pixel.
constexpr int kBaseDpi = 96;
constexpr int ScaleToDpi(int value, int dpi) {
    return (value * dpi + kBaseDpi / 2) / kBaseDpi;
}

// The DPI a window is drawn at: its monitor's where the system says (Windows 10 1607 and later),
// else the screen's.
int DpiOfWindow(HWND hwnd);
