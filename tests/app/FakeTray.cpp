#include "tests/app/FakeTray.h"
#include <cwchar>

FakeTray::FakeTray() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Shell_TrayWnd";
    RegisterClassW(&wc); // fails harmlessly when already registered
    // Topmost and newest, so that a search by class finds it before the real one; a title, so
    // that a search for the taskbar (empty title) does not.
    m_window.reset(CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName,
                                   L"e2e fake tray", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                   wc.hInstance, nullptr));
    SetWindowLongPtrW(m_window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

bool FakeTray::InCharge() const {
    return m_window && FindWindowExW(nullptr, nullptr, L"Shell_TrayWnd", nullptr) == m_window.get();
}

LRESULT CALLBACK FakeTray::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<FakeTray*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_COPYDATA && self) {
        // The shell's record: owner, id, flags, callback message, then the tip.
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        Call call;
        call.message = static_cast<DWORD>(data->dwData);
        call.owner = reinterpret_cast<HWND>(wParam);
        if (data->cbData >= 16 + 128 * sizeof(wchar_t)) {
            const auto* fields = static_cast<const UINT*>(data->lpData);
            call.id = fields[1];
            call.flags = fields[2];
            call.callbackMessage = fields[3];
            const auto* tip = reinterpret_cast<const wchar_t*>(fields + 4);
            call.tip.assign(tip, wcsnlen(tip, 128));
        }
        self->m_calls.push_back(call);
        if (self->m_refuseNext > 0) {
            --self->m_refuseNext;
            return FALSE;
        }
        return self->m_refuse ? FALSE : TRUE;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}
