#pragma once
#include "areas/WindowRecord.h"
#include <string>
#include <unordered_map>
#include <vector>

// Collects one snapshot of the desktop's top-level windows: create, fill with one EnumWindows
// pass (EnumWindowsProc with the tool's address), read m_windows, drop. A record's executable
// path is looked up only when asked for (LookUpModulePath): it costs milliseconds a process,
// and only a few decisions need it.
class WindowTool {
public:
    WindowTool() = default;
    ~WindowTool() = default;
    WindowTool(const WindowTool&) = delete;
    WindowTool& operator=(const WindowTool&) = delete;

    static BOOL CALLBACK EnumWindowsProc(HWND hwnd, LPARAM lParam);
    BOOL AddWindow(HWND hwnd);
    // Fills the record's modulePath with its process's executable, looked up once per process.
    void LookUpModulePath(WindowRecord& record);
    // Fills the record's class name, which only a visible window's record has.
    static void LookUpClass(WindowRecord& record);
    // A closed window's handle can be handed to a new window of any program: only the process
    // and thread that owned it when it was recorded make it the same window.
    static bool IsSameWindow(HWND hwnd, DWORD processId, DWORD threadId);

    std::vector<WindowRecord> m_windows;

private:
    const std::wstring& ModulePathOf(DWORD processId);

    std::unordered_map<DWORD, std::wstring> m_modulePaths;
};
