#pragma once

// The bar's layout in client pixels: a title strip, then one row per working area.
// Every number of the layout lives here.
namespace BarLayout {

constexpr int kClientWidth = 120; // also the rows' right edge
constexpr int kTitleHeight = 24;  // presses and releases above this belong to the strip
constexpr int kRowHeight = 30;
constexpr int kCollapsedWidth = 43; // the folded stub, frame included
constexpr int kCollapsedHeight = 20;
constexpr int kSnapDistance = 5; // an edge nearer than this to a screen edge docks

// Title buttons sit at the strip's right end: close in the last 19 columns, collapse in the
// 26 before it. The columns' bounds are exclusive, so x = W - 19 and x = W - 45 hit neither.
constexpr int kButtonHeight = 18;
constexpr int kHoverZoneBottom = 17; // the button bitmaps' last row: moves above it hover buttons
constexpr int kCloseOffset = 19;
constexpr int kCollapseOffset = 45;

// Title strip contents.
constexpr int kIconLeft = 8;
constexpr int kIconTop = 2;
constexpr int kIconSize = 16;
constexpr int kCaptionLeftWithIcon = 32;
constexpr int kCaptionLeftNoIcon = 8;
constexpr int kCaptionTop = 3;

inline int RowTop(int index) {
    return kTitleHeight + kRowHeight * index;
}
// Truncates toward zero, so the strip's band below the buttons (y = 18..23) counts as the first
// row for hover: a pointer leaving the buttons downwards lights that row at once. Clicks and
// menus test y >= kTitleHeight first, so the band never selects a row.
inline int RowIndex(int y) {
    return (y - kTitleHeight) / kRowHeight;
}
inline int ClientHeightFor(int rows) {
    return kTitleHeight + kRowHeight * rows;
}
inline bool InCloseColumn(int x, int width) {
    return width - kCloseOffset < x && x < width;
}
inline bool InCollapseColumn(int x, int width) {
    return width - kCollapseOffset < x && x < width - kCloseOffset;
}

} // namespace BarLayout
