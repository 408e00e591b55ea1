#pragma once
#include "CGdiObject.h"

class CRgn : public CGdiObject {
public:
    BOOL CreatePolygonRgn(const POINT* points, int count, int fillMode) {
        return Attach(::CreatePolygonRgn(points, count, fillMode));
    }
    operator HRGN() const { return static_cast<HRGN>(m_hObject); }
};
