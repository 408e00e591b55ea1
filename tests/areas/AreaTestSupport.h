#pragma once
// Shared by the working-area tests: real helper processes and Notepad, snapshots, and waiting for
// other processes to act on asynchronous show and hide requests.
#include "HelperProcess.h"
#include "areas/WindowTool.h"
#include "areas/WorkingArea.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace areatest {

inline void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Polls `done` (pumping this thread's messages) until it holds or the bound passes. The bound is
// generous: it only has to catch a state that never comes.
inline bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = 20000) {
    const DWORD start = GetTickCount();
    for (;;) {
        PumpMessages();
        if (done()) {
            return true;
        }
        if (GetTickCount() - start > timeoutMs) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

inline bool WaitVisible(HWND hwnd, bool visible, DWORD timeoutMs = 20000) {
    return WaitUntil([&] { return (IsWindowVisible(hwnd) != FALSE) == visible; }, timeoutMs);
}

// Waits until every window of the list is shown (or hidden); names the ones that never were.
inline ::testing::AssertionResult WaitAllVisible(const std::vector<HWND>& windows, bool visible) {
    auto pending = [&] {
        std::vector<HWND> late;
        for (HWND hwnd : windows) {
            if ((IsWindowVisible(hwnd) != FALSE) != visible) {
                late.push_back(hwnd);
            }
        }
        return late;
    };
    if (WaitUntil([&] { return pending().empty(); })) {
        return ::testing::AssertionSuccess();
    }
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    failure << "still " << (visible ? "hidden" : "visible") << ":";
    for (HWND hwnd : pending()) {
        wchar_t title[64] = {}, cls[64] = {};
        GetWindowTextW(hwnd, title, 64);
        GetClassNameW(hwnd, cls, 64);
        char text[200];
        snprintf(text, sizeof(text), " %p \"%ls\" (%ls)", static_cast<void*>(hwnd), title, cls);
        failure << text;
    }
    return failure;
}

inline BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lParam) {
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
    return TRUE;
}

// The top-level windows as the system lists them, independently of the code under test.
inline std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

inline std::vector<WindowRecord> TakeSnapshot() {
    WindowTool tool;
    EnumWindows(WindowTool::EnumWindowsProc, reinterpret_cast<LPARAM>(&tool));
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

inline std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) {
        c = static_cast<wchar_t>(towlower(c));
    }
    return text;
}

// Wine's Notepad, a program that knows nothing of the tests.
class Notepad {
public:
    Notepad() = default;
    Notepad(const Notepad&) = delete;
    Notepad& operator=(const Notepad&) = delete;
    ~Notepad() {
        if (m_process) {
            TerminateProcess(m_process, 1);
            WaitForSingleObject(m_process, 10000);
            CloseHandle(m_process);
        }
    }

    bool Start() {
        std::wstring cmd = L"notepad.exe";
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                            &pi)) {
            return false;
        }
        CloseHandle(pi.hThread);
        m_process = pi.hProcess;
        m_pid = pi.dwProcessId;
        return WaitUntil([this] {
            m_window = FindVisibleWindow();
            return m_window != nullptr;
        });
    }

    HWND Window() const { return m_window; }
    DWORD Pid() const { return m_pid; }
    HANDLE Process() const { return m_process; }

private:
    HWND FindVisibleWindow() const {
        for (HWND hwnd : TopLevelWindows()) {
            DWORD pid = 0;
            GetWindowThreadProcessId(hwnd, &pid);
            if (pid == m_pid && IsWindowVisible(hwnd)) {
                return hwnd;
            }
        }
        return nullptr;
    }

    HANDLE m_process = nullptr;
    DWORD m_pid = 0;
    HWND m_window = nullptr;
};

// A copy of the helper program under another file name (by default "Zelvanor.exe", so that its
// dialogs count as this program's own) in a folder of its own. Removed again when the object goes;
// stop the processes started from it first.
class RenamedHelperCopy {
public:
    explicit RenamedHelperCopy(const std::wstring& name = L"Zelvanor.exe") {
        // Numbered folders: Wine finds files and folders whatever the case of their names.
        static int copies = 0;
        m_dir = zhelper::ExeDir() + L"\\zcopy-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
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

// A top-level window of the calling thread.
class OwnWindow {
public:
    explicit OwnWindow(bool visible, const wchar_t* title = L"areas-test-own") {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"AreasTestOwnWindow";
        RegisterClassW(&wc); // fails harmlessly when already registered
        m_hwnd = CreateWindowExW(0, wc.lpszClassName, title,
                                 WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 300, 300, 200,
                                 100, nullptr, nullptr, wc.hInstance, nullptr);
    }
    OwnWindow(const OwnWindow&) = delete;
    OwnWindow& operator=(const OwnWindow&) = delete;
    ~OwnWindow() { DestroyWindow(m_hwnd); }
    HWND Get() const { return m_hwnd; }

private:
    HWND m_hwnd = nullptr;
};

} // namespace areatest
