#pragma once
#include "CGdiObject.h"

class CDC;

class CBitmap : public CGdiObject {
public:
    // Bitmap `id` from the current resource module.
    BOOL LoadBitmap(UINT id);
    BOOL CreateCompatibleBitmap(CDC* pDC, int width, int height);
    int GetBitmap(BITMAP* bitmap) const { return GetObject(sizeof(BITMAP), bitmap); }
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
};
