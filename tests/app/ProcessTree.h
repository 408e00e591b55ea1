#pragma once
// The watcher that a running Zelvanor starts (through a middle copy that ends at once, so it is
// no child of the program), the ways a user ends programs together, and faults provoked inside
// the program the way a crash would come: a thread of its own that runs into a fault.
#include "tests/support/TestHandles.h"
#include <string>

class ProcessTree {
public:
    explicit ProcessTree(DWORD programPid) : m_programPid(programPid) {}
    // The copy of the program started after it that is not its child; 0 when there is none.
    DWORD WatcherPid() const;
    // True once a watcher runs and the middle copy that started it has ended.
    bool WaitWatcher() const;
    // Task Manager's "End process tree": the program and every process descended from it
    // terminated at once; waits until they are gone.
    bool EndTree() const;
    // taskkill /F /IM Zelvanor.exe: every process of that name terminated at once.
    static bool EndEveryCopy();
    // A handle to wait on the watcher and read its exit code: the windows it showed.
    ztest::UniqueKernelObject OpenWatcher() const;
    // Ends the watcher as Task Manager would, and waits until it is gone.
    bool EndWatcher() const;

private:
    DWORD m_programPid;
};

// Starts a thread in the program at `function`: null for an address with no code (an access
// violation nobody handles), "abort" for the C runtime's, "std::terminate" for the program's
// own, found in the symbols of `exePath`.
bool CrashRemotely(HANDLE process, const std::wstring& exePath, const char* function);

// A process's creation time, as the system keeps it; 0 when it cannot be asked.
ULONGLONG ProcessStart(DWORD pid);
