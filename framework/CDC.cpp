#include "CDC.h"
#include "CBrush.h"
#include "CRgn.h"

CDC::~CDC() {
    if (m_bOwned) {
        DeleteDC();
    }
}

BOOL CDC::CreateCompatibleDC(CDC* pDC) {
    if (m_bOwned) {
        DeleteDC();
    }
    m_hDC = ::CreateCompatibleDC(pDC ? pDC->m_hDC : nullptr);
    m_bOwned = m_hDC != nullptr;
    return m_hDC != nullptr;
}

BOOL CDC::DeleteDC() {
    if (m_hDC == nullptr) {
        return FALSE;
    }
    BOOL ok = m_bOwned ? ::DeleteDC(m_hDC) : TRUE;
    m_hDC = nullptr;
    m_bOwned = false;
    return ok;
}

BOOL CDC::Attach(HDC hDC) {
    if (m_bOwned && m_hDC != hDC) {
        DeleteDC();
    }
    m_hDC = hDC;
    m_bOwned = hDC != nullptr;
    return hDC != nullptr;
}

void CDC::Borrow(HDC hDC) {
    if (m_bOwned) {
        DeleteDC();
    }
    m_hDC = hDC;
    m_bOwned = false;
}

HDC CDC::Detach() {
    HDC hDC = m_hDC;
    m_hDC = nullptr;
    m_bOwned = false;
    return hDC;
}

COLORREF CDC::SetTextColor(COLORREF color) {
    return ::SetTextColor(m_hDC, color);
}
int CDC::SetBkMode(int mode) {
    return ::SetBkMode(m_hDC, mode);
}
int CDC::GetDeviceCaps(int index) const {
    return ::GetDeviceCaps(m_hDC, index);
}

int CDC::SetStretchBltMode(int mode) {
    return ::SetStretchBltMode(m_hDC, mode);
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, DWORD rop) {
    return ::BitBlt(m_hDC, x, y, width, height, src ? src->m_hDC : nullptr, xSrc, ySrc, rop);
}
BOOL CDC::StretchBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc,
                     int srcWidth, int srcHeight, DWORD rop) {
    return ::StretchBlt(m_hDC, x, y, width, height, src ? src->m_hDC : nullptr, xSrc, ySrc,
                        srcWidth, srcHeight, rop);
}
BOOL CDC::PatBlt(int x, int y, int width, int height, DWORD rop) {
    return ::PatBlt(m_hDC, x, y, width, height, rop);
}
void CDC::FillRect(LPCRECT rect, CBrush* brush) {
    ::FillRect(m_hDC, rect, brush ? static_cast<HBRUSH>(*brush) : nullptr);
}
void CDC::FillRect(LPCRECT rect, HBRUSH brush) {
    ::FillRect(m_hDC, rect, brush);
}
BOOL CDC::FillRgn(CRgn* region, CBrush* brush) {
    return ::FillRgn(m_hDC, static_cast<HRGN>(*region), static_cast<HBRUSH>(*brush));
}
int CDC::DrawText(const CString& text, LPRECT rect, UINT format) {
    return ::DrawTextW(m_hDC, text, text.GetLength(), rect, format);
}
int CDC::DrawText(LPCWSTR text, int count, LPRECT rect, UINT format) {
    return ::DrawTextW(m_hDC, text, count, rect, format);
}
CSize CDC::GetTextExtent(LPCWSTR text, int count) const {
    SIZE size = {0, 0};
    ::GetTextExtentPoint32W(m_hDC, text, count, &size);
    return CSize(size);
}
CSize CDC::GetTextExtent(const CString& text) const {
    return GetTextExtent(text, text.GetLength());
}
BOOL CDC::DrawIcon(int x, int y, HICON icon) {
    return ::DrawIcon(m_hDC, x, y, icon);
}
BOOL CDC::DrawIconEx(int x, int y, HICON icon, int width, int height, UINT step, HBRUSH flickerFree,
                     UINT flags) {
    return ::DrawIconEx(m_hDC, x, y, icon, width, height, step, flickerFree, flags);
}
BOOL CDC::DrawState(CPoint point, CSize size, HBITMAP bitmap, UINT flags, HBRUSH brush) {
    return ::DrawStateW(m_hDC, brush, nullptr, reinterpret_cast<LPARAM>(bitmap), 0, point.x,
                        point.y, size.cx, size.cy, flags | DST_BITMAP);
}
CPoint CDC::MoveTo(int x, int y) {
    POINT previous = {0, 0};
    ::MoveToEx(m_hDC, x, y, &previous);
    return CPoint(previous);
}
BOOL CDC::LineTo(int x, int y) {
    return ::LineTo(m_hDC, x, y);
}
BOOL CDC::RoundRect(int left, int top, int right, int bottom, int width, int height) {
    return ::RoundRect(m_hDC, left, top, right, bottom, width, height);
}
