#pragma once
#include "CCmdTarget.h"
#include "CPoint.h"
#include "CRect.h"
#include "CString.h"

class CDC;
class CMenu;

// A window object: a C++ object bound to an HWND whose messages it receives through the
// framework's window procedure once it subclasses the window.
class CWnd : public CCmdTarget {
    DECLARE_DYNAMIC(CWnd)
public:
    CWnd() = default;
    ~CWnd() override;

    HWND m_hWnd = nullptr;

    operator HWND() const { return m_hWnd; }

    // Binds the object to a window that it borrows (a dialog or the system owns the window):
    // PreSubclassWindow, then the framework's window procedure replaces the current one.
    BOOL SubclassWindow(HWND hWnd);
    HWND UnsubclassWindow();
    static CWnd* FromHandlePermanent(HWND hWnd);

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual void PreSubclassWindow();
    virtual void PostNcDestroy();

    // Default processing of the message being dispatched to this window.
    LRESULT Default();

    // Operations.
    BOOL ShowWindow(int cmdShow);
    BOOL IsWindowVisible() const;
    BOOL IsIconic() const;
    BOOL IsZoomed() const;
    DWORD GetStyle() const;
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
    void GetClientRect(LPRECT rect) const;
    void GetWindowRect(LPRECT rect) const;
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
    static const CWnd wndTopMost;
    void CenterWindow(CWnd* alternateOwner = nullptr);
    void Invalidate(BOOL erase = TRUE);
    void InvalidateRect(LPCRECT rect, BOOL erase = TRUE);
    void UpdateWindow();
    BOOL SetForegroundWindow();
    void ClientToScreen(LPPOINT point) const;
    void SetWindowText(LPCWSTR text);
    void GetWindowText(CString& text) const;
    HFONT GetFont() const;
    void SetFont(HFONT font, BOOL redraw = TRUE);
    HMENU GetMenu() const;
    HMENU GetSystemMenu(BOOL revert) const;
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL IsWindow() const;
    // A null caption means the application's name.
    int MessageBox(LPCWSTR text, LPCWSTR caption = nullptr, UINT type = MB_OK);

    // Default handlers: each does default processing, so that an override can call the base.
    afx_msg void OnPaint();
    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnMouseLeave();
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnMove(int x, int y);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnInitMenu(CMenu* pMenu);
    afx_msg void OnActivateApp(BOOL bActive, DWORD dwThreadID);
    afx_msg void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    // Reflects a control's WM_DRAWITEM to the control's own object, else default processing.
    afx_msg void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    afx_msg BOOL OnNcActivate(BOOL bActive);
    afx_msg BOOL OnQueryEndSession();
    afx_msg void OnEndSession(BOOL bEnding);
    afx_msg void OnDestroy();

    // Used by ON_WM_CTLCOLOR: wraps the DC and the control for the duration of one call.
    static LRESULT DispatchCtlColor(CCmdTarget* target, UINT message, WPARAM wParam, LPARAM lParam,
                                    HBRUSH (*call)(CCmdTarget*, CDC*, CWnd*, UINT));
    // The framework's window procedure.
    static LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

protected:
    MSG m_currentMsg = {}; // the message being dispatched to this window, for Default()

private:
    struct MarkerTag {};
    CWnd(MarkerTag, HWND marker) : m_hWnd(marker) {}
    BOOL BindHandle(HWND hWnd);
    HWND UnbindHandle();

    WNDPROC m_pfnSuper = nullptr; // the procedure this object replaced
    bool m_bInMap = false;
};

// Message-map entries of window messages; handler signatures as in CWnd.
#define AFX_WM_ENTRY(message, body)                                                                \
    {message,                                                                                      \
     message,                                                                                      \
     nullptr,                                                                                      \
     0,                                                                                            \
     0,                                                                                            \
     0,                                                                                            \
     [](CCmdTarget* afxTarget, UINT, [[maybe_unused]] WPARAM afxW,                                 \
        [[maybe_unused]] LPARAM afxL) -> LRESULT { body }},
#define AFX_THIS static_cast<ThisClass*>(afxTarget)

#define ON_WM_PAINT() AFX_WM_ENTRY(WM_PAINT, AFX_THIS->OnPaint(); return 0;)
#define ON_WM_SYSCOMMAND()                                                                         \
    AFX_WM_ENTRY(WM_SYSCOMMAND, AFX_THIS->OnSysCommand(static_cast<UINT>(afxW), afxL); return 0;)
#define ON_WM_QUERYDRAGICON()                                                                      \
    AFX_WM_ENTRY(WM_QUERYDRAGICON, return reinterpret_cast<LRESULT>(AFX_THIS->OnQueryDragIcon());)
#define AFX_WM_MOUSE(message, fn)                                                                  \
    AFX_WM_ENTRY(message, AFX_THIS->fn(static_cast<UINT>(afxW), CPoint(afxL)); return 0;)
#define ON_WM_MOUSEMOVE() AFX_WM_MOUSE(WM_MOUSEMOVE, OnMouseMove)
#define ON_WM_MOUSEHOVER() AFX_WM_MOUSE(WM_MOUSEHOVER, OnMouseHover)
#define ON_WM_LBUTTONDOWN() AFX_WM_MOUSE(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() AFX_WM_MOUSE(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_RBUTTONDOWN() AFX_WM_MOUSE(WM_RBUTTONDOWN, OnRButtonDown)
#define ON_WM_MOUSELEAVE() AFX_WM_ENTRY(WM_MOUSELEAVE, AFX_THIS->OnMouseLeave(); return 0;)
#define ON_WM_MOVE()                                                                               \
    AFX_WM_ENTRY(WM_MOVE, AFX_THIS->OnMove(static_cast<short>(LOWORD(afxL)),                       \
                                           static_cast<short>(HIWORD(afxL)));                      \
                 return 0;)
#define ON_WM_CTLCOLOR()                                                                           \
    {WM_CTLCOLORMSGBOX,                                                                            \
     WM_CTLCOLORSTATIC,                                                                            \
     nullptr,                                                                                      \
     0,                                                                                            \
     0,                                                                                            \
     0,                                                                                            \
     [](CCmdTarget* afxTarget, UINT afxMsg, WPARAM afxW, LPARAM afxL) -> LRESULT {                 \
         return CWnd::DispatchCtlColor(                                                            \
             afxTarget, afxMsg, afxW, afxL,                                                        \
             [](CCmdTarget* afxTarget2, CDC* afxDC, CWnd* afxWnd, UINT afxType) -> HBRUSH {        \
                 return static_cast<ThisClass*>(afxTarget2)->OnCtlColor(afxDC, afxWnd, afxType);   \
             });                                                                                   \
     }},
#define ON_WM_INITMENU()                                                                           \
    AFX_WM_ENTRY(WM_INITMENU, CMenu afxMenu; afxMenu.Borrow(reinterpret_cast<HMENU>(afxW));        \
                 AFX_THIS->OnInitMenu(&afxMenu); return 0;)
#define ON_WM_ACTIVATEAPP()                                                                        \
    AFX_WM_ENTRY(WM_ACTIVATEAPP,                                                                   \
                 AFX_THIS->OnActivateApp(static_cast<BOOL>(afxW), static_cast<DWORD>(afxL));       \
                 return 0;)
#define ON_WM_MEASUREITEM()                                                                        \
    AFX_WM_ENTRY(WM_MEASUREITEM,                                                                   \
                 AFX_THIS->OnMeasureItem(static_cast<int>(afxW),                                   \
                                         reinterpret_cast<LPMEASUREITEMSTRUCT>(afxL));             \
                 return TRUE;)
#define ON_WM_DRAWITEM()                                                                           \
    AFX_WM_ENTRY(WM_DRAWITEM, AFX_THIS->OnDrawItem(static_cast<int>(afxW),                         \
                                                   reinterpret_cast<LPDRAWITEMSTRUCT>(afxL));      \
                 return TRUE;)
#define ON_WM_QUERYENDSESSION()                                                                    \
    AFX_WM_ENTRY(WM_QUERYENDSESSION, return AFX_THIS->OnQueryEndSession();)
#define ON_WM_ENDSESSION()                                                                         \
    AFX_WM_ENTRY(WM_ENDSESSION, AFX_THIS->OnEndSession(static_cast<BOOL>(afxW)); return 0;)
#define ON_WM_DESTROY() AFX_WM_ENTRY(WM_DESTROY, AFX_THIS->OnDestroy(); return 0;)
