// Wine lets the X window manager draw the frame and caption of captioned windows and then shows
// nothing of what the program paints there. The skin is exactly that painting, so test programs
// ask Wine, for their own executable only, to leave the non-client area to the program as
// Windows does. Wine reads the setting when the process makes its first window.
#pragma once

#include <windows.h>

#include <string>

inline void DisableWindowManagerDecorations() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring exe(path, length);
    exe = exe.substr(exe.find_last_of(L"\\/") + 1);
    const std::wstring key = L"Software\\Wine\\AppDefaults\\" + exe + L"\\X11 Driver";
    HKEY hkey = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &hkey, nullptr) != ERROR_SUCCESS)
        return;
    const wchar_t value[] = L"N";
    RegSetValueExW(hkey, L"Decorated", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   sizeof(value));
    RegCloseKey(hkey);
}
