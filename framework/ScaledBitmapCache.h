#pragma once
#include "CBitmap.h"
#include "CDC.h"
#include <vector>

// Bitmap resources drawn at another size than their own: each is stretched once, smoothly, to a
// size and the stretched copy kept, so that later paints only copy it. A bitmap drawn at its own
// size is loaded on every use, as ResourceBitmap does; a copy is kept per resource module, so a
// resource library in use still supplies every bitmap.
class ScaledBitmapCache {
public:
    ScaledBitmapCache() = default;
    ScaledBitmapCache(const ScaledBitmapCache&) = delete;
    ScaledBitmapCache& operator=(const ScaledBitmapCache&) = delete;

    // Bitmap `id` with its top-left corner at (x, y) of the target, at `dpi`.
    void Draw(CDC* target, UINT id, int x, int y, int dpi);
    // Bitmap `id` stretched over `dest`.
    void Stretch(CDC* target, UINT id, const RECT& dest);
    // Forgets every stretched copy (the DPI changed).
    void Clear() { m_entries.clear(); }

private:
    struct Entry {
        HINSTANCE module;
        UINT id;
        int dpi;   // the DPI a Draw asked for, or 0 for a copy made by Stretch
        SIZE size; // of the stretched copy
        int bitsPerPixel;
        CBitmap bitmap;
    };
    // More than the few sizes a window draws at: copies for sizes no longer drawn do not pile up.
    static constexpr size_t kMaxEntries = 16;

    const Entry* Find(CDC* target, UINT id, int dpi, SIZE size) const;
    const Entry* Add(CDC* target, UINT id, int dpi, SIZE size);
    static void Copy(CDC* target, const Entry& entry, int x, int y);

    std::vector<Entry> m_entries;
};
