#include "skin/DrawButtonFace.h"

namespace {

// Rows of the centre strip that keep their size at the top and at the bottom.
constexpr int kEdgeRows = 2;

} // namespace

void DrawButtonFace(CDC* dc, UINT midId, UINT leftId, UINT rightId, const RECT& rect) {
    CDC mem;
    if (!mem.CreateCompatibleDC(dc))
        return;
    dc->SetStretchBltMode(HALFTONE);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;

    // Each piece is loaded, drawn and deleted; a piece that does not load is skipped.
    auto piece = [&](UINT id, auto draw) {
        CBitmap bitmap;
        if (!bitmap.LoadBitmap(id))
            return;
        BITMAP info{};
        bitmap.GetBitmap(&info);
        ScopedSelect select(mem, bitmap);
        draw(static_cast<int>(info.bmWidth), static_cast<int>(info.bmHeight));
    };

    piece(midId, [&](int w, int h) {
        dc->StretchBlt(rect.left, rect.top, width, kEdgeRows, &mem, 0, 0, w, kEdgeRows, SRCCOPY);
        dc->StretchBlt(rect.left, rect.top + kEdgeRows, width, height - 2 * kEdgeRows, &mem, 0,
                       kEdgeRows, w, h - 2 * kEdgeRows, SRCCOPY);
        dc->StretchBlt(rect.left, rect.bottom - kEdgeRows, width, kEdgeRows, &mem, 0, h - kEdgeRows,
                       w, kEdgeRows, SRCCOPY);
    });
    piece(leftId, [&](int w, int h) {
        dc->StretchBlt(rect.left, rect.top, w, height, &mem, 0, 0, w, h, SRCCOPY);
    });
    piece(rightId, [&](int w, int h) {
        dc->StretchBlt(rect.right - w, rect.top, w, height, &mem, 0, 0, w, h, SRCCOPY);
    });
}
