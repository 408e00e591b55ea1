#include "skin/CGrayButton.h"

#include <commctrl.h>

IMPLEMENT_DYNAMIC(CGrayButton, CButton)

BEGIN_MESSAGE_MAP(CGrayButton, CButton)
ON_WM_MOUSEHOVER()
ON_WM_MOUSELEAVE()
ON_WM_MOUSEMOVE()
END_MESSAGE_MAP()

namespace {

constexpr COLORREF kFlatFace = RGB(221, 221, 221);
constexpr COLORREF kFlatOutline = RGB(191, 191, 191);
constexpr COLORREF kFaceText = RGB(0, 0, 0);
constexpr COLORREF kFlatText = RGB(255, 255, 255);
constexpr int kCornerEllipse = 4;
// Rows of the centre strip that keep their size at the top and at the bottom.
constexpr int kEdgeRows = 2;

} // namespace

CGrayButton::CGrayButton(const Faces& faces)
    : m_faces(faces), m_bHover(FALSE), m_bTracking(FALSE) {}

void CGrayButton::PreSubclassWindow() {
    // Owner-drawn from now on: the parent gets WM_DRAWITEM and hands it back to DrawItem.
    ModifyStyle(0, BS_OWNERDRAW);
    CButton::PreSubclassWindow();
}

void CGrayButton::DrawItem(LPDRAWITEMSTRUCT dis) {
    CDC dc;
    dc.Borrow(dis->hDC); // the system's DC for this one paint
    CRect rect;
    GetClientRect(&rect);
    CString text;
    GetWindowText(text);
    ScopedSelect selectFont(dc, GetFont());
    CBrush brush(kFlatFace);
    CPen pen(PS_SOLID, 1, kFlatOutline);
    dc.SetTextColor(kFaceText);

    const UINT state = dis->itemState;
    const int dpi = DpiOfWindow(m_hWnd);
    if (state & ODS_DISABLED) {
        dc.SetTextColor(kFlatText);
        dc.FillRect(&rect, &brush);
    } else if (state & ODS_SELECTED) {
        DrawFace(&dc, m_faces.pressed, rect, dpi);
    } else if (state & ODS_GRAYED) {
        dc.SetTextColor(kFlatText);
        ScopedSelect selectBrush(dc, brush);
        ScopedSelect selectPen(dc, pen);
        dc.RoundRect(rect.left, rect.top, rect.right, rect.bottom, kCornerEllipse, kCornerEllipse);
    } else if ((state & ODS_HOTLIGHT) || m_bHover) {
        DrawFace(&dc, m_faces.hover, rect, dpi);
    } else {
        DrawFace(&dc, m_faces.normal, rect, dpi);
    }

    dc.SetBkMode(TRANSPARENT);
    const CSize extent = dc.GetTextExtent(text);
    // Lowering the top centres the text vertically; DT_VCENTER alone would not (no single-line).
    rect.top += (rect.bottom - extent.cy - rect.top) / 2;
    dc.DrawText(text, &rect, DT_CENTER);
}

void CGrayButton::OnMouseMove(UINT flags, CPoint point) {
    if (!m_bTracking) {
        TRACKMOUSEEVENT tme{};
        tme.cbSize = sizeof(tme);
        tme.dwFlags = TME_HOVER | TME_LEAVE;
        tme.hwndTrack = m_hWnd;
        tme.dwHoverTime = 1;
        m_bTracking = _TrackMouseEvent(&tme);
    }
    CButton::OnMouseMove(flags, point);
}

void CGrayButton::OnMouseHover(UINT, CPoint) {
    m_bHover = TRUE;
    InvalidateRect(nullptr, TRUE);
}

void CGrayButton::OnMouseLeave() {
    m_bHover = FALSE;
    InvalidateRect(nullptr, TRUE);
    m_bTracking = FALSE;
}

void CGrayButton::DrawFace(CDC* dc, const Face& face, const RECT& rect, int dpi) {
    const int height = rect.bottom - rect.top;
    const int edge = ScaleToDpi(kEdgeRows, dpi);
    // Each piece is loaded, drawn and released; a piece that does not load is skipped.
    if (ResourceBitmap middle(dc, face.middle); middle) {
        const int w = middle.Width();
        const int h = middle.Height();
        middle.Stretch(RECT{rect.left, rect.top, rect.right, rect.top + edge},
                       RECT{0, 0, w, kEdgeRows});
        middle.Stretch(RECT{rect.left, rect.top + edge, rect.right, rect.bottom - edge},
                       RECT{0, kEdgeRows, w, h - kEdgeRows});
        middle.Stretch(RECT{rect.left, rect.bottom - edge, rect.right, rect.bottom},
                       RECT{0, h - kEdgeRows, w, h});
    }
    if (ResourceBitmap left(dc, face.left); left) {
        left.Stretch(RECT{rect.left, rect.top, rect.left + ScaleToDpi(left.Width(), dpi),
                          rect.top + height});
    }
    if (ResourceBitmap right(dc, face.right); right) {
        right.Stretch(RECT{rect.right - ScaleToDpi(right.Width(), dpi), rect.top, rect.right,
                           rect.top + height});
    }
}
