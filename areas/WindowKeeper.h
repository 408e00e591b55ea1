#pragma once
#include "areas/HiddenWindowList.h"
#include "areas/MonitorLanding.h"
#include "areas/ShowRequests.h"
#include "areas/WatcherProcess.h"
#include <set>
#include <tuple>
#include <vector>

class WorkingArea;

// Keeps every window that the working areas hide from being lost: the list of held windows
// that the watcher and the crash guards read, the watcher itself, and the requests queued for
// other programs' threads. One per process, made by the bar; working areas reach it through
// Current() (none in tests that drive working areas alone: they then work without it).
class WindowKeeper {
public:
    explicit WindowKeeper(ShowRequests::QueueFn queue = ::ShowWindowAsync);
    ~WindowKeeper();
    WindowKeeper(const WindowKeeper&) = delete;
    WindowKeeper& operator=(const WindowKeeper&) = delete;

    static WindowKeeper* Current();

    // Starts a watcher unless one runs; called at start-up and before every switch.
    void EnsureWatcher();
    DWORD WatcherProcessId() const { return m_watcher.ProcessId(); }

    // Before a window is hidden: false when it cannot be listed (then it is not hidden).
    bool BeforeHide(const WindowRecord& record) { return m_list.Add(record); }
    // A hide that could not be requested: the window is on screen, so it leaves the list, and
    // no key moves or pins it from now on.
    void HideFailed(const WindowRecord& record);
    // Whether a hide of this window has failed before.
    bool CannotHide(const WindowRecord& record) const;
    // The same for several windows: how many of them, from the first, may be hidden.
    size_t BeforeHide(const std::vector<WindowRecord>& records) { return m_list.AddAll(records); }
    // After the areas changed: the list becomes what the areas other than the current one hold.
    void Hold(const std::vector<const WorkingArea*>& notCurrent);
    // At the end of a normal exit, once every held window is back: the watcher has nothing to do.
    void ReleaseAll() { m_list.Clear(); }
    // Shows every listed window; for the crash guards.
    int ShowListed() const { return m_list.ShowAll(); }
    // Where held windows land whose monitor has gone, for a round of shows: nowhere new without a
    // keeper.
    static MonitorLanding Landing();

    ShowRequests& Requests() { return m_requests; }

    // Pinned windows are never hidden by a switch. Pins live as long as the program runs, and a
    // closed window's handle, reused by another window, carries no pin.
    void SetPinned(const WindowRecord& record, bool pinned);
    bool IsPinned(const WindowRecord& record) const;

private:
    HeldWindowRecord m_record; // before the list, which writes to it until it goes
    HiddenWindowList m_list;
    WatcherProcess m_watcher;
    ShowRequests m_requests;
    std::set<std::tuple<HWND, DWORD, DWORD>> m_pins;
    std::set<std::tuple<HWND, DWORD, DWORD>> m_cannotHide;
};
