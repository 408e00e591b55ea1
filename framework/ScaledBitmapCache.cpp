#include "ScaledBitmapCache.h"
#include "Dpi.h"
#include "ResourceBitmap.h"

void ScaledBitmapCache::Draw(CDC* target, UINT id, int x, int y, int dpi) {
    if (dpi == kBaseDpi) {
        ResourceBitmap(target, id).Draw(x, y);
        return;
    }
    const Entry* entry = Find(id, dpi);
    if (!entry)
        entry = Add(target, id, dpi);
    CDC memory;
    if (!entry || !memory.CreateCompatibleDC(target))
        return;
    ScopedSelect selection(memory, entry->bitmap);
    target->BitBlt(x, y, entry->size.cx, entry->size.cy, &memory, 0, 0, SRCCOPY);
}

const ScaledBitmapCache::Entry* ScaledBitmapCache::Find(UINT id, int dpi) const {
    for (const Entry& entry : m_entries)
        if (entry.id == id && entry.dpi == dpi)
            return &entry;
    return nullptr;
}

const ScaledBitmapCache::Entry* ScaledBitmapCache::Add(CDC* target, UINT id, int dpi) {
    ResourceBitmap source(target, id);
    if (!source)
        return nullptr;
    Entry entry{id, dpi, {ScaleToDpi(source.Width(), dpi), ScaleToDpi(source.Height(), dpi)}, {}};
    CDC memory;
    if (!memory.CreateCompatibleDC(target) ||
        !entry.bitmap.CreateCompatibleBitmap(target, entry.size.cx, entry.size.cy))
        return nullptr;
    {
        ScopedSelect selection(memory, entry.bitmap);
        ResourceBitmap scaled(&memory, id);
        scaled.Stretch(RECT{0, 0, entry.size.cx, entry.size.cy});
    }
    m_entries.push_back(std::move(entry));
    return &m_entries.back();
}
