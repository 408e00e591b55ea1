#pragma once
// The DPI a test runs at. tools/test.sh runs every suite whose name ends in "AtDpi" once more in
// a Wine prefix per extra DPI and names it in ZELVANOR_TEST_DPI; elsewhere it is 96.
#include "bar/BarLayout.h"
#include <windows.h>
#include <cstdlib>

namespace ztest {

inline int ExpectedDpi() {
    const char* dpi = std::getenv("ZELVANOR_TEST_DPI");
    return dpi && *dpi ? std::atoi(dpi) : kBaseDpi;
}

// What the system says: a test starts by checking that its prefix really has the DPI expected.
inline int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// A 96-dpi size at the expected DPI, and the bar's layout there.
inline int Px(int value) {
    return ScaleToDpi(value, ExpectedDpi());
}
inline BarLayout::Metrics Layout() {
    return BarLayout::Metrics(ExpectedDpi());
}

} // namespace ztest
