#pragma once
// Shared by the working-area tests: snapshots as the program takes them, windows of the test's
// own thread, and the helper program under other names.
#include "areas/WindowTool.h"
#include "areas/WorkingArea.h"
#include "tests/helpers/HelperProcess.h"
#include "tests/support/Desktop.h"
#include "tests/support/Matchers.h"
#include "tests/support/MessageLog.h"
#include "tests/support/TestHandles.h"
#include <string>
#include <vector>

namespace areatest {

using namespace ztest;
using ::testing::Each;

// A snapshot with every record's executable path looked up (a switch looks up only those its
// decisions need).
inline std::vector<WindowRecord> TakeSnapshot() {
    WindowTool tool;
    EnumWindows(WindowTool::EnumWindowsProc, reinterpret_cast<LPARAM>(&tool));
    for (WindowRecord& record : tool.m_windows)
        tool.LookUpModulePath(record);
    return tool.m_windows;
}

inline const WindowRecord* FindRecord(const std::vector<WindowRecord>& records, HWND hwnd) {
    const WindowRecord* found = nullptr;
    for (const WindowRecord& record : records) {
        if (record.hwnd == hwnd) {
            if (found) {
                return nullptr; // recorded twice: as bad as not at all
            }
            found = &record;
        }
    }
    return found;
}

// Each window recorded exactly once, as visible or as not; the failure names the first that is not.
inline ::testing::AssertionResult Recorded(const std::vector<WindowRecord>& records,
                                           const std::vector<HWND>& windows, bool visible) {
    for (HWND hwnd : windows) {
        const WindowRecord* r = FindRecord(records, hwnd);
        if (!r || r->visible != visible)
            return ::testing::AssertionFailure()
                   << hwnd << (r ? " recorded as " : " not recorded once, should be ")
                   << (r && r->visible ? "visible" : "not visible");
    }
    return ::testing::AssertionSuccess();
}

inline std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(towlower(c));
    return text;
}

// A top-level window of the calling thread, titled "recorder".
inline UniqueWindow OwnWindow(bool visible) {
    return MessageLog::Create(WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0),
                              {300, 300, 500, 400});
}

// A copy of the helper program under another file name (by default "Zelvanor.exe", so that its
// dialogs count as this program's own) in a folder of its own. Removed again when the object goes;
// stop the processes started from it first.
class RenamedHelperCopy {
public:
    explicit RenamedHelperCopy(const std::wstring& name = L"Zelvanor.exe") {
        // Numbered folders: Wine finds files and folders whatever the case of their names.
        static int copies = 0;
        m_dir = ExeDir() + L"\\zcopy-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(++copies);
        CreateDirectoryW(m_dir.c_str(), nullptr);
        m_path = m_dir + L"\\" + name;
        m_ok = CopyFileW(zhelper::HelperPath().c_str(), m_path.c_str(), FALSE) != FALSE;
    }
    RenamedHelperCopy(const RenamedHelperCopy&) = delete;
    RenamedHelperCopy& operator=(const RenamedHelperCopy&) = delete;
    ~RenamedHelperCopy() {
        DeleteFileW(m_path.c_str());
        RemoveDirectoryW(m_dir.c_str());
    }
    bool Ok() const { return m_ok; }
    const std::wstring& Path() const { return m_path; }

private:
    std::wstring m_dir;
    std::wstring m_path;
    bool m_ok = false;
};

} // namespace areatest
