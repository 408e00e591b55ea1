#pragma once
// Starting and driving ZWindowHelper from a test or benchmark. The helper is ended (and, if it
// does not answer, terminated) when its HelperProcess goes away; it also ends by itself when the
// process that started it ends.
#include "ZWindowHelperProtocol.h"
#include <windows.h>
#include <string>
#include <vector>

namespace zhelper {

// The folder of the running executable: helpers and the program are built beside the tests.
inline std::wstring ExeDir() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path);
    return dir.substr(0, dir.find_last_of(L"\\/"));
}

inline std::wstring HelperPath() {
    return ExeDir() + L"\\ZWindowHelper.exe";
}

class HelperProcess {
public:
    HelperProcess() = default;
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;
    ~HelperProcess() { Stop(); }

    // Starts `exe` with `args` and waits until its control window exists, that is until every
    // window that the command line asked for has been created.
    bool Start(const std::wstring& args, const std::wstring& exe = HelperPath(),
               DWORD timeoutMs = 60000) {
        Stop();
        std::wstring cmd =
            L"\"" + exe + L"\" --parent " + std::to_wstring(GetCurrentProcessId()) + L" " + args;
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                            &pi)) {
            return false;
        }
        CloseHandle(pi.hThread);
        m_process = pi.hProcess;
        m_pid = pi.dwProcessId;
        m_path = exe;
        const std::wstring title = std::wstring(kControlClass) + L"-" + std::to_wstring(m_pid);
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < timeoutMs) {
            m_control = FindWindowExW(HWND_MESSAGE, nullptr, kControlClass, title.c_str());
            if (m_control) {
                return true;
            }
            if (WaitForSingleObject(m_process, 10) == WAIT_OBJECT_0) {
                break;
            }
        }
        return false;
    }

    void Stop() {
        if (!m_process) {
            return;
        }
        if (m_control) {
            PostMessageW(m_control, WM_CLOSE, 0, 0);
        }
        if (WaitForSingleObject(m_process, 1000) != WAIT_OBJECT_0) {
            TerminateProcess(m_process, 1);
            WaitForSingleObject(m_process, 10000);
        }
        CloseHandle(m_process);
        m_process = nullptr;
        m_control = nullptr;
        m_pid = 0;
    }

    DWORD Pid() const { return m_pid; }
    HANDLE Process() const { return m_process; }
    HWND Control() const { return m_control; }
    const std::wstring& Path() const { return m_path; }

    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0, DWORD timeoutMs = 180000) const {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(m_control, msg, wParam, lParam, SMTO_NORMAL, timeoutMs, &result)) {
            return 0;
        }
        return static_cast<LRESULT>(result);
    }
    // Returns once the helper's UI thread has handled everything queued for it so far.
    bool Sync(DWORD timeoutMs = 60000) const {
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(m_control, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
    }

    // As Sync, and the windows shown meanwhile have been painted too.
    bool SyncPainted(DWORD timeoutMs = 60000) const {
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(m_control, kMsgPaint, 0, 0, SMTO_NORMAL, timeoutMs, &result) !=
               0;
    }

    int Count() const { return static_cast<int>(Send(kMsgCount)); }
    HWND Window(int i) const { return reinterpret_cast<HWND>(Send(kMsgWindow, i)); }
    HWND Special(Role role, int index = 0) const {
        return reinterpret_cast<HWND>(Send(kMsgSpecial, role, index));
    }
    // The plain windows still open, in slot order.
    std::vector<HWND> Windows() const {
        std::vector<HWND> result;
        const int count = Count();
        for (int i = 0; i < count; ++i) {
            if (HWND hwnd = Window(i)) {
                result.push_back(hwnd);
            }
        }
        return result;
    }
    std::wstring HangDoneEventName() const { return kHangDonePrefix + std::to_wstring(m_pid); }

private:
    HANDLE m_process = nullptr;
    DWORD m_pid = 0;
    HWND m_control = nullptr;
    std::wstring m_path;
};

} // namespace zhelper
