#include "areas/WindowTool.h"
#include "UniqueHandle.h"
#include <psapi.h>
#include <cwchar>

BOOL CALLBACK WindowTool::EnumWindowsProc(HWND hwnd, LPARAM lParam) {
    return reinterpret_cast<WindowTool*>(lParam)->AddWindow(hwnd);
}

bool WindowTool::IsSameWindow(HWND hwnd, DWORD processId, DWORD threadId) {
    DWORD owner = 0;
    const DWORD thread = ::GetWindowThreadProcessId(hwnd, &owner);
    return thread != 0 && thread == threadId && owner == processId;
}

BOOL WindowTool::AddWindow(HWND hwnd) {
    WindowRecord record{};
    ::GetWindowTextW(hwnd, record.title, 256);
    ::GetClassNameW(hwnd, record.className, 100);
    record.hwnd = hwnd;
    record.threadId = ::GetWindowThreadProcessId(hwnd, &record.processId);
    record.visible = ::IsWindowVisible(hwnd);
    m_windows.push_back(record);
    return TRUE;
}

void WindowTool::LookUpModulePath(WindowRecord& record) {
    const std::wstring& path = ModulePathOf(record.processId);
    path.copy(record.modulePath, path.size());
    record.modulePath[path.size()] = L'\0';
}

const std::wstring& WindowTool::ModulePathOf(DWORD processId) {
    auto found = m_modulePaths.find(processId);
    if (found != m_modulePaths.end()) {
        return found->second;
    }
    // Same buffer size as the record's field, so a long path is cut exactly as it would be there.
    wchar_t path[260] = {};
    UniqueKernelHandle process(
        ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (process) {
        HMODULE modules[1024];
        DWORD bytes = 0;
        if (::EnumProcessModules(process.get(), modules, sizeof(modules), &bytes) &&
            bytes >= sizeof(HMODULE)) {
            // The first module listed is the executable itself.
            ::GetModuleFileNameExW(process.get(), modules[0], path, 260);
        }
    }
    // At most 259 characters, so that the record's copy keeps its terminating null.
    return m_modulePaths.emplace(processId, std::wstring(path, ::wcsnlen(path, 259))).first->second;
}
