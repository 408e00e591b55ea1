// The bar's size and position: sized to its list, folded to a stub and back, docked to the edges
// of its monitor or to the taskbar there whenever it moves, and brought back onto a monitor when
// the one it was on goes.
#include "bar/CZelvanorDlg.h"
#include "areas/WorkingArea.h"
#include <algorithm>
#include <utility>

namespace {

// A taskbar window lying on `monitor`. A hidden or empty one is none: under Wine a hidden one
// sits at (0, 0), and the bar would dock a pixel off the edge.
bool TaskbarOn(HWND taskbar, HMONITOR monitor, CRect* rect) {
    return taskbar && ::IsWindowVisible(taskbar) && ::GetWindowRect(taskbar, rect) &&
           !::IsRectEmpty(rect) && ::MonitorFromRect(rect, MONITOR_DEFAULTTONULL) == monitor;
}

HMONITOR MonitorOf(HWND hwnd) {
    return ::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST);
}

// The rectangle moved as little as it takes to lie inside `bounds`; one larger than them keeps
// its top-left corner on theirs.
CRect MovedInside(const CRect& rect, const CRect& bounds) {
    const int x = std::max<int>(bounds.left, std::min<int>(rect.left, bounds.right - rect.Width()));
    const int y = std::max<int>(bounds.top, std::min<int>(rect.top, bounds.bottom - rect.Height()));
    return CRect(x, y, x + rect.Width(), y + rect.Height());
}

} // namespace

CRect CZelvanorDlg::MonitorRect() const {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetMonitorInfoW(MonitorOf(m_hWnd), &info))
        return CRect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    return CRect(info.rcMonitor);
}

// The primary monitor's taskbar is the shell's tray window; every other monitor may have a
// secondary one of its own.
bool CZelvanorDlg::FindTaskbar(CRect* rect) const {
    const HMONITOR monitor = MonitorOf(m_hWnd);
    if (TaskbarOn(::FindWindowW(L"Shell_TrayWnd", L""), monitor, rect))
        return true;
    HWND secondary = nullptr;
    while ((secondary = ::FindWindowExW(nullptr, secondary, L"Shell_SecondaryTrayWnd", nullptr)))
        if (TaskbarOn(secondary, monitor, rect))
            return true;
    return false;
}

void CZelvanorDlg::ResizeToList() {
    CRect client, window;
    GetClientRect(&client);
    GetWindowRect(&window);
    const int rows = static_cast<int>(m_areas.size());
    // The frame's thickness is whatever the window adds around the client area.
    const int bottom = window.bottom + m_layout.ClientHeightFor(rows) - client.Height();
    int left = window.left;
    int right = window.right;
    if (m_collapsed)
        left = window.left + client.Width() - m_layout.clientWidth; // folded: the right edge stays
    else
        right = window.right - client.Width() + m_layout.clientWidth;
    MoveWindow(left, window.top, right - left, bottom - window.top, TRUE);
    m_sizeRepairs = 3;
    m_rowTips.SetRows(rows, m_layout);

    // A resize alone never docks, so a bar at the bottom edge would grow off its monitor. One
    // that no longer fits moves back onto it, and the move docks it as a drag there would.
    CRect now;
    GetWindowRect(&now);
    const CRect inside = MovedInside(now, MonitorRect());
    if (inside != now)
        MoveWindow(inside.left, inside.top, inside.Width(), inside.Height(), TRUE);
}

void CZelvanorDlg::OnDpiChanged(const RECT& suggested) {
    m_layout = BarLayout::Metrics(Dpi());
    CFont scaled; // empty back at the dialog's own DPI
    if (m_dialogFontDpi && Dpi() != m_dialogFontDpi) {
        LOGFONTW font = m_dialogFont;
        font.lfHeight = ::MulDiv(m_dialogFont.lfHeight, Dpi(), m_dialogFontDpi);
        font.lfWidth = ::MulDiv(m_dialogFont.lfWidth, Dpi(), m_dialogFontDpi);
        scaled.CreateFontIndirect(&font);
    }
    // The old font goes with `scaled` at the end, once the box has let go of it.
    std::swap(m_scaledRowFont, scaled);
    m_renameEdit.SetFont(RowFont());
    const int rows = static_cast<int>(m_areas.size());
    // A rename under way goes on in the box over its row's new place.
    for (int i = 0; i < rows; ++i)
        if (m_areas[i].get() == m_menuArea && m_menuArea->m_editing)
            m_renameEdit.MoveWindow(0, m_layout.RowTop(i), m_layout.clientWidth, m_layout.rowHeight,
                                    TRUE);

    // The suggested rectangle is the old one scaled, rounded its own way: the bar takes its
    // place from it but its size from the layout, folded (keeping the top-right corner, as a
    // fold does) or not. Should the frame have changed with the DPI, the size is mended as any
    // size that does not fit the list.
    CRect client, window;
    GetClientRect(&client);
    GetWindowRect(&window);
    CRect place;
    if (m_collapsed) {
        place = CRect(suggested.right - m_layout.collapsedWidth, suggested.top, suggested.right,
                      suggested.top + m_layout.collapsedHeight);
    } else {
        place = CRect(suggested.left, suggested.top,
                      suggested.left + window.Width() - client.Width() + m_layout.clientWidth,
                      suggested.top + window.Height() - client.Height() +
                          m_layout.ClientHeightFor(rows));
    }
    m_sizeRepairs = 3;
    MoveWindow(place.left, place.top, place.Width(), place.Height(), TRUE);
    m_rowTips.SetRows(rows, m_layout);
}

HFONT CZelvanorDlg::RowFont() const {
    return m_scaledRowFont.GetSafeHandle() ? static_cast<HFONT>(m_scaledRowFont) : GetFont();
}

LRESULT CZelvanorDlg::OnDisplayChange(WPARAM, LPARAM) {
    BringOntoMonitor();
    return 0;
}

LRESULT CZelvanorDlg::OnSettingChange(WPARAM flags, LPARAM) {
    if (flags == SPI_SETWORKAREA)
        BringOntoMonitor();
    return 0;
}

void CZelvanorDlg::BringOntoMonitor() {
    CRect window;
    GetWindowRect(&window);
    if (::MonitorFromRect(&window, MONITOR_DEFAULTTONULL))
        return;
    // Off every monitor: onto the nearest, where the move docks it to the edge it lands on.
    const CRect inside = MovedInside(window, MonitorRect());
    MoveWindow(inside.left, inside.top, inside.Width(), inside.Height(), TRUE);
}

// Under Wine the window manager now and then hands the bar back the size it had before its last
// resize, and the bar's size would no longer tell its list. Such a size is taken back, a few
// times per resize of its own, so that a window manager that insists on a size cannot make the
// bar fight it for ever.
LRESULT CZelvanorDlg::OnSizeChanged(WPARAM, LPARAM) {
    CRect client;
    GetClientRect(&client);
    const bool fits = client.Width() == m_layout.clientWidth &&
                      client.Height() == m_layout.ClientHeightFor(static_cast<int>(m_areas.size()));
    if (!fits && !m_collapsed && m_sizeRepairs > 0) {
        const int left = m_sizeRepairs - 1;
        ResizeToList();
        m_sizeRepairs = left;
    }
    return 0;
}

void CZelvanorDlg::OnLButtonUp(UINT nFlags, CPoint point) {
    if (point.y >= m_layout.titleHeight) {
        CDiyDialogEx::OnLButtonUp(nFlags, point);
        return;
    }
    CRect client;
    GetClientRect(&client);
    const int width = client.Width();
    if (m_layout.InCloseColumn(point.x, width)) {
        OnCaptionClose();
        return;
    }
    if (m_layout.InCollapseColumn(point.x, width)) {
        if (m_collapsed) {
            ResizeToList();
        } else {
            CRect window;
            GetWindowRect(&window); // fold keeping the top-right corner
            m_sizeRepairs = 0;
            MoveWindow(window.right - m_layout.collapsedWidth, window.top, m_layout.collapsedWidth,
                       m_layout.collapsedHeight, TRUE);
        }
        m_collapsed = !m_collapsed;
        InvalidateRect(nullptr, TRUE);
        return;
    }
    CDiyDialogEx::OnLButtonUp(nFlags, point);
}

// Docks to the edges of the monitor the bar is on, which, during a drag across monitors, is the
// one holding most of it: the bar is carried over and docks only on its new monitor.
void CZelvanorDlg::OnMove(int x, int y) {
    CDiyDialogEx::OnMove(x, y);
    CRect window;
    GetWindowRect(&window);
    const CRect monitor = MonitorRect();
    const int snap = m_layout.snapDistance;
    if (window.left < monitor.left + snap)
        DockLeft();
    // A bar taller than the monitor could never satisfy both vertical tests: docking it to the
    // bottom pushes its top past the top edge and the other way round, for ever. It docks to
    // the top only, where most of its rows stay visible.
    const bool tall = window.Height() > monitor.Height() - snap;
    if (tall) {
        if (window.top < monitor.top + snap || window.bottom > monitor.bottom - snap)
            DockTop();
    } else if (window.top < monitor.top + snap) {
        DockTop();
    }
    if (window.right > monitor.right - snap)
        DockRight();
    if (!tall && window.bottom > monitor.bottom - snap)
        DockBottom();
}

void CZelvanorDlg::DockLeft() {
    CRect window, taskbar;
    GetWindowRect(&window);
    const CRect monitor = MonitorRect();
    int x = monitor.left;
    if (FindTaskbar(&taskbar) && taskbar.left == monitor.left && taskbar.right < monitor.right)
        x = taskbar.right + 1;
    MoveWindow(x, window.top, window.Width(), window.Height(), TRUE);
}

void CZelvanorDlg::DockRight() {
    CRect window, taskbar;
    GetWindowRect(&window);
    const CRect monitor = MonitorRect();
    int x = monitor.right - window.Width();
    if (FindTaskbar(&taskbar) && taskbar.left > monitor.left && taskbar.right == monitor.right)
        x = taskbar.left - window.Width();
    MoveWindow(x, window.top, window.Width(), window.Height(), TRUE);
}

void CZelvanorDlg::DockTop() {
    CRect window, taskbar;
    GetWindowRect(&window);
    const CRect monitor = MonitorRect();
    int y = monitor.top;
    if (FindTaskbar(&taskbar) && taskbar.top == monitor.top && taskbar.bottom < monitor.bottom)
        y = taskbar.bottom + 1;
    MoveWindow(window.left, y, window.Width(), window.Height(), TRUE);
}

void CZelvanorDlg::DockBottom() {
    CRect window, taskbar;
    GetWindowRect(&window);
    const CRect monitor = MonitorRect();
    int y = monitor.bottom - window.Height();
    if (FindTaskbar(&taskbar) && taskbar.top > monitor.top && taskbar.bottom == monitor.bottom)
        y = taskbar.top - window.Height();
    MoveWindow(window.left, y, window.Width(), window.Height(), TRUE);
}
