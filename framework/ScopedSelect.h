#pragma once
#include "CDC.h"

// Selects an object into a DC and selects the previous one back when it goes out of scope.
// Declare it after the object it selects, so that the selection ends before the object is deleted.
// Not for regions: selecting a region returns no previous handle.
class ScopedSelect {
public:
    ScopedSelect(CDC& dc, HGDIOBJ object) : m_hDC(dc.m_hDC) {
        if (m_hDC != nullptr && object != nullptr) {
            m_hPrevious = ::SelectObject(m_hDC, object);
        }
    }
    ~ScopedSelect() {
        if (m_hPrevious != nullptr && m_hPrevious != HGDI_ERROR) {
            ::SelectObject(m_hDC, m_hPrevious);
        }
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC m_hDC;
    HGDIOBJ m_hPrevious = nullptr;
};
