/* The two calls of dwmapi.dll the program makes, answered as Windows with desktop composition
   would for the windows a test names. */
#include "tests/support/MarkerFile.h"
#include <wchar.h>

#define CLOAKED_ATTRIBUTE 14 /* DWMWA_CLOAKED */
#define CLOAKED_BY_SHELL 2   /* DWM_CLOAKED_SHELL */

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        LeaveMarkerBeside(instance, L"dwmapi-code-ran.txt");
    }
    return TRUE;
}

__declspec(dllexport) HRESULT WINAPI
    DwmGetWindowAttribute(HWND hwnd, DWORD attribute, void* value, DWORD size) {
    wchar_t title[256] = L"";
    if (attribute != CLOAKED_ATTRIBUTE || size != sizeof(DWORD) || !IsWindow(hwnd)) {
        return E_INVALIDARG;
    }
    GetWindowTextW(hwnd, title, 256);
    *(DWORD*)value = wcsstr(title, L"[cloaked]") ? CLOAKED_BY_SHELL : 0;
    return S_OK;
}

/* Noted as the property "StandInDwm-<attribute>", whose value is the integer set plus one. */
__declspec(dllexport) HRESULT WINAPI
    DwmSetWindowAttribute(HWND hwnd, DWORD attribute, const void* value, DWORD size) {
    wchar_t name[32];
    if (size != sizeof(int) || !IsWindow(hwnd)) {
        return E_INVALIDARG;
    }
    wsprintfW(name, L"StandInDwm-%u", (unsigned)attribute);
    SetPropW(hwnd, name, (HANDLE)(INT_PTR)(*(const int*)value + 1));
    return S_OK;
}
