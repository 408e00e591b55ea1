#include "areas/ShellSurfaces.h"
#include <cwchar>
#include <string_view>

namespace {

// The windows of those programs' views, and the floating language bar.
constexpr const wchar_t* kSurfaceClasses[] = {L"Windows.UI.Core.CoreWindow", L"CiceroUIWndFrame"};

// Which of them shows which surface differs from one version of Windows to the next, so any of
// them may show any of the classes.
constexpr const wchar_t* kHosts[] = {
    L"StartMenuExperienceHost.exe", // Start
    L"SearchHost.exe",              // Search
    L"SearchApp.exe",               // Search on Windows 10
    L"SearchUI.exe",                // Search on Windows 10 before version 2004
    L"ShellExperienceHost.exe",     // the action centre, notifications, Start before 1903
    L"TextInputHost.exe",           // the touch keyboard, the emoji and input panels
    L"ctfmon.exe",                  // the floating language bar
};

// The folders of the Windows folder that only Windows writes to. Others below it take any user's
// files (Temp), and a program there may carry any name.
constexpr const wchar_t* kSystemFolders[] = {L"System32", L"SysWOW64", L"SystemApps"};

// File names compare as the file system compares them: without case.
bool SameName(std::wstring_view a, std::wstring_view b) {
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

template <size_t N> bool IsOneOf(std::wstring_view name, const wchar_t* const (&names)[N]) {
    for (const wchar_t* each : names) {
        if (SameName(name, each)) {
            return true;
        }
    }
    return false;
}

bool IsClassOf(const WindowRecord& record, const wchar_t* name) {
    return ::wcscmp(record.className, name) == 0;
}

} // namespace

bool ShellSurfaces::NeedsModulePath(const WindowRecord& record) {
    for (const wchar_t* name : kSurfaceClasses) {
        if (IsClassOf(record, name)) {
            return true;
        }
    }
    return false;
}

bool ShellSurfaces::IsHostedSurface(const WindowRecord& record) {
    if (!NeedsModulePath(record)) {
        return false;
    }
    // The Windows folder shared by every user, even where a terminal server gives each a
    // folder of their own.
    wchar_t windows[MAX_PATH] = L"";
    const UINT length = ::GetSystemWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return false;
    }
    std::wstring_view root(windows, length);
    if (root.back() == L'\\') {
        root.remove_suffix(1);
    }
    // <Windows folder>\<system folder>\...\<host>.exe
    const std::wstring_view path(record.modulePath);
    if (path.size() <= root.size() || !SameName(path.substr(0, root.size()), root) ||
        path[root.size()] != L'\\') {
        return false;
    }
    const std::wstring_view below = path.substr(root.size() + 1);
    const size_t folderEnd = below.find(L'\\');
    return folderEnd != std::wstring_view::npos &&
           IsOneOf(below.substr(0, folderEnd), kSystemFolders) &&
           IsOneOf(below.substr(below.rfind(L'\\') + 1), kHosts);
}

bool ShellSurfaces::IsOpenedByUser(const WindowRecord& record) {
    return IsClassOf(record, L"CabinetWClass") || IsClassOf(record, L"#32770") ||
           IsClassOf(record, L"OperationStatusWindow");
}
