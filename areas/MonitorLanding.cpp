#include "areas/MonitorLanding.h"
#include <algorithm>

namespace {

// Queued for the window's thread, so that a hung program cannot hold up the caller; it acts on
// the move before the show queued after it, and appears in its new place.
constexpr UINT kMoveFlags = SWP_ASYNCWINDOWPOS | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOOWNERZORDER;

LONG Width(const RECT& rect) {
    return rect.right - rect.left;
}

LONG Height(const RECT& rect) {
    return rect.bottom - rect.top;
}

BOOL CALLBACK NoteMonitor(HMONITOR, HDC, LPRECT monitor, LPARAM param) {
    auto* seen = reinterpret_cast<MonitorLanding::Seen*>(param);
    for (LONG i = 0; i < seen->count; ++i) {
        if (::EqualRect(&seen->monitors[i], monitor)) {
            return TRUE;
        }
    }
    if (seen->count < MonitorLanding::kMaxMonitors) {
        seen->monitors[seen->count] = *monitor;
        ++seen->count;
    } else {
        seen->monitors[seen->next] = *monitor;
        seen->next = (seen->next + 1) % MonitorLanding::kMaxMonitors;
    }
    return TRUE;
}

// The rectangle moved as little as it takes to lie inside `bounds`, and made no larger than they.
RECT Fitted(const RECT& rect, const RECT& bounds) {
    const LONG width = std::min(Width(rect), Width(bounds));
    const LONG height = std::min(Height(rect), Height(bounds));
    const LONG x = std::max(bounds.left, std::min(rect.left, bounds.right - width));
    const LONG y = std::max(bounds.top, std::min(rect.top, bounds.bottom - height));
    return RECT{x, y, x + width, y + height};
}

// Placements other than a tool window's count from the primary monitor's work area.
POINT WorkspaceOrigin(HWND hwnd) {
    MONITORINFO primary{};
    primary.cbSize = sizeof(primary);
    if ((::GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) ||
        !::GetMonitorInfoW(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &primary)) {
        return POINT{0, 0};
    }
    return POINT{primary.rcWork.left, primary.rcWork.top};
}

// The frame around the client area, by which a maximised window overhangs its monitor and which
// Windows 10 and later draw invisible: a window may reach into the next monitor by it with
// nothing of it to be seen there.
SIZE Border(HWND hwnd) {
    WINDOWINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetWindowInfo(hwnd, &info)) {
        return SIZE{0, 0};
    }
    return SIZE{static_cast<LONG>(info.cxWindowBorders), static_cast<LONG>(info.cyWindowBorders)};
}

} // namespace

void MonitorLanding::NoteMonitors(Seen* seen) {
    ::EnumDisplayMonitors(nullptr, nullptr, NoteMonitor, reinterpret_cast<LPARAM>(seen));
}

MonitorLanding::MonitorLanding(const Seen& seen) {
    for (LONG i = 0; i < seen.count && i < kMaxMonitors; ++i) {
        const RECT& monitor = seen.monitors[i];
        MONITORINFO now{};
        now.cbSize = sizeof(now);
        // A monitor that now has another size or place is gone as it was.
        if (!::GetMonitorInfoW(::MonitorFromRect(&monitor, MONITOR_DEFAULTTONULL), &now) ||
            !::EqualRect(&now.rcMonitor, &monitor)) {
            m_gone[m_goneCount++] = monitor;
        }
    }
}

void MonitorLanding::BeforeShow(HWND hwnd) const {
    if (m_goneCount == 0) {
        return;
    }
    RECT window{};
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (!::GetWindowRect(hwnd, &window) || !::GetWindowPlacement(hwnd, &placement)) {
        return;
    }
    const bool minimised = ::IsIconic(hwnd) != FALSE;
    const bool maximised = ::IsZoomed(hwnd) != FALSE;
    const POINT workspace = WorkspaceOrigin(hwnd);
    RECT normal = placement.rcNormalPosition;
    ::OffsetRect(&normal, workspace.x, workspace.y);
    // A minimised window's rectangle is its icon's, off screen on purpose: what counts is where
    // a restore takes it.
    RECT visible = minimised ? normal : window;
    const SIZE border = Border(hwnd);
    if (Width(visible) > 2 * border.cx && Height(visible) > 2 * border.cy) {
        ::InflateRect(&visible, -border.cx, -border.cy);
    }
    bool onGone = false;
    for (LONG i = 0; i < m_goneCount && !onGone; ++i) {
        RECT both;
        onGone = ::IntersectRect(&both, &visible, &m_gone[i]) != FALSE;
    }
    // A window partly on a monitor that exists is within its user's reach: left where it is.
    MONITORINFO nearest{};
    nearest.cbSize = sizeof(nearest);
    if (!onGone || ::MonitorFromRect(&visible, MONITOR_DEFAULTTONULL) ||
        !::GetMonitorInfoW(::MonitorFromRect(&visible, MONITOR_DEFAULTTONEAREST), &nearest)) {
        return;
    }
    const RECT& work = nearest.rcWork;
    if ((minimised || maximised) && !::MonitorFromRect(&normal, MONITOR_DEFAULTTONULL)) {
        // Only the placement reaches where a restore takes the window. It is queued as the move
        // is, and leaves a hidden window hidden for the show that follows.
        RECT landed = Fitted(normal, work);
        ::OffsetRect(&landed, -workspace.x, -workspace.y);
        placement.rcNormalPosition = landed;
        placement.flags = (placement.flags & WPF_RESTORETOMAXIMIZED) | WPF_ASYNCWINDOWPLACEMENT;
        placement.showCmd = ::IsWindowVisible(hwnd) ? SW_SHOWNA : SW_HIDE;
        ::SetWindowPlacement(hwnd, &placement);
    }
    if (minimised) {
        return;
    }
    // Maximised on the monitor it lands on, overhanging its work area by its frame as a
    // maximised window does.
    RECT target = work;
    if (maximised) {
        ::InflateRect(&target, border.cx, border.cy);
    } else {
        target = Fitted(window, work);
    }
    ::SetWindowPos(hwnd, nullptr, target.left, target.top, Width(target), Height(target),
                   kMoveFlags);
}
