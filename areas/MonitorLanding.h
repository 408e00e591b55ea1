#pragma once
#include <windows.h>

// Where a held window comes back when the monitor it was on went while it was hidden (unplugged,
// turned off, the desktop rearranged): onto the nearest monitor that exists, keeping its size
// where that fits, and maximised there if it was maximised, rather than off screen out of its
// user's reach. Only a window that lies on a monitor seen while windows were held is moved: one
// that its program keeps off screen on purpose stays where it is.
//
// Nothing here waits on the window's program: the move is queued for its thread, ahead of the
// show that follows. Nothing allocates either, so the crash guards use it in a dying process.
class MonitorLanding {
public:
    static constexpr LONG kMaxMonitors = 16;
    // The monitors seen while windows were held. Plain data, so that it can live in the section
    // the watcher reads; a new section's zeros are an empty table.
    struct Seen {
        LONG count;
        LONG next; // the slot the next new monitor takes once the table is full
        RECT monitors[kMaxMonitors];
    };
    // The monitors on the desktop now join those seen; called before windows are held.
    static void NoteMonitors(Seen* seen);

    // Nothing has gone: every show goes ahead as it is.
    MonitorLanding() = default;
    // Finds, once for a round of shows, which of the seen monitors have gone.
    explicit MonitorLanding(const Seen& seen);

    // Before a held window is shown: one that lies on a monitor that has gone, and on none that
    // exists, is moved onto the nearest that exists.
    void BeforeShow(HWND hwnd) const;

private:
    LONG m_goneCount = 0;
    RECT m_gone[kMaxMonitors] = {};
};
