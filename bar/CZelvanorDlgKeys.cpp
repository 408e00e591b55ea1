// The bar beyond the mouse: global keys that switch areas and move or pin the foreground
// window, and the row tooltips that list what each area holds.
#include "areas/WindowFamily.h"
#include "areas/WindowTool.h"
#include "areas/WorkingArea.h"
#include "bar/BarLayout.h"
#include "bar/CZelvanorDlg.h"
#include <algorithm>

using namespace BarLayout;

namespace {

constexpr size_t kMostTitles = 15;

std::wstring TitleOf(HWND hwnd) {
    // Another program's title is read from the window system, without waiting on the program.
    wchar_t title[256] = L"";
    ::GetWindowTextW(hwnd, title, 256);
    return title;
}

} // namespace

LRESULT CZelvanorDlg::OnHotKey(WPARAM id, LPARAM) {
    GlobalKeys::Key key;
    if (!GlobalKeys::Decode(id, &key))
        return 0;
    // A key does what a click on the bar would do at this moment: nothing while the About box
    // keeps the bar disabled, close an open menu, or only commit a rename in progress.
    if (!::IsWindowEnabled(m_hWnd))
        return 0;
    if (m_menuOpen) {
        ::EndMenu();
        return 0;
    }
    if (m_menuArea && m_menuArea->m_editing) {
        CommitRename();
        return 0;
    }
    switch (key.action) {
    case GlobalKeys::kSwitch:
        if (WorkingArea* target = AreaOfKey(key.row); target && target != m_currentArea)
            SwitchTo(target);
        break;
    case GlobalKeys::kMove:
        MoveForegroundWindowTo(AreaOfKey(key.row));
        break;
    case GlobalKeys::kPin:
        TogglePinOfForegroundWindow();
        break;
    }
    return 0;
}

WorkingArea* CZelvanorDlg::AreaOfKey(int row) const {
    const int rows = static_cast<int>(m_areas.size());
    if (row >= 0)
        return row < rows ? m_areas[row].get() : nullptr;
    int current = 0;
    while (current < rows && m_areas[current].get() != m_currentArea)
        ++current;
    const int step = row == GlobalKeys::kPrevious ? rows - 1 : 1;
    return m_areas[(current + step) % rows].get();
}

std::vector<WindowRecord> CZelvanorDlg::ForegroundWindows() const {
    HWND hwnd = ::GetForegroundWindow();
    if (!hwnd || hwnd == ::GetDesktopWindow() || hwnd == ::GetShellWindow() ||
        ::GetAncestor(hwnd, GA_ROOT) != hwnd)
        return {};
    // One whose hide has failed is out of the program's reach, as the bar itself is: a key
    // neither moves nor pins it.
    std::vector<WindowRecord> family;
    const auto movable = [this](HWND window) {
        const WindowRecord record = WorkingArea::RecordWindow(window);
        return WorkingArea::CanBeHidden(record) && !m_keeper.CannotHide(record);
    };
    for (HWND member : WindowFamily::Of(hwnd, movable))
        family.push_back(WorkingArea::RecordWindow(member));
    return family;
}

void CZelvanorDlg::MoveForegroundWindowTo(WorkingArea* target) {
    if (!target || target == m_currentArea)
        return;
    std::vector<WindowRecord> family = ForegroundWindows();
    if (family.empty())
        return;
    m_keeper.EnsureWatcher();
    // Listed first, all at once, as a switch lists what it hides: those it could not list stay.
    family.resize(m_keeper.BeforeHide(family));
    for (const WindowRecord& record : family) {
        // Asynchronously, as a switch hides: a hung program must not freeze the bar. A window
        // that cannot be hidden stays where it is, as if the key had not been pressed.
        if (!m_keeper.Requests().Ask(record, SW_HIDE)) {
            m_keeper.HideFailed(record);
            continue;
        }
        m_keeper.SetPinned(record, false); // a moved window belongs to its new area alone
        for (const auto& area : m_areas)
            if (area.get() != target)
                area->Drop(record);
        target->Adopt(record);
    }
    HoldWhatIsNotCurrent();
}

void CZelvanorDlg::TogglePinOfForegroundWindow() {
    const std::vector<WindowRecord> family = ForegroundWindows();
    if (family.empty())
        return;
    // The family is pinned as one: unpinned once all of it is pinned, else pinned whole.
    const bool pinned = !std::all_of(family.begin(), family.end(), [this](const WindowRecord& r) {
        return m_keeper.IsPinned(r);
    });
    for (const WindowRecord& record : family)
        m_keeper.SetPinned(record, pinned);
    if (pinned)
        return;
    // While pinned, every area that was left recorded it as on screen. Unpinned, it belongs to
    // the area where the user let it go, not to all of those.
    for (const WindowRecord& record : family)
        for (const auto& area : m_areas)
            if (area.get() != m_currentArea)
                area->Drop(record);
    HoldWhatIsNotCurrent();
}

std::wstring CZelvanorDlg::RowTipText(int row) const {
    if (row < 0 || row >= static_cast<int>(m_areas.size()))
        return std::wstring();
    const WorkingArea* area = m_areas[row].get();
    // The current area holds what is on screen now; another, what it hid and still exists.
    std::vector<WindowRecord> held;
    if (area == m_currentArea) {
        held = WorkingArea::WindowsToHideNow();
    } else {
        for (const WindowRecord& record : area->m_windows)
            if (WorkingArea::HidesWhenLeft(record) &&
                WindowTool::IsSameWindow(record.hwnd, record.processId, record.threadId))
                held.push_back(record);
    }
    std::wstring text;
    size_t listed = 0;
    for (const WindowRecord& record : held) {
        const std::wstring title = TitleOf(record.hwnd);
        if (title.empty())
            continue;
        if (listed == kMostTitles) {
            text += L"\n…";
            break;
        }
        if (listed++)
            text += L'\n';
        text += title;
    }
    return text;
}

LRESULT CZelvanorDlg::OnNotify(WPARAM, LPARAM lParam) {
    m_rowTips.OnNotify(reinterpret_cast<NMHDR*>(lParam));
    return 0;
}

LRESULT CZelvanorDlg::OnEnterMenuLoop(WPARAM, LPARAM) {
    m_menuOpen = TRUE;
    m_rowTips.Enable(false);
    return Default();
}

LRESULT CZelvanorDlg::OnExitMenuLoop(WPARAM, LPARAM) {
    m_menuOpen = FALSE;
    m_rowTips.Enable(!(m_menuArea && m_menuArea->m_editing));
    return Default();
}

void CZelvanorDlg::OnDestroy() {
    m_keys.Unregister();
    m_rowTips.Destroy();
    CDiyDialogEx::OnDestroy();
}
