// The bar's size and position: sized to its list, folded to a stub and back, docked to the
// screen edges or to the taskbar whenever it moves.
#include "bar/CZelvanorDlg.h"
#include "bar/BarLayout.h"
#include <algorithm>

using namespace BarLayout;

namespace {

// The taskbar, if there is one, and its window rectangle. A hidden or empty taskbar window is
// none: under Wine a hidden one sits at (0, 0), and the bar would dock a pixel off the edge.
bool FindTaskbar(CRect* rect) {
    HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", L"");
    return taskbar && ::IsWindowVisible(taskbar) && ::GetWindowRect(taskbar, rect) &&
           !::IsRectEmpty(rect);
}

} // namespace

void CZelvanorDlg::ResizeToList() {
    CRect client, window;
    GetClientRect(&client);
    GetWindowRect(&window);
    const int rows = static_cast<int>(m_areas.size());
    // The frame's thickness is whatever the window adds around the client area.
    const int bottom = window.bottom + ClientHeightFor(rows) - client.Height();
    int left = window.left;
    int right = window.right;
    if (m_collapsed)
        left = window.left + client.Width() - kClientWidth; // folded: the right edge stays
    else
        right = window.right - client.Width() + kClientWidth;
    MoveWindow(left, window.top, right - left, bottom - window.top, TRUE);
    m_sizeRepairs = 3;
    m_rowTips.SetRows(rows);

    // A resize alone never docks, so a bar at the bottom edge would grow off the screen. One
    // that no longer fits moves back onto it, and the move docks it as a drag there would.
    CRect now;
    GetWindowRect(&now);
    const int cx = GetSystemMetrics(SM_CXSCREEN);
    const int cy = GetSystemMetrics(SM_CYSCREEN);
    if (now.left >= 0 && now.top >= 0 && now.right <= cx && now.bottom <= cy)
        return;
    const int x = std::max(0, std::min(static_cast<int>(now.left), cx - now.Width()));
    const int y = std::max(0, std::min(static_cast<int>(now.top), cy - now.Height()));
    MoveWindow(x, y, now.Width(), now.Height(), TRUE);
}

// Under Wine the window manager now and then hands the bar back the size it had before its last
// resize, and the bar's size would no longer tell its list. Such a size is taken back, a few
// times per resize of its own, so that a window manager that insists on a size cannot make the
// bar fight it for ever.
LRESULT CZelvanorDlg::OnSizeChanged(WPARAM, LPARAM) {
    CRect client;
    GetClientRect(&client);
    const bool fits = client.Width() == kClientWidth &&
                      client.Height() == ClientHeightFor(static_cast<int>(m_areas.size()));
    if (!fits && !m_collapsed && m_sizeRepairs > 0) {
        const int left = m_sizeRepairs - 1;
        ResizeToList();
        m_sizeRepairs = left;
    }
    return 0;
}

void CZelvanorDlg::OnLButtonUp(UINT nFlags, CPoint point) {
    if (point.y >= kTitleHeight) {
        CDiyDialogEx::OnLButtonUp(nFlags, point);
        return;
    }
    CRect client;
    GetClientRect(&client);
    const int width = client.Width();
    if (InCloseColumn(point.x, width)) {
        OnCaptionClose();
        return;
    }
    if (InCollapseColumn(point.x, width)) {
        if (m_collapsed) {
            ResizeToList();
        } else {
            CRect window;
            GetWindowRect(&window); // fold keeping the top-right corner
            m_sizeRepairs = 0;
            MoveWindow(window.right - kCollapsedWidth, window.top, kCollapsedWidth,
                       kCollapsedHeight, TRUE);
        }
        m_collapsed = !m_collapsed;
        InvalidateRect(nullptr, TRUE);
        return;
    }
    CDiyDialogEx::OnLButtonUp(nFlags, point);
}

void CZelvanorDlg::OnMove(int x, int y) {
    CDiyDialogEx::OnMove(x, y);
    CRect window;
    GetWindowRect(&window);
    const int cx = GetSystemMetrics(SM_CXSCREEN);
    const int cy = GetSystemMetrics(SM_CYSCREEN);
    if (window.left < kSnapDistance)
        DockLeft();
    // A bar taller than the screen could never satisfy both vertical tests: docking it to the
    // bottom pushes its top past the top edge and the other way round, for ever. It docks to
    // the top only, where most of its rows stay visible.
    const bool tall = window.Height() > cy - kSnapDistance;
    if (tall) {
        if (window.top < kSnapDistance || window.bottom > cy - kSnapDistance)
            DockTop();
    } else if (window.top < kSnapDistance) {
        DockTop();
    }
    if (window.right > cx - kSnapDistance)
        DockRight();
    if (!tall && window.bottom > cy - kSnapDistance)
        DockBottom();
}

void CZelvanorDlg::DockLeft() {
    CRect window, taskbar;
    GetWindowRect(&window);
    const int cx = GetSystemMetrics(SM_CXSCREEN);
    int x = 0;
    if (FindTaskbar(&taskbar) && taskbar.left == 0 && taskbar.right < cx)
        x = taskbar.right + 1;
    MoveWindow(x, window.top, window.Width(), window.Height(), TRUE);
}

void CZelvanorDlg::DockRight() {
    CRect window, taskbar;
    GetWindowRect(&window);
    const int cx = GetSystemMetrics(SM_CXSCREEN);
    int x = cx - window.Width();
    if (FindTaskbar(&taskbar) && taskbar.left > 0 && taskbar.right == cx)
        x = taskbar.left - window.Width();
    MoveWindow(x, window.top, window.Width(), window.Height(), TRUE);
}

void CZelvanorDlg::DockTop() {
    CRect window, taskbar;
    GetWindowRect(&window);
    const int cy = GetSystemMetrics(SM_CYSCREEN);
    int y = 0;
    if (FindTaskbar(&taskbar) && taskbar.top == 0 && taskbar.bottom < cy)
        y = taskbar.bottom + 1;
    MoveWindow(window.left, y, window.Width(), window.Height(), TRUE);
}

void CZelvanorDlg::DockBottom() {
    CRect window, taskbar;
    GetWindowRect(&window);
    const int cy = GetSystemMetrics(SM_CYSCREEN);
    int y = cy - window.Height();
    if (FindTaskbar(&taskbar) && taskbar.top > 0 && taskbar.bottom == cy)
        y = taskbar.top - window.Height();
    MoveWindow(window.left, y, window.Width(), window.Height(), TRUE);
}
