#include "CBitmap.h"
#include "Afx.h"
#include "CDC.h"

BOOL CBitmap::LoadBitmap(UINT id) {
    LPCWSTR name = MAKEINTRESOURCEW(id);
    return Attach(::LoadBitmapW(AfxFindResourceHandle(name, RT_BITMAP), name));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int width, int height) {
    return Attach(::CreateCompatibleBitmap(pDC ? pDC->m_hDC : nullptr, width, height));
}
