#pragma once
#include "Dpi.h"

// The bar's layout in client pixels: a title strip, then one row per working area.
// Every number of the layout lives here, as its value at 96 dpi; Metrics turns them all into
// pixels at the screen's DPI in one step.
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
constexpr int kCaptionFontHeight = 16;

// The layout in pixels at one DPI.
struct Metrics {
    constexpr explicit Metrics(int atDpi = kBaseDpi)
        : dpi(atDpi), clientWidth(ScaleToDpi(kClientWidth, atDpi)),
          titleHeight(ScaleToDpi(kTitleHeight, atDpi)), rowHeight(ScaleToDpi(kRowHeight, atDpi)),
          collapsedWidth(ScaleToDpi(kCollapsedWidth, atDpi)),
          collapsedHeight(ScaleToDpi(kCollapsedHeight, atDpi)),
          snapDistance(ScaleToDpi(kSnapDistance, atDpi)),
          buttonHeight(ScaleToDpi(kButtonHeight, atDpi)), hoverZoneBottom(buttonHeight - 1),
          closeOffset(ScaleToDpi(kCloseOffset, atDpi)),
          collapseOffset(ScaleToDpi(kCollapseOffset, atDpi)),
          iconLeft(ScaleToDpi(kIconLeft, atDpi)), iconTop(ScaleToDpi(kIconTop, atDpi)),
          iconSize(ScaleToDpi(kIconSize, atDpi)),
          captionLeftWithIcon(ScaleToDpi(kCaptionLeftWithIcon, atDpi)),
          captionLeftNoIcon(ScaleToDpi(kCaptionLeftNoIcon, atDpi)),
          captionTop(ScaleToDpi(kCaptionTop, atDpi)),
          captionFontHeight(ScaleToDpi(kCaptionFontHeight, atDpi)) {}

    int dpi;
    int clientWidth;
    int titleHeight;
    int rowHeight;
    int collapsedWidth;
    int collapsedHeight;
    int snapDistance;
    int buttonHeight;
    int hoverZoneBottom;
    int closeOffset;
    int collapseOffset;
    int iconLeft;
    int iconTop;
    int iconSize;
    int captionLeftWithIcon;
    int captionLeftNoIcon;
    int captionTop;
    int captionFontHeight;

    constexpr int RowTop(int index) const { return titleHeight + rowHeight * index; }
    // Truncates toward zero, so the strip's band below the buttons (y = 18..23 at 96 dpi) counts
    // as the first row for hover: a pointer leaving the buttons downwards lights that row at
    // once. Clicks and menus test y >= titleHeight first, so the band never selects a row.
    constexpr int RowIndex(int y) const { return (y - titleHeight) / rowHeight; }
    constexpr int ClientHeightFor(int rows) const { return titleHeight + rowHeight * rows; }
    constexpr bool InCloseColumn(int x, int width) const {
        return width - closeOffset < x && x < width;
    }
    constexpr bool InCollapseColumn(int x, int width) const {
        return width - collapseOffset < x && x < width - closeOffset;
    }
};

static_assert(Metrics().hoverZoneBottom == kHoverZoneBottom, "the bitmaps' last row");

// The same at 96 dpi.
inline int RowTop(int index) {
    return Metrics().RowTop(index);
}
inline int RowIndex(int y) {
    return Metrics().RowIndex(y);
}
inline int ClientHeightFor(int rows) {
    return Metrics().ClientHeightFor(rows);
}
inline bool InCloseColumn(int x, int width) {
    return Metrics().InCloseColumn(x, width);
}
inline bool InCollapseColumn(int x, int width) {
    return Metrics().InCollapseColumn(x, width);
}

} // namespace BarLayout
