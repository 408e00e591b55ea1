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

// A system metric at a DPI: under per-monitor awareness GetSystemMetrics answers for the system's
// DPI, while the system lays out each window's frame at its monitor's (Windows 10 1607 and
// later). Elsewhere, GetSystemMetrics.
int SystemMetricAtDpi(int index, int dpi);

// For a dialog that scales its own fonts and controls when its DPI changes: Windows 10 1703 and
// later would otherwise scale them too, after its own fashion. Nothing on older systems.
void LeaveDpiScalingToDialog(HWND dialog);
