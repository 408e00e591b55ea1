#include "areas/WorkingArea.h"
#include "areas/WindowTool.h"
#include "res/resource.h"
#include <cwchar>
#include <utility>

namespace {

// The desktop, the taskbar, top-level toolbars and this program's own dialogs (the bar among
// them) stay on screen whichever working area is current.
bool StaysVisible(const WindowRecord& record) {
    const wchar_t* cls = record.className;
    if (::wcscmp(cls, L"Progman") == 0 || ::wcscmp(cls, L"ToolbarWindow32") == 0 ||
        ::wcscmp(cls, L"Shell_TrayWnd") == 0) {
        return true;
    }
    // Under Wine without its virtual desktop the notification area is a window of its own, not
    // part of "Shell_TrayWnd". It is the way back to a hidden bar, so it stays like the taskbar.
    if (::wcscmp(cls, L"__winex11_standalone_tray") == 0) {
        return true;
    }
    if (::wcscmp(cls, L"#32770") == 0) {
        const wchar_t* hit = ::wcsstr(record.modulePath, L"Zelvanor.exe");
        return hit != nullptr && hit > record.modulePath;
    }
    return false;
}

// ShowWindow on another thread's window waits until that thread answers, and a hung
// application would freeze the bar with it; the asynchronous call only queues the request.
void ShowOrHide(HWND hwnd, DWORD threadId, int command) {
    if (threadId == ::GetCurrentThreadId()) {
        ::ShowWindow(hwnd, command);
    } else {
        ::ShowWindowAsync(hwnd, command);
    }
}

} // namespace

WorkingArea::WorkingArea(int number)
    : m_number(number), m_hover(FALSE), m_selected(FALSE), m_editing(FALSE), m_rect{} {}

WorkingArea::~WorkingArea() {
    ShowWindows();
}

void WorkingArea::RecordAndHide() {
    m_windows.clear();
    WindowTool tool;
    ::EnumWindows(WindowTool::EnumWindowsProc, reinterpret_cast<LPARAM>(&tool));
    m_windows = std::move(tool.m_windows);
    for (const WindowRecord& record : m_windows) {
        if (record.visible && !StaysVisible(record)) {
            ShowOrHide(record.hwnd, record.threadId, SW_HIDE);
        }
    }
}

void WorkingArea::ShowWindows() {
    for (const WindowRecord& record : m_windows) {
        if (!record.visible) {
            continue;
        }
        // A closed window's handle can be handed to a new window of any program; only the
        // process and thread that owned it when it was recorded make it the same window.
        DWORD processId = 0;
        const DWORD threadId = ::GetWindowThreadProcessId(record.hwnd, &processId);
        if (threadId == 0 || threadId != record.threadId || processId != record.processId) {
            continue;
        }
        ShowOrHide(record.hwnd, threadId, SW_SHOW);
    }
}

CString WorkingArea::GetName() const {
    return m_name;
}

void WorkingArea::Draw(CDC* pDC, CRect rc) {
    m_rect = rc;
    DrawRow(pDC);
}

void WorkingArea::Redraw(CDC* pDC) {
    DrawRow(pDC);
}

void WorkingArea::SetSelected(CDC* pDC, BOOL selected) {
    m_selected = selected;
    DrawRow(pDC);
}

void WorkingArea::DrawBackground(CDC* pDC, CRect rc) {
    pDC->SetTextColor(m_hover ? RGB(191, 0, 0) : RGB(91, 91, 91));
    // Loaded on every draw, so that a resource library in use supplies it.
    ResourceBitmap row(pDC, m_selected ? IDB_AREA_ROW_SELECTED : IDB_AREA_ROW);
    row.Stretch(rc);
}

void WorkingArea::DrawRow(CDC* pDC) {
    const CRect rc(m_rect);
    DrawBackground(pDC, rc);
    // Centred vertically by hand: DrawText centres vertically only on a single line.
    const CSize extent = pDC->GetTextExtent(m_name);
    CRect text(rc);
    text.top += (rc.bottom - rc.top - extent.cy) / 2;
    pDC->SetBkMode(TRANSPARENT);
    pDC->DrawText(m_name, &text, DT_CENTER);
}
