// The bar's working-area list: add, delete, rename in place, and the switch by a click on a row.
#include "bar/CZelvanorDlg.h"
#include "areas/WorkingArea.h"
#include "res/resource.h"
#include <algorithm>

namespace {
// How long a switch waits for other programs to act on its requests, and the exit, after which
// nothing can be done for a window that lands late.
constexpr DWORD kSwitchWaitMs = 300;
constexpr DWORD kExitWaitMs = 2000;
} // namespace

void CZelvanorDlg::AddWorkingArea(CString name) {
    auto area = std::make_unique<WorkingArea>(++m_areaCounter);
    area->m_name = name;
    m_areas.push_back(std::move(area));
}

void CZelvanorDlg::AddDefaultWorkingArea() {
    CString format;
    format.LoadString(IDS_WORKING_AREA_NAME);
    CString name;
    name.Format(format, m_areaCounter + 1);
    AddWorkingArea(name);
}

void CZelvanorDlg::RemoveWorkingArea(int number) {
    auto it = std::find_if(m_areas.begin(), m_areas.end(),
                           [number](const auto& area) { return area->m_number == number; });
    if (it == m_areas.end())
        return;
    it->reset(); // its destructor shows the windows it holds hidden
    m_areas.erase(it);
}

void CZelvanorDlg::DeleteAllWorkingAreas() {
    std::vector<WindowRecord> held;
    for (const auto& area : m_areas) {
        std::vector<WindowRecord> more = area->TakeHeld();
        held.insert(held.end(), more.begin(), more.end());
    }
    ReturnBeneathCurrent(held, true);
    m_keeper.Requests().WaitAnswered(kExitWaitMs);
    for (auto& area : m_areas)
        area.reset();
    m_areas.clear();
}

void CZelvanorDlg::ReturnBeneathCurrent(const std::vector<WindowRecord>& held, bool activate) {
    const std::vector<WindowRecord> onScreen = WorkingArea::WindowsToHideNow();
    WorkingArea::BringBack(onScreen, held, activate ? WorkingArea::LastIn(onScreen) : nullptr);
}

WorkingArea* CZelvanorDlg::AreaAtRow(int y) const {
    if (y < m_layout.titleHeight)
        return nullptr;
    const int index = m_layout.RowIndex(y);
    return index < static_cast<int>(m_areas.size()) ? m_areas[index].get() : nullptr;
}

void CZelvanorDlg::OnAddWorkingArea() {
    CommitRename(); // the rename belongs to the row it started on, not to what comes next
    AddDefaultWorkingArea();
    ResizeToList();
    m_menuArea = nullptr;
}

void CZelvanorDlg::OnDeleteWorkingArea() {
    if (!m_menuArea)
        return;
    CommitRename();
    if (m_areas.size() <= 1) {
        ShowMessage(L"Can't delete the last zelvanor.", nullptr, MB_OK);
        return;
    }
    WorkingArea* target = m_menuArea;
    if (target == m_currentArea)
        m_currentArea = nullptr;
    if (target == m_hoverArea)
        m_hoverArea = nullptr;
    const BOOL wasCurrent = target->m_selected;
    // What another area hid comes back beneath what is on screen, which stays as it is. The
    // current area holds nothing: its windows are on screen, and go to the first area.
    if (!wasCurrent)
        ReturnBeneathCurrent(target->TakeHeld(), false);
    RemoveWorkingArea(target->m_number);
    if (wasCurrent && !m_areas.empty()) {
        WorkingArea* first = m_areas.front().get();
        first->m_selected = TRUE;
        first->ShowWindows();
        m_currentArea = first;
    }
    HoldWhatIsNotCurrent();
    ResizeToList();
    m_menuArea = nullptr;
    InvalidateRect(nullptr, TRUE);
    m_keeper.Requests().WaitAnswered(kSwitchWaitMs);
}

void CZelvanorDlg::OnRenameWorkingArea() {
    if (!m_menuArea)
        return;
    m_menuArea->m_editing = TRUE;
    const RECT& row = m_menuArea->m_rect;
    m_renameEdit.MoveWindow(row.left, row.top, row.right - row.left, row.bottom - row.top, TRUE);
    m_renameEdit.SetWindowText(m_menuArea->GetName());
    m_rowTips.Enable(false); // the tip must not cover the box
    m_renameEdit.ShowWindow(SW_SHOW);
}

void CZelvanorDlg::OnRenameKillFocus() {
    CommitRename();
}

void CZelvanorDlg::CommitRename() {
    // The box's own visibility: while the bar is hidden the box counts as invisible to
    // IsWindowVisible, and a forced commit from the tray must still happen.
    if (!m_menuArea || !(m_renameEdit.GetStyle() & WS_VISIBLE))
        return;
    CString text;
    m_renameEdit.GetWindowText(text);
    m_menuArea->m_name = text;
    m_renameEdit.ShowWindow(SW_HIDE);
    m_menuArea->m_editing = FALSE;
    m_rowTips.Enable(!m_menuOpen);
}

void CZelvanorDlg::OnLButtonDown(UINT nFlags, CPoint point) {
    if (m_menuArea && m_menuArea->m_editing) {
        CommitRename(); // the click only ends the rename
        return;
    }
    if (point.y < m_layout.titleHeight) {
        PressTitleStrip(point);
        return;
    }
    WorkingArea* target = AreaAtRow(point.y);
    if (target && target != m_currentArea)
        SwitchTo(target);
    CDiyDialogEx::OnLButtonDown(nFlags, point);
}

void CZelvanorDlg::SwitchTo(WorkingArea* target) {
    m_keeper.EnsureWatcher(); // a watcher that died or never started gets another chance here
    {
        CClientDC dc(this);
        ScopedSelect font(dc, RowFont());
        m_currentArea->RecordAndHide();
        m_currentArea->SetSelected(&dc, FALSE);
        m_currentArea = target;
        m_currentArea->SetSelected(&dc, TRUE);
        m_currentArea->ShowWindows();
    }
    HoldWhatIsNotCurrent();
    // The next snapshot must see every window as this switch left it. A program that does not
    // answer in time keeps the bar waiting no longer: its windows count as what they were asked
    // to be until it does.
    m_keeper.Requests().WaitAnswered(kSwitchWaitMs);
    // An area that brought back no window of its own leaves the keyboard where it was, unless
    // that window is hidden now: typing would go where no one can see.
    if (const HWND keyboard = ::GetForegroundWindow();
        keyboard && !::IsWindowVisible(keyboard) && IsWindowVisible())
        SetForegroundWindow();
}

void CZelvanorDlg::OnRButtonDown(UINT nFlags, CPoint point) {
    if (point.y < m_layout.titleHeight)
        return;
    CommitRename(); // before the click retargets the menu
    CMenu menu;
    menu.LoadMenu(IDR_BAR_MENU);
    HMENU popup = menu.GetSubMenu(0);
    if (WorkingArea* area = AreaAtRow(point.y))
        m_menuArea = area;
    CPoint screen = point;
    ClientToScreen(&screen);
    if (popup)
        ::TrackPopupMenu(popup, TPM_RIGHTBUTTON, screen.x, screen.y, 0, m_hWnd, nullptr);
    CDiyDialogEx::OnRButtonDown(nFlags, point);
}
