#include "areas/WorkingArea.h"
#include "areas/ShellSurfaces.h"
#include "areas/WindowKeeper.h"
#include "areas/WindowTool.h"
#include "res/resource.h"
#include <algorithm>
#include <cwchar>
#include <iterator>
#include <utility>
#include <vector>

namespace {

bool IsClass(const WindowRecord& record, const wchar_t* name) {
    return ::wcscmp(record.className, name) == 0;
}

// A dialog of another process: whether it is one of this program's decides on its path alone;
// and a window of a class the shell's other programs show, on theirs.
bool NeedsModulePath(const WindowRecord& record) {
    return record.visible && record.processId != ::GetCurrentProcessId() &&
           (IsClass(record, L"#32770") || ShellSurfaces::NeedsModulePath(record));
}

// The process of the shell's desktop window or of a taskbar: the shell itself.
// Asked for every visible window of a snapshot, and again as the list is made: found once for
// them all (each answer is a call across processes), again when the shell's desktop window
// changes (the shell restarted) or half a second has passed.
bool IsShellProcess(DWORD processId) {
    struct Found {
        HWND desktop = nullptr;
        DWORD at = 0;
        std::vector<DWORD> processes;
    };
    thread_local Found found;
    const HWND desktop = ::GetShellWindow();
    if (desktop != found.desktop || ::GetTickCount() - found.at > 500 || !found.at) {
        found.desktop = desktop;
        found.at = ::GetTickCount() | 1;
        found.processes.clear();
        DWORD shell = 0;
        if (desktop && ::GetWindowThreadProcessId(desktop, &shell)) {
            found.processes.push_back(shell);
        }
        for (HWND bar = ::FindWindowExW(nullptr, nullptr, L"Shell_TrayWnd", nullptr); bar;
             bar = ::FindWindowExW(nullptr, bar, L"Shell_TrayWnd", nullptr)) {
            if (::GetWindowThreadProcessId(bar, &shell)) {
                found.processes.push_back(shell);
            }
        }
    }
    return std::find(found.processes.begin(), found.processes.end(), processId) !=
           found.processes.end();
}

// The desktop, the taskbars, the shell's other surfaces, top-level toolbars and this program's
// own windows (the bar among them) stay on screen whichever working area is current.
bool IsShellOrOwn(const WindowRecord& record) {
    // Whatever the executable is called ("Zelvanor (1).exe" after a download, say), the
    // program never hides itself.
    if (record.processId == ::GetCurrentProcessId()) {
        return true;
    }
    // The taskbars of the other displays, and the desktop's icons, which often live in a
    // visible WorkerW rather than in Progman.
    if (IsClass(record, L"Progman") || IsClass(record, L"ToolbarWindow32") ||
        IsClass(record, L"Shell_TrayWnd") || IsClass(record, L"Shell_SecondaryTrayWnd") ||
        IsClass(record, L"WorkerW")) {
        return true;
    }
    // Whatever else the shell's process shows is its own too, except what a user opens from it
    // (folder windows, dialogs): those are ordinary windows of the area they were opened in.
    if (!ShellSurfaces::IsOpenedByUser(record) && IsShellProcess(record.processId)) {
        return true;
    }
    // Start, Search, notifications and the input panels: the shell's, in programs of their own.
    if (ShellSurfaces::IsHostedSurface(record)) {
        return true;
    }
    // Under Wine without its virtual desktop the notification area is a window of its own, not
    // part of "Shell_TrayWnd". It is the way back to a hidden bar, so it stays like the taskbar.
    if (IsClass(record, L"__winex11_standalone_tray")) {
        return true;
    }
    // Dialogs of another copy of the program (the same executable name in another folder).
    if (IsClass(record, L"#32770")) {
        const wchar_t* hit = ::wcsstr(record.modulePath, L"Zelvanor.exe");
        return hit != nullptr && hit > record.modulePath;
    }
    return false;
}

bool StaysVisible(const WindowRecord& record) {
    if (IsShellOrOwn(record)) {
        return true;
    }
    WindowKeeper* keeper = WindowKeeper::Current();
    return keeper && keeper->IsPinned(record);
}

bool SameWindow(const WindowRecord& a, const WindowRecord& b) {
    return a.hwnd == b.hwnd && a.processId == b.processId && a.threadId == b.threadId;
}

// A window this area hid that still exists: a closed window's handle may have been reused by
// another program.
bool IsHeld(const WindowRecord& record) {
    return WorkingArea::HidesWhenLeft(record) &&
           WindowTool::IsSameWindow(record.hwnd, record.processId, record.threadId);
}

// ShowWindow on another thread's window waits until that thread answers, and a hung
// application would freeze the bar with it; the asynchronous call only queues the request,
// and the keeper notes it until the thread has acted on it. False when the request could not
// even be made.
bool ShowOrHide(const WindowRecord& record, int command) {
    if (record.threadId == ::GetCurrentThreadId()) {
        ::ShowWindow(record.hwnd, command);
        return true;
    }
    if (WindowKeeper* keeper = WindowKeeper::Current()) {
        return keeper->Requests().Ask(record, command);
    }
    return ::ShowWindowAsync(record.hwnd, command) != FALSE;
}

// The row bitmaps are far larger than a row: stretched once per row size, not on every paint.
ScaledBitmapCache& RowBitmaps() {
    static ScaledBitmapCache cache;
    return cache;
}

} // namespace

bool WorkingArea::HidesWhenLeft(const WindowRecord& record) {
    return record.visible && !StaysVisible(record);
}

bool WorkingArea::CanBeHidden(const WindowRecord& record) {
    return record.visible && !IsShellOrOwn(record);
}

WindowRecord WorkingArea::RecordWindow(HWND hwnd) {
    WindowTool tool;
    tool.AddWindow(hwnd);
    WindowRecord& record = tool.m_windows.front();
    if (NeedsModulePath(record)) {
        tool.LookUpModulePath(record);
    }
    return record;
}

void WorkingArea::Adopt(const WindowRecord& record) {
    m_windows.erase(
        std::remove_if(m_windows.begin(), m_windows.end(),
                       [&](const WindowRecord& held) { return SameWindow(held, record); }),
        m_windows.end());
    m_windows.insert(m_windows.begin(), record);
    m_windows.front().visible = TRUE;
    m_lastIn = m_windows.front();
}

void WorkingArea::Drop(const WindowRecord& record) {
    for (WindowRecord& held : m_windows) {
        if (SameWindow(held, record)) {
            held.visible = FALSE;
        }
    }
    if (SameWindow(m_lastIn, record)) {
        m_lastIn = WindowRecord{};
    }
}

WorkingArea::WorkingArea(int number)
    : m_number(number), m_hover(FALSE), m_selected(FALSE), m_editing(FALSE), m_rect{}, m_lastIn{} {}

WorkingArea::~WorkingArea() {
    Show(TakeHeld());
}

// A snapshot of every top-level window, with what each decision on it needs.
std::vector<WindowRecord> WorkingArea::TakeSnapshot() {
    // A request the window's thread has not acted on yet is what the window will show: without
    // this a window a moment late from the last switch would land in this area. The requests
    // are read before the windows: a thread acting in between leaves its window as asked,
    // whereas in the other order its window could be read before it acted and its request
    // found done after, and the old visibility would count.
    WindowKeeper* keeper = WindowKeeper::Current();
    const ShowRequests::Pending pending =
        keeper ? keeper->Requests().PendingNow() : ShowRequests::Pending();
    WindowTool tool;
    ::EnumWindows(WindowTool::EnumWindowsProc, reinterpret_cast<LPARAM>(&tool));
    for (WindowRecord& record : tool.m_windows) {
        bool asked = false;
        if (pending.Asked(record.hwnd, record.processId, record.threadId, &asked)) {
            if (asked && !record.visible) {
                WindowTool::LookUpClass(record);
            }
            record.visible = asked;
        }
        if (NeedsModulePath(record)) {
            tool.LookUpModulePath(record);
        }
    }
    return std::move(tool.m_windows);
}

std::vector<WindowRecord> WorkingArea::WindowsToHideNow() {
    std::vector<WindowRecord> windows = TakeSnapshot();
    windows.erase(std::remove_if(windows.begin(), windows.end(),
                                 [](const WindowRecord& record) { return !HidesWhenLeft(record); }),
                  windows.end());
    return windows;
}

void WorkingArea::RecordAndHide() {
    m_windows.clear();
    m_windows = TakeSnapshot();
    std::vector<WindowRecord> toHide;
    std::copy_if(m_windows.begin(), m_windows.end(), std::back_inserter(toHide), HidesWhenLeft);
    const WindowRecord* lastIn = LastIn(toHide);
    m_lastIn = lastIn ? *lastIn : WindowRecord{};
    // Listed first, all at once: a process killed right after a hide still leaves every hidden
    // window to the watcher and the record.
    WindowKeeper* keeper = WindowKeeper::Current();
    const size_t listed = keeper ? keeper->BeforeHide(toHide) : toHide.size();
    size_t asked = 0;
    for (WindowRecord& record : m_windows) {
        if (asked == listed) {
            break;
        }
        if (!HidesWhenLeft(record)) {
            continue;
        }
        ++asked;
        if (!ShowOrHide(record, SW_HIDE)) {
            // Still on screen (an elevated program's window, or one just closed): this area
            // does not hold it, and the area made current next finds it there.
            record.visible = FALSE;
            if (keeper) {
                keeper->HideFailed(record);
            }
        }
    }
}

void WorkingArea::ShowWindows() {
    const WindowRecord lastIn = m_lastIn;
    const std::vector<WindowRecord> held = TakeHeld();
    const bool stillHeld = std::any_of(held.begin(), held.end(), [&](const WindowRecord& record) {
        return SameWindow(record, lastIn);
    });
    BringBack({}, held, stillHeld ? &lastIn : nullptr);
}

void WorkingArea::ShowHeld() const {
    std::vector<WindowRecord> held;
    std::copy_if(m_windows.begin(), m_windows.end(), std::back_inserter(held), IsHeld);
    Show(held);
}

std::vector<WindowRecord> WorkingArea::TakeHeld() {
    std::vector<WindowRecord> held;
    std::copy_if(m_windows.begin(), m_windows.end(), std::back_inserter(held), IsHeld);
    m_windows.clear();
    m_lastIn = WindowRecord{};
    return held;
}

void WorkingArea::Show(const std::vector<WindowRecord>& records) {
    // Shown without the keyboard: each window activated in turn would end with the last one
    // shown, the bottom one, on top.
    const MonitorLanding landing = WindowKeeper::Landing();
    for (const WindowRecord& record : records) {
        landing.BeforeShow(record.hwnd);
        ShowOrHide(record, SW_SHOWNA);
    }
}

void WorkingArea::BringBack(const std::vector<WindowRecord>& above,
                            const std::vector<WindowRecord>& held, const WindowRecord* activate) {
    WindowKeeper* keeper = WindowKeeper::Current();
    if (!keeper) {
        Show(held);
        return;
    }
    // Each move onto a monitor that exists reaches its window's program ahead of the show.
    const MonitorLanding landing = WindowKeeper::Landing();
    for (const WindowRecord& record : held) {
        landing.BeforeShow(record.hwnd);
    }
    std::vector<ShowRequests::Placed> order;
    order.reserve(above.size() + held.size());
    for (const auto& [records, show] : {std::pair{&above, false}, std::pair{&held, true}}) {
        for (const WindowRecord& record : *records) {
            order.push_back(
                ShowRequests::Placed{record.hwnd, record.processId, record.threadId, show});
        }
    }
    keeper->Requests().Arrange(std::move(order), activate ? activate->hwnd : nullptr);
}

const WindowRecord* WorkingArea::LastIn(const std::vector<WindowRecord>& records) {
    const HWND foreground = ::GetForegroundWindow();
    for (const WindowRecord& record : records) {
        if (record.hwnd == foreground) {
            return &record;
        }
    }
    // Not the keyboard's now (the bar took it with the click): activation brings a window to the
    // top of its band, so the top one was the last the user was in. An owned palette or a
    // window that is always on top sits above it without having been active.
    const WindowRecord* fallback = nullptr;
    for (const WindowRecord& record : records) {
        if (::IsIconic(record.hwnd) || !::IsWindowEnabled(record.hwnd)) {
            continue;
        }
        const LONG_PTR style = ::GetWindowLongPtrW(record.hwnd, GWL_EXSTYLE);
        if (!(style & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE))) {
            return &record;
        }
        if (!fallback && !(style & WS_EX_NOACTIVATE)) {
            fallback = &record;
        }
    }
    return fallback;
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
    RowBitmaps().Stretch(pDC, m_selected ? IDB_AREA_ROW_SELECTED : IDB_AREA_ROW, rc);
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
