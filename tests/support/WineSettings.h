#pragma once
// Wine's per-program settings of its X11 driver, read when a process makes its first window.
// Header-only: the skin's look-at program, which does not link the harness, needs one too.
#include <windows.h>
#include <string>

namespace ztest {

// Sets `name` to "N" for the program whose file is called `exe`.
inline void TurnOffWineX11Setting(const std::wstring& exe, const wchar_t* name) {
    const std::wstring key = L"Software\\Wine\\AppDefaults\\" + exe + L"\\X11 Driver";
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, L"N", sizeof(L"N"));
}

// Wine lets the X window manager draw the frame and caption of captioned windows and then shows
// nothing of what the program paints there. The skin is exactly that painting, so test programs
// ask Wine, for their own executable only, to leave the non-client area to the program as
// Windows does.
inline void DisableWindowManagerDecorations() {
    wchar_t path[MAX_PATH] = L"";
    const std::wstring exe(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    TurnOffWineX11Setting(exe.substr(exe.find_last_of(L"\\/") + 1), L"Decorated");
}

} // namespace ztest
