#include "CWnd.h"
#include <exception>
#include <unordered_map>
#include "Afx.h"
#include "CDC.h"
#include "CMenu.h"
#include "CWinApp.h"

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
ON_WM_DRAWITEM()
END_MESSAGE_MAP()

const CWnd CWnd::wndTopMost(CWnd::MarkerTag{}, HWND_TOPMOST);

namespace {
// Window objects of this thread by handle.
std::unordered_map<HWND, CWnd*>& PermanentMap() {
    thread_local std::unordered_map<HWND, CWnd*> map;
    return map;
}

AfxHandlerFaultFn g_handlerFault = nullptr;

WNDPROC CurrentProc(HWND hWnd) {
    return reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hWnd, GWLP_WNDPROC));
}
} // namespace

AfxHandlerFaultFn AfxSetHandlerFault(AfxHandlerFaultFn handler) {
    const AfxHandlerFaultFn previous = g_handlerFault;
    g_handlerFault = handler;
    return previous;
}

void AfxHandlerFault() {
    if (!g_handlerFault) {
        std::terminate();
    }
    g_handlerFault();
}

CWnd::~CWnd() {
    // The window belongs to a dialog or to the system; only our hold on it ends here.
    if (m_bInMap) {
        UnsubclassWindow();
    }
}

BOOL CWnd::BindHandle(HWND hWnd) {
    if (hWnd == nullptr || m_hWnd != nullptr) {
        return FALSE;
    }
    auto& map = PermanentMap();
    if (map.count(hWnd) != 0) {
        return FALSE;
    }
    map[hWnd] = this;
    m_hWnd = hWnd;
    m_bInMap = true;
    return TRUE;
}

HWND CWnd::UnbindHandle() {
    HWND hWnd = m_hWnd;
    if (m_bInMap) {
        auto& map = PermanentMap();
        auto it = map.find(hWnd);
        if (it != map.end() && it->second == this) {
            map.erase(it);
        }
        m_bInMap = false;
    }
    m_hWnd = nullptr;
    return hWnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (!BindHandle(hWnd)) {
        return FALSE;
    }
    PreSubclassWindow();
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::AfxWndProc)));
    if (m_pfnSuper == nullptr) {
        UnbindHandle();
        return FALSE;
    }
    return TRUE;
}

HWND CWnd::UnsubclassWindow() {
    // Put the old procedure back only while ours is still the window's procedure.
    if (m_pfnSuper != nullptr && m_hWnd != nullptr && ::IsWindow(m_hWnd) &&
        CurrentProc(m_hWnd) == &CWnd::AfxWndProc) {
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    }
    m_pfnSuper = nullptr;
    return UnbindHandle();
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    auto& map = PermanentMap();
    auto it = map.find(hWnd);
    return it == map.end() ? nullptr : it->second;
}

LRESULT CALLBACK CWnd::AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = FromHandlePermanent(hWnd);
    if (wnd == nullptr) {
        return ::DefWindowProcW(hWnd, message, wParam, lParam);
    }
    // Saved and restored, so that Default() after a nested message still means this one.
    MSG saved = wnd->m_currentMsg;
    wnd->m_currentMsg = MSG{hWnd, message, wParam, lParam, 0, {0, 0}};
    LRESULT result = 0;
    try {
        result = wnd->WindowProc(message, wParam, lParam);
    } catch (...) {
        AfxHandlerFault();
    }
    // A handler may have deleted or detached the object.
    if (FromHandlePermanent(hWnd) != wnd) {
        return result;
    }
    wnd->m_currentMsg = saved;
    if (message == WM_NCDESTROY) {
        wnd->UnsubclassWindow();
        wnd->PostNcDestroy();
    }
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) {
        result = DefWindowProc(message, wParam, lParam);
    }
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper != nullptr) {
        return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    }
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_COMMAND) {
        if (OnCommand(wParam, lParam)) {
            *pResult = 0;
            return TRUE;
        }
        return FALSE;
    }
    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(message);
    if (entry == nullptr) {
        return FALSE;
    }
    *pResult = entry->pfn(this, message, wParam, lParam);
    return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    UINT id = LOWORD(wParam);
    int code = HIWORD(wParam);
    // Accelerators (code 1) and menus come without a control: both are plain commands.
    if (lParam == 0) {
        code = 0;
    }
    return OnCmdMsg(id, code);
}

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) {
    return FALSE;
}

void CWnd::PreSubclassWindow() {}

void CWnd::PostNcDestroy() {}

LRESULT CWnd::Default() {
    return DefWindowProc(m_currentMsg.message, m_currentMsg.wParam, m_currentMsg.lParam);
}

LRESULT CWnd::DispatchCtlColor(CCmdTarget* target, UINT message, WPARAM wParam, LPARAM lParam,
                               HBRUSH (*call)(CCmdTarget*, CDC*, CWnd*, UINT)) {
    CDC dc;
    dc.Borrow(reinterpret_cast<HDC>(wParam));
    HWND control = reinterpret_cast<HWND>(lParam);
    CWnd* wnd = FromHandlePermanent(control);
    CWnd wrapper; // for a control without an object of its own; valid during the call only
    if (wnd == nullptr && control != nullptr) {
        wrapper.m_hWnd = control;
        wnd = &wrapper;
    }
    HBRUSH brush = call(target, &dc, wnd, message - WM_CTLCOLORMSGBOX);
    wrapper.m_hWnd = nullptr;
    return reinterpret_cast<LRESULT>(brush);
}

// Operations.

BOOL CWnd::ShowWindow(int cmdShow) {
    return ::ShowWindow(m_hWnd, cmdShow);
}
BOOL CWnd::IsWindowVisible() const {
    return ::IsWindowVisible(m_hWnd);
}
BOOL CWnd::IsIconic() const {
    return ::IsIconic(m_hWnd);
}
BOOL CWnd::IsZoomed() const {
    return ::IsZoomed(m_hWnd);
}
DWORD CWnd::GetStyle() const {
    return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags) {
    const DWORD style = GetStyle();
    const DWORD newStyle = (style & ~remove) | add;
    if (style == newStyle) {
        return FALSE;
    }
    ::SetWindowLongW(m_hWnd, GWL_STYLE, static_cast<LONG>(newStyle));
    if (swpFlags != 0) {
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
    }
    return TRUE;
}
void CWnd::GetClientRect(LPRECT rect) const {
    ::GetClientRect(m_hWnd, rect);
}
void CWnd::GetWindowRect(LPRECT rect) const {
    ::GetWindowRect(m_hWnd, rect);
}
void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) {
    ::MoveWindow(m_hWnd, x, y, width, height, repaint);
}
BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) {
    return ::SetWindowPos(m_hWnd, insertAfter ? insertAfter->m_hWnd : nullptr, x, y, cx, cy, flags);
}

// Centres on the alternate owner, else on the owner (the parent for a child), else on the work
// area of the window's monitor; the result stays inside that work area.
void CWnd::CenterWindow(CWnd* alternateOwner) {
    DWORD style = GetStyle();
    HWND center = alternateOwner
                      ? alternateOwner->m_hWnd
                      : ((style & WS_CHILD) ? ::GetParent(m_hWnd) : ::GetWindow(m_hWnd, GW_OWNER));
    RECT window;
    ::GetWindowRect(m_hWnd, &window);
    int width = window.right - window.left;
    int height = window.bottom - window.top;
    RECT area;
    RECT target;
    if (style & WS_CHILD) {
        HWND parent = ::GetParent(m_hWnd);
        ::GetClientRect(parent, &area);
        if (center != nullptr) {
            ::GetClientRect(center, &target);
            ::MapWindowPoints(center, parent, reinterpret_cast<POINT*>(&target), 2);
        } else {
            target = area;
        }
    } else {
        MONITORINFO info = {};
        info.cbSize = sizeof(info);
        HMONITOR monitor = ::MonitorFromWindow(
            center && ::IsWindowVisible(center) ? center : m_hWnd, MONITOR_DEFAULTTONEAREST);
        ::GetMonitorInfoW(monitor, &info);
        area = info.rcWork;
        if (center != nullptr && ::IsWindowVisible(center) && !::IsIconic(center)) {
            ::GetWindowRect(center, &target);
        } else {
            target = area;
        }
    }
    int x = (target.left + target.right) / 2 - width / 2;
    int y = (target.top + target.bottom) / 2 - height / 2;
    if (x + width > area.right) {
        x = area.right - width;
    }
    if (x < area.left) {
        x = area.left;
    }
    if (y + height > area.bottom) {
        y = area.bottom - height;
    }
    if (y < area.top) {
        y = area.top;
    }
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWnd::Invalidate(BOOL erase) {
    ::InvalidateRect(m_hWnd, nullptr, erase);
}
void CWnd::InvalidateRect(LPCRECT rect, BOOL erase) {
    ::InvalidateRect(m_hWnd, rect, erase);
}
void CWnd::UpdateWindow() {
    ::UpdateWindow(m_hWnd);
}
BOOL CWnd::SetForegroundWindow() {
    return ::SetForegroundWindow(m_hWnd);
}
void CWnd::ClientToScreen(LPPOINT point) const {
    ::ClientToScreen(m_hWnd, point);
}
void CWnd::SetWindowText(LPCWSTR text) {
    ::SetWindowTextW(m_hWnd, text);
}
void CWnd::GetWindowText(CString& text) const {
    int length = ::GetWindowTextLengthW(m_hWnd);
    wchar_t* buffer = text.GetBuffer(length + 1);
    int copied = ::GetWindowTextW(m_hWnd, buffer, length + 1);
    text.ReleaseBuffer(copied);
}
HFONT CWnd::GetFont() const {
    return reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
}
void CWnd::SetFont(HFONT font, BOOL redraw) {
    ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), MAKELPARAM(redraw, 0));
}
HMENU CWnd::GetMenu() const {
    return ::GetMenu(m_hWnd);
}
HMENU CWnd::GetSystemMenu(BOOL revert) const {
    return ::GetSystemMenu(m_hWnd, revert);
}
LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}
BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageW(m_hWnd, message, wParam, lParam);
}
BOOL CWnd::IsWindow() const {
    return m_hWnd != nullptr && ::IsWindow(m_hWnd);
}

int CWnd::MessageBox(LPCWSTR text, LPCWSTR caption, UINT type) {
    if (caption == nullptr) {
        CWinApp* app = AfxGetApp();
        caption = app ? app->m_pszAppName : nullptr;
    }
    return ::MessageBoxW(m_hWnd, text, caption, type);
}

// Default handlers.

void CWnd::OnPaint() {
    Default();
}
void CWnd::OnSysCommand(UINT, LPARAM) {
    Default();
}
HCURSOR CWnd::OnQueryDragIcon() {
    return reinterpret_cast<HCURSOR>(Default());
}
void CWnd::OnMouseMove(UINT, CPoint) {
    Default();
}
void CWnd::OnMouseLeave() {
    Default();
}
void CWnd::OnLButtonDown(UINT, CPoint) {
    Default();
}
void CWnd::OnLButtonUp(UINT, CPoint) {
    Default();
}
void CWnd::OnRButtonDown(UINT, CPoint) {
    Default();
}
void CWnd::OnMove(int, int) {
    Default();
}
HBRUSH CWnd::OnCtlColor(CDC*, CWnd*, UINT) {
    return reinterpret_cast<HBRUSH>(Default());
}
void CWnd::OnInitMenu(CMenu*) {
    Default();
}
void CWnd::OnActivateApp(BOOL, DWORD) {
    Default();
}
void CWnd::OnMeasureItem(int, LPMEASUREITEMSTRUCT) {
    Default();
}

void CWnd::OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct) {
    if (lpDrawItemStruct != nullptr && lpDrawItemStruct->CtlType != ODT_MENU) {
        CWnd* control = FromHandlePermanent(lpDrawItemStruct->hwndItem);
        LRESULT result = 0;
        if (control != nullptr &&
            control->OnChildNotify(WM_DRAWITEM, static_cast<WPARAM>(nIDCtl),
                                   reinterpret_cast<LPARAM>(lpDrawItemStruct), &result)) {
            return;
        }
    }
    Default();
}

// Called outside a WM_NCACTIVATE too (a derived dialog's own activation painting), so the
// message is rebuilt when it is not the current one.
BOOL CWnd::OnNcActivate(BOOL bActive) {
    if (m_currentMsg.message == WM_NCACTIVATE) {
        return static_cast<BOOL>(Default());
    }
    return static_cast<BOOL>(DefWindowProc(WM_NCACTIVATE, bActive, 0));
}
BOOL CWnd::OnQueryEndSession() {
    return static_cast<BOOL>(Default());
}
void CWnd::OnEndSession(BOOL) {
    Default();
}
void CWnd::OnDestroy() {
    Default();
}
