#include "Dpi.h"

int DpiOfWindow(HWND hwnd) {
    // Looked up at run time: older systems have no such export and would refuse to start.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow && hwnd) {
        if (const UINT dpi = getDpiForWindow(hwnd))
            return static_cast<int>(dpi);
    }
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : kBaseDpi;
    if (screen)
        ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kBaseDpi;
}

int SystemMetricAtDpi(int index, int dpi) {
    using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
    static const auto forDpi = reinterpret_cast<GetSystemMetricsForDpiFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi")));
    return forDpi && dpi > 0 ? forDpi(index, static_cast<UINT>(dpi)) : ::GetSystemMetrics(index);
}

void LeaveDpiScalingToDialog(HWND dialog) {
    // Looked up at run time, as above; the values are those of the Windows SDK.
    using DialogFn = BOOL(WINAPI*)(HWND, int, int);
    static const auto setDialog = reinterpret_cast<DialogFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SetDialogDpiChangeBehavior")));
    static const auto setControl = reinterpret_cast<DialogFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SetDialogControlDpiChangeBehavior")));
    constexpr int kDisableAllDialog = 0x0001;                // DDC_DISABLE_ALL
    constexpr int kDisableFontAndRelayout = 0x0001 | 0x0002; // DCDC_DISABLE_FONT_UPDATE | RELAYOUT
    if (setDialog)
        setDialog(dialog, kDisableAllDialog, kDisableAllDialog);
    if (setControl)
        for (HWND child = ::GetWindow(dialog, GW_CHILD); child;
             child = ::GetWindow(child, GW_HWNDNEXT))
            setControl(child, kDisableFontAndRelayout, kDisableFontAndRelayout);
}
