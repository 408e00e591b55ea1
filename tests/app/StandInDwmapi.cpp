#include <windows.h>
#include "tests/app/StandInDwmapi.h"
#include "tests/app/ScratchFolder.h"
#include "tests/support/ChildProcess.h"

namespace {

const wchar_t kOverrides[] = L"Software\\Wine\\DllOverrides";
const wchar_t kProgramOverrides[] = L"Software\\Wine\\AppDefaults\\Zelvanor.exe\\DllOverrides";

void SetOverride(const wchar_t* key, const wchar_t* order) {
    if (order) {
        RegSetKeyValueW(HKEY_CURRENT_USER, key, L"dwmapi", REG_SZ, order,
                        static_cast<DWORD>((wcslen(order) + 1) * sizeof(wchar_t)));
    } else {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, key, L"dwmapi");
    }
}

std::wstring SystemFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = L"";
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder, length) + L"\\" + name;
}

} // namespace

std::wstring StandInDwmapi::Built() {
    return ztest::ExeDir() + L"\\dwmapi-standin\\dwmapi.dll";
}

StandInDwmapi::StandInDwmapi()
    : m_system(SystemFile(L"dwmapi.dll")), m_saved(SystemFile(L"dwmapi.dll.zelvanor-saved")) {
    DeleteFileW(SystemFile(MarkerName()).c_str());
    // Wine's placeholder is kept aside; a copy left there by a test that was killed is the
    // placeholder still.
    if (!FileExists(m_saved) && !CopyFileW(m_system.c_str(), m_saved.c_str(), TRUE))
        return;
    SetOverride(kOverrides, L"builtin");
    SetOverride(kProgramOverrides, L"native");
    m_ok = CopyFileW(Built().c_str(), m_system.c_str(), FALSE) != FALSE;
}

StandInDwmapi::~StandInDwmapi() {
    SetOverride(kProgramOverrides, nullptr);
    SetOverride(kOverrides, nullptr);
    if (FileExists(m_saved) && CopyFileW(m_saved.c_str(), m_system.c_str(), FALSE))
        DeleteFileW(m_saved.c_str());
    DeleteFileW(SystemFile(MarkerName()).c_str());
}

bool StandInDwmapi::LoadedFromSystemFolder() const {
    return FileExists(SystemFile(MarkerName()));
}

bool StandInDwmapi::AttributeSet(HWND hwnd, unsigned attribute, int* value) {
    const std::wstring name = L"StandInDwm-" + std::to_wstring(attribute);
    const HANDLE noted = GetPropW(hwnd, name.c_str());
    if (!noted)
        return false;
    *value = static_cast<int>(reinterpret_cast<INT_PTR>(noted)) - 1;
    return true;
}
