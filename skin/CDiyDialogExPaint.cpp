// Frame strips, outline, caption strip and dialog background of the skinned dialog base.
#include "skin/CDiyDialogEx.h"

namespace {

// At 96 dpi; Px() scales them.
constexpr int kIconSize = 16;
constexpr int kIconLeft = 8;
constexpr int kIconAdvance = 18; // icon width plus a gap before the text
constexpr int kIconCentring = 13;
constexpr int kCornerMark = 4; // legs of the corner triangles

} // namespace

void CDiyDialogEx::DrawFrame(CDC* dc, COLORREF fill) {
    if (m_hWnd == nullptr)
        return;
    CRect rect;
    GetWindowRect(&rect);
    const int w = rect.Width();
    const int h = rect.Height();
    const CSize frame = FrameThickness();
    const int captionBottom = Metric(SM_CYSIZE) + frame.cy;

    CBrush brush(fill);
    CPen pen(PS_SOLID, 1, m_clrBorder);
    ScopedSelect selectBrush(*dc, brush);
    ScopedSelect selectPen(*dc, pen);
    // No top strip: the outline covers the top row and the caption lies below it.
    const int sideTop = (m_dwStyle & WS_CAPTION) == WS_CAPTION ? captionBottom : 0;
    dc->PatBlt(0, sideTop, frame.cx, h, PATCOPY);
    dc->PatBlt(1, h - frame.cy - 1, w, frame.cy + 1, PATCOPY);
    dc->PatBlt(w - frame.cx, sideTop, frame.cx, h, PATCOPY);

    dc->MoveTo(0, 0);
    dc->LineTo(0, h - 1);
    dc->LineTo(w - 1, h - 1);
    dc->LineTo(w - 1, 0);
    dc->LineTo(0, 0);
}

void CDiyDialogEx::DrawCaption(CDC* dc, COLORREF inactiveFill, COLORREF activeFill) {
    if ((m_dwStyle & WS_CAPTION) != WS_CAPTION)
        return;
    const HICON icon = GetSmallIcon();
    const int w = WindowWidth();
    const int capW = w - 2;
    const int capH = FrameThickness().cy + Metric(SM_CYSIZE);
    CString text;
    GetWindowText(text);

    CDC mem;
    if (!mem.CreateCompatibleDC(dc))
        return;
    if (m_cxCaptionCache > 0 && m_cxCaptionCache == capW && m_cyCaptionCache == capH &&
        m_strCaption == text) {
        {
            ScopedSelect selectImage(mem, m_bmpCaption);
            dc->BitBlt(1, 1, capW, capH, &mem, 0, 0, SRCCOPY);
        }
        mem.DeleteDC();
        DrawCaptionButtons(dc, kNormal, kNormal, kNormal);
        return;
    }

    if (m_cxCaptionCache > 0) {
        m_bmpCaption.DeleteObject();
        m_cxCaptionCache = 0;
    }
    const COLORREF fill = m_bAppActive ? activeFill : inactiveFill;
    if (!m_bmpCaption.CreateCompatibleBitmap(dc, capW, capH)) {
        mem.DeleteDC();
        DrawCaptionDirect(dc, icon, text, fill);
        return;
    }

    m_strCaption = text;
    m_cxCaptionCache = capW;
    m_cyCaptionCache = capH;
    {
        ScopedSelect selectImage(mem, m_bmpCaption);
        CRect r(0, 0, capW, capH);
        {
            CBrush brush(fill);
            mem.FillRect(&r, &brush);
        }
        r.top += (capH - Px(kIconCentring)) / 2;
        r.left += Px(kIconLeft);
        if (icon != nullptr) {
            mem.DrawIconEx(r.left, r.top, icon, Px(kIconSize), Px(kIconSize));
            r.left += Px(kIconAdvance);
        }
        mem.SetTextColor(GetSysColor(COLOR_WINDOW));
        mem.SetBkMode(TRANSPARENT);
        {
            ScopedSelect selectFont(mem, m_fontCaption);
            mem.DrawText(text, &r, DT_VCENTER);
        }

        // Corner marks in the border colour. The right one is placed against the window's
        // width, so the image's right edge (two pixels narrower) cuts it.
        CPen pen(PS_SOLID, 1, m_clrBorder);
        CBrush brush(m_clrBorder);
        const int m = Px(kCornerMark);
        const POINT leftMark[3] = {{0, 0}, {0, m}, {m, 0}};
        const POINT rightMark[3] = {{w - 1, 0}, {w - 1, m}, {w - 1 - m, 0}};
        CRgn leftRegion;
        CRgn rightRegion;
        leftRegion.CreatePolygonRgn(leftMark, 3, ALTERNATE);
        rightRegion.CreatePolygonRgn(rightMark, 3, ALTERNATE);
        {
            ScopedSelect selectPen(mem, pen);
            mem.FillRgn(&leftRegion, &brush);
            mem.FillRgn(&rightRegion, &brush);
        }

        dc->BitBlt(1, 1, capW, capH, &mem, 0, 0, SRCCOPY);
    }
    mem.DeleteDC();
    DrawCaptionButtons(dc, kNormal, kNormal, kNormal);
}

void CDiyDialogEx::DrawCaptionDirect(CDC* dc, HICON icon, const CString& text, COLORREF fill) {
    const int w = WindowWidth();
    CRect caption(1, 1, w - 1, 1 + FrameThickness().cy + Metric(SM_CYSIZE));
    {
        CBrush brush(fill);
        dc->FillRect(&caption, &brush);
    }
    caption.left += Px(kIconLeft);
    caption.top += Px(kIconLeft);
    if (icon != nullptr) {
        ::DrawIconEx(*dc, caption.left, caption.top, icon, Px(kIconSize), Px(kIconSize), 0, nullptr,
                     DI_NORMAL);
        caption.left += Px(kIconAdvance);
    }
    dc->SetTextColor(GetSysColor(COLOR_WINDOW));
    dc->SetBkMode(TRANSPARENT);
    {
        ScopedSelect selectFont(*dc, m_fontCaption);
        dc->DrawText(text, &caption, DT_VCENTER);
    }
    DrawCaptionButtons(dc, kNormal, kNormal, kNormal);

    // Corner marks as lines, each from its first point up to (not including) its second.
    CPen pen(PS_SOLID, 1, m_clrBorder);
    ScopedSelect selectPen(*dc, pen);
    const POINT lines[6][2] = {{{1, 4}, {2, 4}},         {{0, 4}, {4, 0}},
                               {{4, 1}, {4, 2}},         {{w - 5, 0}, {w - 5, 2}},
                               {{w - 5, 0}, {w - 1, 4}}, {{w - 2, 4}, {w - 1, 4}}};
    for (const auto& line : lines) {
        dc->MoveTo(line[0].x, line[0].y);
        dc->LineTo(line[1].x, line[1].y);
    }
}

void CDiyDialogEx::PaintBackground(CDC* dc, CRect rect) {
    const bool hasBrush = m_brBkgr.GetSafeHandle() != nullptr;
    const bool hasImage = m_hBkgrBitmap != nullptr;
    if (!hasBrush && !hasImage) {
        dc->FillRect(&rect, m_hbrWhite);
        return;
    }
    if (hasBrush && (m_BkgrLocation != BACKGR_TILE || !hasImage))
        dc->FillRect(&rect, &m_brBkgr);
    if (!hasImage)
        return;

    const CSize size = m_sizeBkgrBitmap;
    if (m_BkgrLocation != BACKGR_TILE) {
        CPoint at(rect.left, rect.top);
        if (m_BkgrLocation == BACKGR_TOPRIGHT || m_BkgrLocation == BACKGR_BOTTOMRIGHT)
            at.x = rect.right - size.cx;
        if (m_BkgrLocation == BACKGR_BOTTOMLEFT || m_BkgrLocation == BACKGR_BOTTOMRIGHT)
            at.y = rect.bottom - size.cy;
        dc->DrawState(at, size, m_hBkgrBitmap, DST_BITMAP);
        return;
    }
    // An empty image would never advance the tiling.
    if (size.cx <= 0 || size.cy <= 0)
        return;
    for (int x = rect.left; x < rect.right; x += size.cx) {
        for (int y = rect.top; y < rect.bottom; y += size.cy)
            dc->DrawState(CPoint(x, y), size, m_hBkgrBitmap, DST_BITMAP);
    }
}
