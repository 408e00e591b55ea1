#pragma once
// A program that a test or benchmark starts. Header-only, so that the benchmarks, which do not
// link the test harness, start their helpers the same way.
#include "tests/support/TestHandles.h"
#include <string>

namespace ztest {

// The folder of the running executable: the program and the helpers are built beside the tests.
inline std::wstring ExeDir() {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring file(path);
    return file.substr(0, file.find_last_of(L"\\/"));
}

// Owns the process handle; a process still running when the object goes is terminated. Owners
// that can end theirs more politely do so first.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess() { Terminate(); }

    // Runs the command line `"exe" args` in `currentDir` (empty: this process's own), inside
    // `job` if one is given, before it runs any code. An exe without a folder is searched for as
    // the system searches for commands.
    bool Start(const std::wstring& exe, const std::wstring& args = L"",
               const std::wstring& currentDir = L"", HANDLE job = nullptr) {
        Terminate();
        std::wstring cmd = L"\"" + exe + L"\"" + (args.empty() ? L"" : L" " + args);
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, job ? CREATE_SUSPENDED : 0,
                            nullptr, currentDir.empty() ? nullptr : currentDir.c_str(), &si, &pi)) {
            return false;
        }
        if (job && (!AssignProcessToJobObject(job, pi.hProcess) ||
                    ResumeThread(pi.hThread) == static_cast<DWORD>(-1))) {
            TerminateProcess(pi.hProcess, 1);
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
            return false;
        }
        CloseHandle(pi.hThread);
        m_process.reset(pi.hProcess);
        m_pid = pi.dwProcessId;
        return true;
    }

    HANDLE Handle() const { return m_process.get(); }
    DWORD Pid() const { return m_pid; }
    bool Running() const {
        return m_process && WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT;
    }
    bool Ended(DWORD timeoutMs) const {
        return m_process && WaitForSingleObject(m_process.get(), timeoutMs) == WAIT_OBJECT_0;
    }
    // Ends the process if it still runs, and lets the handle go.
    void Terminate() {
        if (Running()) {
            TerminateProcess(m_process.get(), 1);
            WaitForSingleObject(m_process.get(), 10000);
        }
        m_process.reset();
        m_pid = 0;
    }

private:
    UniqueKernelObject m_process;
    DWORD m_pid = 0;
};

} // namespace ztest
