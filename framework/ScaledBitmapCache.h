#pragma once
#include "CBitmap.h"
#include "CDC.h"
#include <vector>

// Bitmap resources drawn at a DPI: at 96 dpi each is drawn as it is, loaded on every use as
// ResourceBitmap does; at any other DPI it is stretched once, smoothly, to its size there and the
// stretched copy kept, so that later paints only copy it.
class ScaledBitmapCache {
public:
    ScaledBitmapCache() = default;
    ScaledBitmapCache(const ScaledBitmapCache&) = delete;
    ScaledBitmapCache& operator=(const ScaledBitmapCache&) = delete;

    // Bitmap `id` with its top-left corner at (x, y) of the target, at `dpi`.
    void Draw(CDC* target, UINT id, int x, int y, int dpi);
    // Forgets every stretched copy (the DPI changed).
    void Clear() { m_entries.clear(); }

private:
    struct Entry {
        UINT id;
        int dpi;
        SIZE size;
        CBitmap bitmap;
    };
    const Entry* Find(UINT id, int dpi) const;
    const Entry* Add(CDC* target, UINT id, int dpi);

    std::vector<Entry> m_entries;
};
