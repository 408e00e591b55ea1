#include "tests/bar/FakeTaskbar.h"

FakeTaskbar::FakeTaskbar(const RECT& rect, bool visible, const wchar_t* className) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    if (!GetClassInfoW(instance, className, &wc)) {
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = instance;
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
        wc.lpszClassName = className;
        if (!RegisterClassW(&wc))
            return;
    }
    m_window.reset(CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, className, L"", WS_POPUP,
                                   rect.left, rect.top, rect.right - rect.left,
                                   rect.bottom - rect.top, nullptr, nullptr, instance, nullptr));
    if (m_window && visible)
        ShowWindow(m_window.get(), SW_SHOWNOACTIVATE);
}
