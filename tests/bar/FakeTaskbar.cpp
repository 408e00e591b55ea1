#include "tests/bar/FakeTaskbar.h"

FakeTaskbar::FakeTaskbar(const RECT& rect, bool visible) {
    static const ATOM atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
        wc.lpszClassName = L"Shell_TrayWnd";
        return RegisterClassW(&wc);
    }();
    if (!atom) {
        return;
    }
    m_window.reset(CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"Shell_TrayWnd", L"",
                                   WS_POPUP, rect.left, rect.top, rect.right - rect.left,
                                   rect.bottom - rect.top, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr));
    if (m_window && visible) {
        ShowWindow(m_window.get(), SW_SHOWNOACTIVATE);
    }
}
