#pragma once
// Finds Zelvanor's bar from another process, for scripts and tests alike. The bar is its
// program's top-level "#32770" window with WS_EX_TOOLWINDOW (both from its template): the
// program's other dialogs, the About box and message boxes, have no such style. Topmost is left
// out of the rule, so that a bar that lost it is still found and a test can tell.
#include <windows.h>
#include <cwchar>
#include <functional>
#include <vector>

namespace barfinder {

inline bool IsBar(HWND hwnd) {
    wchar_t cls[16] = L"";
    GetClassNameW(hwnd, cls, 16);
    return std::wcscmp(cls, L"#32770") == 0 &&
           (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0;
}

struct Search {
    const std::function<bool(DWORD)>* ofProcess;
    std::vector<HWND> bars;
};

inline BOOL CALLBACK CollectBar(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (IsBar(hwnd) && (*search->ofProcess)(pid)) {
        search->bars.push_back(hwnd);
    }
    return TRUE;
}

// The bars of the processes that `ofProcess` accepts by id, topmost first.
inline std::vector<HWND> FindBars(const std::function<bool(DWORD)>& ofProcess) {
    Search search{&ofProcess, {}};
    EnumWindows(CollectBar, reinterpret_cast<LPARAM>(&search));
    return search.bars;
}

// The bar of one process, or null.
inline HWND FindBar(DWORD pid) {
    const std::vector<HWND> bars = FindBars([pid](DWORD owner) { return owner == pid; });
    return bars.empty() ? nullptr : bars.front();
}

} // namespace barfinder
