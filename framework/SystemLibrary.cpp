#include "SystemLibrary.h"
#include <string>

SystemLibrary::SystemLibrary(const wchar_t* name)
    : m_module(::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    // Windows 7 without its 2011 loader update knows no search flags and refuses the call: the
    // full path to the system folder then names the same file.
    if (!m_module && ::GetLastError() == ERROR_INVALID_PARAMETER) {
        wchar_t folder[MAX_PATH] = {};
        const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
        if (length != 0 && length < MAX_PATH) {
            const std::wstring path = std::wstring(folder, length) + L"\\" + name;
            m_module.reset(::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
        }
    }
}
