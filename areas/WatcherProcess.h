#pragma once
#include "UniqueHandle.h"

class HiddenWindowList;

// A second copy of this program that waits, using no CPU, for this process to end, and then
// shows every window still in the hidden-window list: after the exit command the list is empty
// and it ends quietly; after a kill, a crash or Task Manager's "End task" it brings every held
// window back. It has no window and no tray icon, and it runs only while the program it watches
// does. A short-lived middle copy starts it and ends, so that it is no descendant of the
// program, and both leave the program's job where the job allows it.
class WatcherProcess {
public:
    WatcherProcess() = default;
    WatcherProcess(const WatcherProcess&) = delete;
    WatcherProcess& operator=(const WatcherProcess&) = delete;

    // Starts a watcher over `list` unless one is running; false when none runs afterwards.
    bool Ensure(const HiddenWindowList& list);
    DWORD ProcessId() const;

    // The watcher's side. True when this process was started as a watcher; Run is then all it
    // does. Its result, the process's exit code, is for a watcher the number of windows it showed
    // (none after the exit command), or kRefused when it was not started by a Zelvanor to watch;
    // for the middle copy the watcher's process id, or 0.
    static constexpr int kRefused = -1;
    static bool IsWatcherCommandLine();
    static int Run();

private:
    UniqueKernelHandle m_process;
    UniqueKernelHandle m_middle; // until it has ended and named the watcher
};
