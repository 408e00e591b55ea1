// The bar's painting and mouse feedback: title strip with icon, caption and two buttons, one
// row per working area, hover colours, pressed buttons, and the drag by the title strip.
// Feedback between paints draws through a client DC, so that it lands exactly where the
// paint put the same pixels (a window DC would be shifted by the frame).
#include "bar/CZelvanorDlg.h"
#include "areas/WorkingArea.h"
#include "res/resource.h"
#include <commctrl.h>

namespace {
const COLORREF kTitleColour = RGB(38, 179, 232);
const COLORREF kCaptionColour = RGB(255, 255, 255);
} // namespace

void CZelvanorDlg::OnPaint() {
    if (IsIconic()) {
        CPaintDC dc(this);
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
        CRect client;
        GetClientRect(&client);
        const int x = (client.Width() - GetSystemMetrics(SM_CXICON) + 1) / 2;
        const int y = (client.Height() - GetSystemMetrics(SM_CYICON) + 1) / 2;
        dc.DrawIcon(x, y, m_hIcon);
        return;
    }
    CPaintDC dc(this);
    ScopedSelect font(dc, RowFont());
    DrawTitleBar(&dc);
    for (size_t i = 0; i < m_areas.size(); ++i) {
        const int top = m_layout.RowTop(static_cast<int>(i));
        m_areas[i]->Draw(&dc, CRect(0, top, m_layout.clientWidth, top + m_layout.rowHeight));
    }
}

HCURSOR CZelvanorDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
}

void CZelvanorDlg::DrawTitleBar(CDC* dc) {
    CRect client;
    GetClientRect(&client);
    const int width = client.Width();
    CDC memory;
    if (!memory.CreateCompatibleDC(dc))
        return;
    // Drawn off-screen and copied in one go, so the strip does not flicker.
    CBitmap image;
    const int height = m_layout.titleHeight;
    image.CreateCompatibleBitmap(dc, width, height);
    ScopedSelect imageSelection(memory, image);

    CBrush fill(kTitleColour);
    CRect strip(0, 0, client.right, height);
    memory.FillRect(&strip, &fill);

    int captionLeft = m_layout.captionLeftNoIcon;
    // The strip has always shown the large icon shrunk to its place, and keeps that look; a bar
    // without a small icon shows none.
    if (HICON icon = GetSmallIcon()) {
        DrawIconEx(memory, m_layout.iconLeft, m_layout.iconTop, m_hIcon ? m_hIcon : icon,
                   m_layout.iconSize, m_layout.iconSize, 0, nullptr, DI_NORMAL);
        captionLeft = m_layout.captionLeftWithIcon;
    }
    memory.SetTextColor(kCaptionColour);
    memory.SetBkMode(TRANSPARENT);
    CFont captionFont;
    captionFont.CreateFont(m_layout.captionFontHeight, 0, 0, 0, FW_THIN, FALSE, FALSE, FALSE,
                           ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, L"Microsoft Sans Serif");
    {
        ScopedSelect fontSelection(memory, captionFont);
        CRect text(captionLeft, m_layout.captionTop, client.right, height);
        // DT_VCENTER centres only single lines: the caption keeps its top at y = 3 (96 dpi), where
        // the strip's look has always had it.
        memory.DrawText(L"Area", -1, &text, DT_VCENTER);
    }
    DrawCollapseButton(&memory, kNormal);
    DrawCloseButton(&memory, kNormal);
    dc->BitBlt(0, 0, width, height, &memory, 0, 0, SRCCOPY);
}

void CZelvanorDlg::DrawCloseButton(CDC* dc, int state) {
    CRect client;
    GetClientRect(&client);
    const UINT id = state == kHover     ? IDB_CLOSE_HOVER
                    : state == kPressed ? IDB_CLOSE_PRESSED
                                        : IDB_CLOSE;
    DrawBitmap(dc, id, client.Width() - m_layout.closeOffset, 0);
}

void CZelvanorDlg::DrawCollapseButton(CDC* dc, int state) {
    CRect client;
    GetClientRect(&client);
    UINT id;
    if (m_collapsed)
        id = state == kHover     ? IDB_EXPAND_HOVER
             : state == kPressed ? IDB_EXPAND_PRESSED
                                 : IDB_EXPAND;
    else
        id = state == kHover     ? IDB_COLLAPSE_HOVER
             : state == kPressed ? IDB_COLLAPSE_PRESSED
                                 : IDB_COLLAPSE;
    DrawBitmap(dc, id, client.Width() - m_layout.collapseOffset, 0);
}

void CZelvanorDlg::OnMouseMove(UINT nFlags, CPoint point) {
    if (!m_mouseTracking) {
        TRACKMOUSEEVENT track = {sizeof(track), TME_HOVER | TME_LEAVE, m_hWnd, 1};
        m_mouseTracking = _TrackMouseEvent(&track);
    }
    CDiyDialogEx::OnMouseMove(nFlags, point);
    CRect client;
    GetClientRect(&client);
    const int width = client.Width();
    const int index = m_layout.RowIndex(point.y);
    CClientDC dc(this);
    if (point.y <= m_layout.hoverZoneBottom) {
        DrawCloseButton(&dc, m_layout.InCloseColumn(point.x, width) ? kHover : kNormal);
        DrawCollapseButton(&dc, m_layout.InCollapseColumn(point.x, width) ? kHover : kNormal);
        return;
    }
    if (index >= static_cast<int>(m_areas.size())) {
        DrawCloseButton(&dc, kNormal);
        return;
    }
    DrawCloseButton(&dc, kNormal);
    DrawCollapseButton(&dc, kNormal);
    ScopedSelect font(dc, RowFont());
    WorkingArea* row = m_areas[index].get();
    if (m_hoverArea == row)
        return;
    if (m_hoverArea) {
        m_hoverArea->m_hover = FALSE;
        if (!m_hoverArea->m_editing)
            m_hoverArea->Redraw(&dc);
    }
    row->m_hover = TRUE;
    if (!row->m_editing)
        row->Redraw(&dc);
    m_hoverArea = row;
}

void CZelvanorDlg::OnMouseLeave() {
    {
        CClientDC dc(this);
        if (m_hoverArea && m_hoverArea != m_menuArea) {
            ScopedSelect font(dc, RowFont());
            m_hoverArea->m_hover = FALSE;
            if (!m_hoverArea->m_editing)
                m_hoverArea->Redraw(&dc);
            m_hoverArea = nullptr;
        }
        DrawCloseButton(&dc, kNormal);
        DrawCollapseButton(&dc, kNormal);
    }
    m_mouseTracking = FALSE;
    CDiyDialogEx::OnMouseLeave();
}

void CZelvanorDlg::PressTitleStrip(CPoint point) {
    CRect client;
    GetClientRect(&client);
    const int width = client.Width();
    BOOL pressed = FALSE;
    {
        CClientDC dc(this);
        if (m_layout.InCloseColumn(point.x, width)) {
            pressed = TRUE;
            DrawCloseButton(&dc, kPressed);
        }
        if (m_layout.InCollapseColumn(point.x, width)) {
            pressed = TRUE;
            DrawCollapseButton(&dc, kPressed);
        }
    }
    // Anywhere else on the strip the bar moves as if its caption had been grabbed.
    if (!pressed)
        PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(point.x, point.y));
}
