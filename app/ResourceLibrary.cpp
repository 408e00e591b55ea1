#include "app/ResourceLibrary.h"
#include <cwchar>
#include <string>

#ifndef LOAD_LIBRARY_AS_IMAGE_RESOURCE
#define LOAD_LIBRARY_AS_IMAGE_RESOURCE 0x00000020
#endif
#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace {

// Anything the process loads by bare name later comes from the system folder only. Older
// systems lack the call; there the full path below is what keeps us safe.
void RestrictLibrarySearch() {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (!kernel)
        return;
    using SetDirsFn = BOOL(WINAPI*)(DWORD);
    auto proc = GetProcAddress(kernel, "SetDefaultDllDirectories");
    if (proc)
        reinterpret_cast<SetDirsFn>(reinterpret_cast<void*>(proc))(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (n == 0)
            return std::wstring();
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

} // namespace

HMODULE LoadResourceLibrary() {
    RestrictLibrarySearch();
    const std::wstring folder = ProgramFolder();
    if (folder.empty())
        return nullptr;
    std::wstring path = folder + L"qorv.dll";
    // The program's own texts are Chinese; a user whose Windows speaks another language gets the
    // English library shipped beside it, unless a library of their choosing stands there.
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES &&
        PRIMARYLANGID(GetUserDefaultUILanguage()) != LANG_CHINESE)
        path = folder + L"english\\qorv.dll";
    return LoadLibraryExW(path.c_str(), nullptr,
                          LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
}
