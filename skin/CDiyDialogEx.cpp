// Non-client message handling, caption buttons and the small services of the skinned dialog base.
// The menu bar lives in CDiyDialogExMenuBar.cpp, frame and caption painting in
// CDiyDialogExPaint.cpp.
#include "skin/CDiyDialogEx.h"
#include "CDwmHelper.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CDiyDialogEx, CDialogEx)

BEGIN_MESSAGE_MAP(CDiyDialogEx, CDialogEx)
ON_WM_CTLCOLOR()
ON_WM_INITMENU()
ON_WM_ACTIVATEAPP()
ON_WM_MEASUREITEM()
ON_WM_DRAWITEM()
ON_MESSAGE(WM_DPICHANGED, OnDpiChangedMessage)
END_MESSAGE_MAP()

namespace {

// The system asks a themed window to redraw its caption with this undocumented message; its
// answer would paint over the skin.
constexpr UINT WM_NCUAHDRAWCAPTION = 0x00AE;

// Caption buttons as numbered by m_nPressedButton.
constexpr int kNoButton = 0;
constexpr int kMinButton = 1;
constexpr int kMaxButton = 2;
constexpr int kCloseButton = 3;

constexpr DWORD kAnyCaptionButton = WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
// At 96 dpi; Px() scales them.
constexpr int kCloseOffset = 51; // close image's left edge, from the window's right edge
constexpr int kButtonStep = 26;  // width of a minimize or maximize slot
// The close zone starts one pixel right of the image and ends short of the frame.
constexpr int kCloseZoneLeft = 50;
constexpr int kCloseZoneRight = 7;
constexpr int kNormalFontHeight = 14;
constexpr int kCaptionFontHeight = 16;
constexpr int kLineGap = 5; // between measured lines, and below the last

int ButtonOfHit(UINT hit) {
    switch (hit) {
    case HTMINBUTTON:
        return kMinButton;
    case HTMAXBUTTON:
        return kMaxButton;
    case HTCLOSE:
        return kCloseButton;
    default:
        return kNoButton;
    }
}

// Pointer positions are signed: a window left of or above the primary monitor has negative ones.
int SignedX(LPARAM lParam) {
    return static_cast<short>(LOWORD(lParam));
}
int SignedY(LPARAM lParam) {
    return static_cast<short>(HIWORD(lParam));
}

} // namespace

CDiyDialogEx::CDiyDialogEx(UINT templateId, const CaptionBitmaps& captionBitmaps)
    : CDialogEx(templateId, nullptr), m_captionBitmaps(captionBitmaps),
      m_clrBorder(RGB(38, 179, 232)), m_clrFrame(RGB(240, 240, 240)),
      m_clrMenuBar(RGB(255, 255, 255)), m_clrCaptionActive(RGB(38, 179, 232)),
      m_clrCaptionInactive(RGB(132, 211, 242)), m_clrListBox(RGB(255, 250, 240)),
      m_hbrWhite(RGB(255, 255, 255)), m_hbrListBox(m_clrListBox), m_dwStyle(0), m_bAppActive(TRUE),
      m_nPressedButton(0), m_cxCaptionCache(0), m_cyCaptionCache(0), m_cxMenuBarCache(0),
      m_cyMenuBarCache(0), m_dpi(0) {
    SetDpi(kBaseDpi);
}

void CDiyDialogEx::SetDpi(int dpi) {
    if (dpi == m_dpi)
        return;
    m_dpi = dpi;
    m_fontNormal.CreateFont(Px(kNormalFontHeight), 0, 0, 0, FW_THIN, 0, 0, 0, ANSI_CHARSET, 0, 0, 0,
                            0, L"Microsoft Sans Serif");
    m_fontCaption.CreateFont(Px(kCaptionFontHeight), 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0,
                             0, 0, L"Microsoft Sans Serif");
    m_bitmaps.Clear();
    m_bmpCaption.DeleteObject();
    m_cxCaptionCache = 0;
    m_bmpMenuBar.DeleteObject();
    m_cxMenuBarCache = 0;
}

LRESULT CDiyDialogEx::OnDpiChangedMessage(WPARAM wParam, LPARAM lParam) {
    SetDpi(LOWORD(wParam));
    RECT place{};
    if (const RECT* suggested = reinterpret_cast<const RECT*>(lParam))
        place = *suggested;
    else
        GetWindowRect(&place);
    OnDpiChanged(place);
    ::RedrawWindow(m_hWnd, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return 0;
}

void CDiyDialogEx::OnDpiChanged(const RECT& suggested) {
    SetWindowPos(nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// Brushes, fonts and cached images are owned by their members and go with them.
CDiyDialogEx::~CDiyDialogEx() = default;

BOOL CDiyDialogEx::OnInitDialog() {
    CDialog::OnInitDialog();
    // Every skin decision reads this copy: the live style is toggled during default processing.
    m_dwStyle = GetStyle();
    SetDpi(DpiOfWindow(m_hWnd));
    return TRUE;
}

void CDiyDialogEx::PreSubclassWindow() {
    CDialogEx::PreSubclassWindow();
    CDwmHelper::DisableNonClientRendering(m_hWnd);
}

CSize CDiyDialogEx::FrameThickness() const {
    if (m_dwStyle & WS_THICKFRAME)
        return CSize(Metric(SM_CXFRAME), Metric(SM_CYFRAME));
    if (m_dwStyle & WS_DLGFRAME)
        return CSize(Metric(SM_CXDLGFRAME), Metric(SM_CXDLGFRAME));
    // The lowest style bit (DS_ABSALIGN to a dialog) asks for no frame: the skin draws none.
    const int thin = (m_dwStyle & DS_ABSALIGN) ? 0 : 1;
    return CSize(thin, thin);
}

int CDiyDialogEx::WindowWidth() const {
    CRect rect;
    GetWindowRect(&rect);
    return rect.Width();
}

LRESULT CDiyDialogEx::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!::IsWindow(m_hWnd) || (m_dwStyle & (WS_BORDER | WS_DLGFRAME)) == 0)
        return CDialogEx::DefWindowProc(message, wParam, lParam);

    CWindowDC dc(this);
    if (dc.GetSafeHdc() == nullptr)
        return 0;

    const int x = SignedX(lParam);
    const int y = SignedY(lParam);
    auto ncHit = [&] {
        return static_cast<UINT>(CDialogEx::DefWindowProc(WM_NCHITTEST, wParam, lParam));
    };
    // One button in the given state, the others normal.
    auto drawButton = [&](int button, ButtonState state) {
        DrawCaptionButtons(&dc, button == kCloseButton ? state : kNormal,
                           button == kMaxButton ? state : kNormal,
                           button == kMinButton ? state : kNormal);
    };

    switch (message) {
    case WM_NCHITTEST: {
        const UINT hit = HitTestCaption(ncHit(), x, y);
        const int button = ButtonOfHit(hit);
        if (button == kNoButton) {
            DrawCaptionButtons(&dc, kNormal, kNormal, kNormal);
            return hit;
        }
        if (m_nPressedButton == kNoButton)
            drawButton(button, kHover);
        else if (m_nPressedButton == button)
            drawButton(button, kPressed);
        // Our buttons are client area to the system, so presses reach WM_LBUTTONDOWN.
        return HTCLIENT;
    }
    case WM_LBUTTONDOWN: {
        const UINT h = ncHit();
        if (y >= 0)
            return h;
        CPoint pt(x, y);
        ClientToScreen(&pt);
        const int button = ButtonOfHit(HitTestCaption(h, pt.x, pt.y));
        if (button != kNoButton)
            drawButton(button, kPressed);
        m_nPressedButton = button;
        return h;
    }
    case WM_LBUTTONUP: {
        const UINT h = ncHit();
        if (y >= 0) {
            m_nPressedButton = kNoButton;
            return h;
        }
        CPoint pt(x, y);
        ClientToScreen(&pt);
        const int button = ButtonOfHit(HitTestCaption(h, pt.x, pt.y));
        const int pressed = m_nPressedButton;
        // Cleared before the action: the close action may end the dialog.
        m_nPressedButton = kNoButton;
        if (button != kNoButton && button == pressed) {
            if (button == kMinButton)
                ShowWindow(SW_SHOWMINIMIZED);
            else if (button == kMaxButton)
                ShowWindow(IsZoomed() ? SW_SHOWNORMAL : SW_SHOWMAXIMIZED);
            else
                OnCaptionClose();
        }
        return h;
    }
    case WM_NCLBUTTONUP: {
        const LRESULT result = CDialogEx::DefWindowProc(message, wParam, lParam);
        m_nPressedButton = kNoButton;
        return result;
    }
    case WM_SETCURSOR:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK: {
        const UINT h = ncHit();
        if (h == HTSYSMENU)
            return CDialogEx::DefWindowProc(message, wParam, lParam);
        if (message == WM_NCLBUTTONDOWN) {
            const int button = ButtonOfHit(HitTestCaption(h, x, y));
            if (button != kNoButton)
                drawButton(button, kPressed);
        }
        // Without WS_SYSMENU the system draws no caption buttons of its own over ours.
        ModifyStyle(WS_SYSMENU, 0);
        const LRESULT result = CDialogEx::DefWindowProc(message, wParam, lParam);
        ModifyStyle(0, WS_SYSMENU);
        return result;
    }
    case WM_NCPAINT:
        PaintNonClient(&dc);
        return 0;
    case WM_NCACTIVATE:
        DrawFrame(&dc, m_clrFrame);
        DrawCaption(&dc, m_clrCaptionInactive, m_clrCaptionActive);
        return TRUE;
    case WM_NCUAHDRAWCAPTION:
    case WM_NCMOUSELEAVE:
        return 0;
    default:
        return CDialogEx::DefWindowProc(message, wParam, lParam);
    }
}

UINT CDiyDialogEx::HitTestCaption(UINT defaultHit, int x, int y) {
    CRect rect;
    GetWindowRect(&rect);
    const int fy = FrameThickness().cy;
    if (y < rect.top || y > rect.top + fy + Metric(SM_CYSIZE) - 1)
        return defaultHit;
    const int step = Px(kButtonStep);
    int edge = rect.right - Px(kCloseZoneLeft);
    if (m_dwStyle & kAnyCaptionButton) {
        if (edge < x && x < rect.right - Px(kCloseZoneRight))
            return HTCLOSE;
        edge -= step;
    }
    if (m_dwStyle & WS_MAXIMIZEBOX) {
        if (edge < x && x < edge + step)
            return HTMAXBUTTON;
        edge -= step;
    }
    if (m_dwStyle & WS_MINIMIZEBOX) {
        if (edge < x && x < edge + step)
            return HTMINBUTTON;
    }
    // The system's own button zones are plain caption under the skin.
    if (ButtonOfHit(defaultHit) != kNoButton)
        return HTCAPTION;
    return defaultHit;
}

void CDiyDialogEx::DrawCaptionButtons(CDC* dc, int closeState, int maxState, int minState) {
    const CaptionBitmaps& ids = m_captionBitmaps;
    // A state outside the three draws nothing for that button.
    auto valid = [](int state) { return state >= kNormal && state < kButtonStates; };

    const int step = Px(kButtonStep);
    int x = WindowWidth() - Px(kCloseOffset);
    if (m_dwStyle & kAnyCaptionButton) {
        if (valid(closeState))
            DrawBitmap(dc, ids.close[closeState], x, 0);
        x -= step;
    }
    if (m_dwStyle & WS_MAXIMIZEBOX) {
        const UINT* images = IsZoomed() ? ids.restore : ids.maximize;
        if (valid(maxState))
            DrawBitmap(dc, images[maxState], x, 0);
        x -= step;
    }
    if ((m_dwStyle & WS_MINIMIZEBOX) && valid(minState))
        DrawBitmap(dc, ids.minimize[minState], x, 0);
}

void CDiyDialogEx::DrawBitmap(CDC* dc, UINT bitmapId, int x, int y) {
    m_bitmaps.Draw(dc, bitmapId, x, y, m_dpi);
}

HICON CDiyDialogEx::GetSmallIcon() {
    return reinterpret_cast<HICON>(SendMessage(WM_GETICON, ICON_SMALL, 0));
}

CSize CDiyDialogEx::MeasureText(CString text) {
    CClientDC dc(this);
    ScopedSelect font(dc, GetFont());
    int widest = 0;
    int total = 0;
    int pos = text.Find(L"\n");
    while (pos > 0) {
        // The character before the newline is the carriage return of the pair.
        const CSize line = dc.GetTextExtent(text.Left(pos - 1));
        widest = std::max(widest, static_cast<int>(line.cx));
        total += line.cy + Px(kLineGap);
        text = text.Mid(pos + 1);
        pos = text.Find(L"\n");
    }
    const CSize last = dc.GetTextExtent(text);
    return CSize(std::max(widest, static_cast<int>(last.cx)), last.cy + total + Px(kLineGap));
}

void CDiyDialogEx::EraseBackground(CDC* dc, CRect rect) {
    PaintBackground(dc, rect);
}

void CDiyDialogEx::PaintNonClient(CDC* dc) {
    if (HMENU menu = GetMenu()) {
        CMenu windowMenu; // the window keeps owning its menu
        windowMenu.Borrow(menu);
        DrawMenuBar(dc, &windowMenu, m_clrMenuBar);
    }
    DrawFrame(dc, m_clrFrame);
    DrawCaption(dc, m_clrCaptionInactive, m_clrCaptionActive);
}

void CDiyDialogEx::RedrawNonClient() {
    // Without a window, GetWindowDC would hand out the whole screen.
    if ((m_dwStyle & (WS_BORDER | WS_DLGFRAME)) == 0 || m_hWnd == nullptr)
        return;
    CWindowDC dc(this);
    if (dc.GetSafeHdc() != nullptr)
        PaintNonClient(&dc);
}

BOOL CDiyDialogEx::OnNcActivate(BOOL active) {
    RedrawNonClient();
    return CDialogEx::OnNcActivate(active);
}

void CDiyDialogEx::OnActivateApp(BOOL active, DWORD threadId) {
    CDialogEx::OnActivateApp(active, threadId);
    if (active == m_bAppActive)
        return;
    m_bAppActive = active;
    // The caption image carries the fill colour of the old state.
    m_cxCaptionCache = 0;
    m_bmpCaption.DeleteObject();
    if (m_hWnd == nullptr)
        return;
    CWindowDC dc(this);
    if (dc.GetSafeHdc() == nullptr)
        return;
    DrawCaption(&dc, m_clrCaptionInactive, m_clrCaptionActive);
    DrawFrame(&dc, m_clrFrame);
}

HBRUSH CDiyDialogEx::OnCtlColor(CDC* dc, CWnd* wnd, UINT type) {
    const HBRUSH framework = CDialogEx::OnCtlColor(dc, wnd, type);
    switch (type) {
    case CTLCOLOR_LISTBOX:
        return m_hbrListBox;
    case CTLCOLOR_STATIC:
        // Static texts sit on the white dialog without a box of their own.
        dc->SetBkMode(TRANSPARENT);
        return m_hbrWhite;
    case CTLCOLOR_MSGBOX:
    case CTLCOLOR_BTN:
    case CTLCOLOR_DLG:
    case CTLCOLOR_SCROLLBAR:
    case CTLCOLOR_MAX:
        return m_hbrWhite;
    default: // edit controls keep the framework's answer
        return framework;
    }
}

int CDiyDialogEx::ShowMessage(LPCTSTR text, LPCTSTR caption, UINT type) {
    return CWnd::MessageBox(text, caption, type);
}

void CDiyDialogEx::OnCaptionClose() {
    EndDialog(IDCANCEL);
}
