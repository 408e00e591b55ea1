#include "StretchDrawBitmap.h"

void StretchDrawBitmap(CDC* pDC, UINT id, CRect rect) {
    // Declared before the memory DC so that the DC is deleted first, with the bitmap deselected.
    CBitmap bitmap;
    CDC memDC;
    if (!memDC.CreateCompatibleDC(pDC)) {
        return;
    }
    if (!bitmap.LoadBitmap(id)) {
        return;
    }
    BITMAP info{};
    bitmap.GetBitmap(&info);
    ScopedSelect select(memDC, bitmap.GetSafeHandle());
    pDC->SetStretchBltMode(HALFTONE);
    pDC->StretchBlt(rect.left, rect.top, rect.Width(), rect.Height(), &memDC, 0, 0, info.bmWidth,
                    info.bmHeight, SRCCOPY);
}
