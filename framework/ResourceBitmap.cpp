#include "ResourceBitmap.h"

ResourceBitmap::ResourceBitmap(CDC* target, UINT id) : m_target(target) {
    if (!m_memory.CreateCompatibleDC(target) || !m_bitmap.LoadBitmap(id)) {
        return;
    }
    m_bitmap.GetBitmap(&m_info);
    m_selection.emplace(m_memory, m_bitmap);
}

void ResourceBitmap::Draw(int x, int y) {
    if (*this) {
        m_target->BitBlt(x, y, Width(), Height(), &m_memory, 0, 0, SRCCOPY);
    }
}

void ResourceBitmap::Stretch(const RECT& dest, const RECT& source) {
    if (!*this) {
        return;
    }
    m_target->SetStretchBltMode(HALFTONE);
    m_target->StretchBlt(dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top,
                         &m_memory, source.left, source.top, source.right - source.left,
                         source.bottom - source.top, SRCCOPY);
}
