#pragma once
#include <windows.h>
#include "CPoint.h"
#include "CRect.h"
#include "CSize.h"
#include "CString.h"

class CBrush;
class CRgn;

// A device context. Like every wrapper of the framework it owns what it creates or is given with
// Attach (deleted in the destructor) and only uses what it is lent with Borrow; Detach gives
// up either without releasing it.
class CDC {
public:
    CDC() = default;
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;

    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

    // A memory DC compatible with pDC (null: the screen), owned by this object.
    BOOL CreateCompatibleDC(CDC* pDC);
    BOOL DeleteDC();
    BOOL Attach(HDC hDC);
    void Borrow(HDC hDC);
    HDC Detach();

    COLORREF SetTextColor(COLORREF color);
    int SetBkMode(int mode);
    int SetStretchBltMode(int mode);
    int GetDeviceCaps(int index) const;

    BOOL BitBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, DWORD rop);
    BOOL StretchBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, int srcWidth,
                    int srcHeight, DWORD rop);
    BOOL PatBlt(int x, int y, int width, int height, DWORD rop);
    void FillRect(LPCRECT rect, CBrush* brush);
    void FillRect(LPCRECT rect, HBRUSH brush);
    BOOL FillRgn(CRgn* region, CBrush* brush);
    int DrawText(const CString& text, LPRECT rect, UINT format);
    int DrawText(LPCWSTR text, int count, LPRECT rect, UINT format);
    CSize GetTextExtent(LPCWSTR text, int count) const;
    CSize GetTextExtent(const CString& text) const;
    BOOL DrawIcon(int x, int y, HICON icon);
    BOOL DrawIconEx(int x, int y, HICON icon, int width, int height, UINT step = 0,
                    HBRUSH flickerFree = nullptr, UINT flags = DI_NORMAL);
    BOOL DrawState(CPoint point, CSize size, HBITMAP bitmap, UINT flags, HBRUSH brush = nullptr);
    CPoint MoveTo(int x, int y);
    BOOL LineTo(int x, int y);
    BOOL RoundRect(int left, int top, int right, int bottom, int width, int height);

protected:
    bool m_bOwned = false;
};
