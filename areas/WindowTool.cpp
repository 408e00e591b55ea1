#include "areas/WindowTool.h"
#include "CDwmHelper.h"
#include "UniqueHandle.h"
#include <utility>

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
    record.hwnd = hwnd;
    record.threadId = ::GetWindowThreadProcessId(hwnd, &record.processId);
    // A cloaked window keeps WS_VISIBLE off screen (another virtual desktop, a shell surface
    // not shown now): it is the shell's to show, and counts as not visible.
    record.visible = ::IsWindowVisible(hwnd) && !CDwmHelper::IsCloaked(hwnd);
    // Most top-level windows are hidden ones no decision looks at: each query is a call across
    // processes, and a switch asks them of every window.
    if (record.visible) {
        LookUpClass(record);
    }
    m_windows.push_back(record);
    return TRUE;
}

void WindowTool::LookUpClass(WindowRecord& record) {
    ::GetClassNameW(record.hwnd, record.className, 100);
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
    // The limited right and this call answer for any process, a 64-bit one asked by the
    // 32-bit program and an elevated one included; reading the module list does neither.
    // The call fails rather than cut a path too long for its buffer: the buffer takes any path,
    // and the record's field cuts it below.
    std::wstring path(32768, L'\0');
    UniqueKernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    DWORD length = static_cast<DWORD>(path.size());
    if (!process || !::QueryFullProcessImageNameW(process.get(), 0, &path[0], &length)) {
        length = 0;
    }
    // At most 259 characters, so that the record's copy keeps its terminating null.
    path.resize(length < 259 ? length : 259);
    return m_modulePaths.emplace(processId, std::move(path)).first->second;
}
