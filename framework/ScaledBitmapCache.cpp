#include "ScaledBitmapCache.h"
#include "Afx.h"
#include "Dpi.h"
#include "ResourceBitmap.h"

void ScaledBitmapCache::Draw(CDC* target, UINT id, int x, int y, int dpi) {
    if (dpi == kBaseDpi) {
        ResourceBitmap(target, id).Draw(x, y);
        return;
    }
    const Entry* entry = Find(target, id, dpi, SIZE{});
    if (!entry) {
        ResourceBitmap source(target, id);
        if (!source)
            return;
        entry = Add(target, id, dpi,
                    SIZE{ScaleToDpi(source.Width(), dpi), ScaleToDpi(source.Height(), dpi)});
    }
    if (entry)
        Copy(target, *entry, x, y);
}

void ScaledBitmapCache::Stretch(CDC* target, UINT id, const RECT& dest) {
    const SIZE size{dest.right - dest.left, dest.bottom - dest.top};
    if (size.cx <= 0 || size.cy <= 0)
        return;
    const Entry* entry = Find(target, id, 0, size);
    if (!entry)
        entry = Add(target, id, 0, size);
    if (entry)
        Copy(target, *entry, dest.left, dest.top);
}

const ScaledBitmapCache::Entry* ScaledBitmapCache::Find(CDC* target, UINT id, int dpi,
                                                        SIZE size) const {
    const HINSTANCE module = AfxGetResourceHandle();
    const int bits = target->GetDeviceCaps(BITSPIXEL);
    for (const Entry& entry : m_entries)
        if (entry.module == module && entry.id == id && entry.dpi == dpi &&
            entry.bitsPerPixel == bits &&
            (dpi != 0 || (entry.size.cx == size.cx && entry.size.cy == size.cy)))
            return &entry;
    return nullptr;
}

const ScaledBitmapCache::Entry* ScaledBitmapCache::Add(CDC* target, UINT id, int dpi, SIZE size) {
    Entry entry{AfxGetResourceHandle(), id, dpi, size, target->GetDeviceCaps(BITSPIXEL), {}};
    CDC memory;
    if (!memory.CreateCompatibleDC(target) ||
        !entry.bitmap.CreateCompatibleBitmap(target, size.cx, size.cy))
        return nullptr;
    {
        ScopedSelect selection(memory, entry.bitmap);
        ResourceBitmap source(&memory, id);
        if (!source)
            return nullptr;
        source.Stretch(RECT{0, 0, size.cx, size.cy});
    }
    if (m_entries.size() >= kMaxEntries)
        m_entries.erase(m_entries.begin());
    m_entries.push_back(std::move(entry));
    return &m_entries.back();
}

void ScaledBitmapCache::Copy(CDC* target, const Entry& entry, int x, int y) {
    CDC memory;
    if (!memory.CreateCompatibleDC(target))
        return;
    ScopedSelect selection(memory, entry.bitmap);
    target->BitBlt(x, y, entry.size.cx, entry.size.cy, &memory, 0, 0, SRCCOPY);
}
