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

// Every program a test starts runs in this job, which ends them all when the test process ends,
// however it ends (a crash, CTest's timeout): a left-over program would keep its windows, its
// tray icon and its global keys into the next test. What those programs start in turn stays
// outside it: the program's watcher must outlive the program to bring its windows back, and
// under Wine the first program that needs them starts the prefix's own desktop and services,
// which the next test needs as well.
inline HANDLE TestJob() {
    static const UniqueKernelObject job = [] {
        UniqueKernelObject created(CreateJobObjectW(nullptr, nullptr));
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE |
                                                  JOB_OBJECT_LIMIT_BREAKAWAY_OK |
                                                  JOB_OBJECT_LIMIT_SILENT_BREAKAWAY_OK;
        if (created && !SetInformationJobObject(created.get(), JobObjectExtendedLimitInformation,
                                                &limits, sizeof(limits))) {
            created.reset();
        }
        return created;
    }();
    return job.get();
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
        // A job of the test's own takes the program before it runs any code, instead of the
        // tests' job (jobs do not nest everywhere). Otherwise the program joins the tests' job as
        // soon as it exists: the programs started here start nothing of their own that soon.
        if (!TestJob() ||
            !CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, job ? CREATE_SUSPENDED : 0,
                            nullptr, currentDir.empty() ? nullptr : currentDir.c_str(), &si, &pi)) {
            return false;
        }
        m_process.reset(pi.hProcess);
        const bool joined = AssignProcessToJobObject(job ? job : TestJob(), pi.hProcess) &&
                            (!job || ResumeThread(pi.hThread) != static_cast<DWORD>(-1));
        CloseHandle(pi.hThread);
        if (!joined) {
            TerminateProcess(pi.hProcess, 1);
            m_process.reset();
            return false;
        }
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
