#pragma once
#include "areas/WindowRecord.h"
#include <string>
#include <unordered_map>
#include <vector>

// Collects one snapshot of the desktop's top-level windows: create, fill with one EnumWindows
// pass (EnumWindowsProc with the tool's address), read m_windows, drop.
class WindowTool {
public:
    WindowTool() = default;
    ~WindowTool() = default;
    WindowTool(const WindowTool&) = delete;
    WindowTool& operator=(const WindowTool&) = delete;

    static BOOL CALLBACK EnumWindowsProc(HWND hwnd, LPARAM lParam);
    BOOL AddWindow(HWND hwnd);

    std::vector<WindowRecord> m_windows;

private:
    // The executable path of a process, looked up once per snapshot: a program with many windows
    // would otherwise pay a process open and two module walks for each of them.
    const std::wstring& ModulePathOf(DWORD processId);

    std::unordered_map<DWORD, std::wstring> m_modulePaths;
};
