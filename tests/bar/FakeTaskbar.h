#pragma once
// A window that the bar takes for a taskbar: class "Shell_TrayWnd" (the primary monitor's) or
// "Shell_SecondaryTrayWnd" (another monitor's), empty title, created after any other so that a
// search by class and title finds it first. A hidden one in the middle of the screen stands for
// no taskbar at all: Wine's own hidden one is an empty rectangle at (0, 0), which counts as a
// taskbar both on the left and at the top.
#include "tests/support/TestHandles.h"

class FakeTaskbar {
public:
    explicit FakeTaskbar(const RECT& rect, bool visible = true,
                         const wchar_t* className = L"Shell_TrayWnd");
    HWND Handle() const { return m_window.get(); }

private:
    ztest::UniqueWindow m_window;
};
