#pragma once
#include <optional>
#include "CBitmap.h"
#include "CDC.h"
#include "ScopedSelect.h"

// A bitmap resource of the current resource module, loaded and selected into a memory DC that
// is compatible with the target, for the drawing calls of one paint. Bitmaps are loaded on every
// use so that a resource library in use supplies them; all is released when the object goes.
// False when the memory DC or the bitmap could not be had: the caller then draws less.
class ResourceBitmap {
public:
    ResourceBitmap(CDC* target, UINT id);
    ResourceBitmap(const ResourceBitmap&) = delete;
    ResourceBitmap& operator=(const ResourceBitmap&) = delete;

    explicit operator bool() const { return m_selection.has_value(); }
    int Width() const { return m_info.bmWidth; }
    int Height() const { return m_info.bmHeight; }

    // The whole bitmap at its own size, its top-left corner at (x, y).
    void Draw(int x, int y);
    // Part of the bitmap stretched over `dest` in halftone mode, which stays set on the target.
    void Stretch(const RECT& dest, const RECT& source);
    void Stretch(const RECT& dest) { Stretch(dest, RECT{0, 0, Width(), Height()}); }

private:
    CDC* m_target;
    BITMAP m_info{};
    // In this order, so that the selection ends before the DC and the bitmap go.
    CBitmap m_bitmap;
    CDC m_memory;
    std::optional<ScopedSelect> m_selection;
};
