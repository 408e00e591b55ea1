// What the bar shows: the title strip with its icon, caption and buttons in each state, the rows
// with their backgrounds and text colours, and a renamed row. Read back from the screen.
#include "tests/bar/BarFixture.h"

using namespace bartest;

namespace {

class BarPaint : public BarTest {
protected:
    RECT Strip() const { return RECT{0, 0, Width(), kTitleHeight}; }
    // The caption's white pixels, between the icon's place and the buttons.
    PixelSet Caption(const Image& strip, int fromX) const {
        return strip.Crop(fromX, 0, Width() - kCollapseOffset, kTitleHeight).Find(kWhite);
    }
};

TEST_F(BarPaint, TitleStripShowsFillIconCaptionAndButtonsAtRest) {
    Image strip;
    ASSERT_TRUE(WaitButtons(IDB_CLOSE, IDB_COLLAPSE, &strip));
    const int w = Width();

    // The fill: left of the icon, and the band under the buttons and the caption.
    const int iconRight = kIconLeft + kIconSize;
    const int band = kIconTop + kIconSize + 2; // below the icon, the buttons and the caption text
    EXPECT_EQ(strip.Crop(0, 0, kIconLeft, kTitleHeight).Count(kTitleBlue),
              kIconLeft * kTitleHeight);
    EXPECT_EQ(strip.Crop(0, band, w, kTitleHeight).Count(kTitleBlue), w * (kTitleHeight - band));

    const Image icon = strip.Crop(kIconLeft, kIconTop, iconRight, kIconTop + kIconSize);
    EXPECT_LT(icon.Count(kTitleBlue), kIconSize * kIconSize * 3 / 4);

    // "Area" in white, where the caption starts beside an icon, and no higher than its top.
    const PixelSet caption = Caption(strip, iconRight);
    ASSERT_GT(caption.count, 20);
    EXPECT_GE(caption.box.left + iconRight, kCaptionLeftWithIcon);
    EXPECT_LE(caption.box.left + iconRight, kCaptionLeftWithIcon + 2);
    EXPECT_GE(caption.box.top, kCaptionTop);
    EXPECT_LE(caption.box.bottom, kTitleHeight);
}

TEST_F(BarPaint, CaptionStartsAtEightWithoutSmallIcon) {
    // "Area" fits in 40 pixels; beside the icon it ends before the collapse button.
    constexpr int kCaptionWidth = 40;
    const int iconRight = kIconLeft + kIconSize;
    Image withIcon;
    ASSERT_TRUE(WaitButtons(IDB_CLOSE, IDB_COLLAPSE, &withIcon));
    ASSERT_GE(Caption(withIcon, iconRight).box.left + iconRight, kCaptionLeftWithIcon);
    m_bar.Stop();

    // The program again, with a resource library beside it that lacks the icon: the bar has no
    // small icon. (Wine does not pass WM_SETICON from another process, which would be simpler.)
    ASSERT_TRUE(m_bar.Start(ProgramCopy(L"bar-noicon")));
    const Image caption =
        withIcon.Crop(kCaptionLeftWithIcon, 0, kCaptionLeftWithIcon + kCaptionWidth, kTitleHeight);
    Image strip;
    EXPECT_TRUE(m_bar.WaitPixels(
        Strip(),
        [&](const Image& s) {
            return s.Crop(kCaptionLeftNoIcon, 0, kCaptionLeftNoIcon + kCaptionWidth,
                          kTitleHeight) == caption &&
                   Caption(s, kCaptionLeftNoIcon + kCaptionWidth).count == 0;
        },
        &strip))
        << "the same caption, 24 pixels further left";
    const PixelSet white = Caption(strip, 0);
    EXPECT_GE(white.box.left, kCaptionLeftNoIcon);
    EXPECT_LE(white.box.left, kCaptionLeftNoIcon + 2);
    EXPECT_GE(white.box.top, kCaptionTop);
    // Nothing but the fill left of the caption.
    EXPECT_EQ(strip.Crop(0, 0, kCaptionLeftNoIcon, kTitleHeight).Count(kTitleBlue),
              kCaptionLeftNoIcon * kTitleHeight);
}

TEST_F(BarPaint, TitleButtonsShowHoverAndPressedBitmaps) {
    const int w = Width();
    Image strip;
    ASSERT_TRUE(WaitButtons(IDB_CLOSE, IDB_COLLAPSE, &strip));

    MoveCursor(m_bar.ToScreen(CloseButtonX(w), kButtonY));
    EXPECT_TRUE(WaitButtons(IDB_CLOSE_HOVER, IDB_COLLAPSE, &strip)) << "pointer on close";
    MoveCursor(m_bar.ToScreen(CollapseButtonX(w), kButtonY));
    EXPECT_TRUE(WaitButtons(IDB_CLOSE, IDB_COLLAPSE_HOVER, &strip)) << "pointer on collapse";
    // Between the two buttons, and on the strip's last hover row: neither button.
    MoveCursor(m_bar.ToScreen(w - kCloseOffset, kButtonY));
    EXPECT_TRUE(WaitButtons(IDB_CLOSE, IDB_COLLAPSE, &strip)) << "pointer at W - 19";
    MoveCursor(m_bar.ToScreen(CloseButtonX(w), kHoverZoneBottom));
    EXPECT_TRUE(WaitButtons(IDB_CLOSE_HOVER, IDB_COLLAPSE, &strip)) << "pointer at y = 17";

    // A press shows the pressed bitmap; the button acts only on release, so none follows here.
    ASSERT_TRUE(m_bar.Press(CloseButtonX(w), kButtonY));
    EXPECT_TRUE(WaitButtons(IDB_CLOSE_PRESSED, IDB_COLLAPSE, &strip)) << "press on close";
    MoveCursor(m_bar.ToScreen(kClientWidth / 2, RowMiddle(0)));
    EXPECT_TRUE(WaitButtons(IDB_CLOSE, IDB_COLLAPSE, &strip)) << "pointer moved to a row";
    ASSERT_TRUE(m_bar.Press(CollapseButtonX(w), kButtonY));
    EXPECT_TRUE(WaitButtons(IDB_CLOSE, IDB_COLLAPSE_PRESSED, &strip)) << "press on collapse";
    EXPECT_TRUE(IsWindowVisible(m_bar.Bar()));
}

TEST_F(BarPaint, FoldedBarShowsTheExpandSet) {
    ASSERT_TRUE(m_bar.Click(CollapseButtonX(Width()), kButtonY));
    ASSERT_TRUE(m_bar.WaitWindow([](const RECT& r) {
        return r.right - r.left == kCollapsedWidth && r.bottom - r.top == kCollapsedHeight;
    }));
    const SIZE client = m_bar.ClientSize();
    const int w = client.cx;
    ASSERT_LT(w, kCollapseOffset); // the collapse button starts left of the client area

    // What shows of each button: the collapse button's left end lies outside the window.
    const auto waitFolded = [&](UINT expandId, UINT closeId) {
        const Image expandShown =
            ProgramBitmap(expandId).Crop(kCollapseOffset - w, 0, kCollapseWidth, client.cy);
        const Image closeShown = ProgramBitmap(closeId).Crop(0, 0, kCloseWidth, client.cy);
        return m_bar.WaitPixels(RECT{0, 0, w, client.cy}, [&](const Image& s) {
            return s.Crop(0, 0, w - kCloseOffset, client.cy) == expandShown &&
                   s.Crop(w - kCloseOffset, 0, w, client.cy) == closeShown;
        });
    };
    EXPECT_TRUE(waitFolded(IDB_EXPAND, IDB_CLOSE)) << "folded, at rest";
    const int expandX = CollapseButtonX(w);
    MoveCursor(m_bar.ToScreen(expandX, kButtonY));
    EXPECT_TRUE(waitFolded(IDB_EXPAND_HOVER, IDB_CLOSE)) << "folded, pointer on expand";
    ASSERT_TRUE(m_bar.Press(expandX, kButtonY));
    EXPECT_TRUE(waitFolded(IDB_EXPAND_PRESSED, IDB_CLOSE)) << "folded, expand pressed";

    ParkCursor();
    ASSERT_TRUE(m_bar.Release(expandX, kButtonY));
    ASSERT_TRUE(
        m_bar.WaitWindow([&](const RECT&) { return m_bar.ClientSize().cx == kClientWidth; }));
    EXPECT_TRUE(WaitButtons(IDB_CLOSE, IDB_COLLAPSE)) << "unfolded again";
}

class BarRows : public BarPaint {
protected:
    void SetUp() override {
        BarPaint::SetUp();
        ASSERT_TRUE(m_bar.AddAreasUpTo(3));
    }
};

TEST_F(BarRows, RowsShowTheirBitmapAndTextColour) {
    PixelSet text;
    EXPECT_TRUE(WaitRow(0, kCurrent, false, &text));
    EXPECT_NEAR((text.box.left + text.box.right) / 2, kClientWidth / 2, 3);
    EXPECT_TRUE(WaitRow(1, kOther, false));
    EXPECT_TRUE(WaitRow(2, kOther, false));

    // The pointer over a row turns its text red; the current row keeps its own background.
    MoveCursor(m_bar.ToScreen(kClientWidth / 2, RowMiddle(1)));
    EXPECT_TRUE(WaitRow(1, kOther, true));
    EXPECT_TRUE(WaitRow(0, kCurrent, false));
    MoveCursor(m_bar.ToScreen(kClientWidth / 2, RowMiddle(0)));
    EXPECT_TRUE(WaitRow(0, kCurrent, true));
    EXPECT_TRUE(WaitRow(1, kOther, false));
    // Up into the buttons: the row stays the hover row.
    MoveCursor(m_bar.ToScreen(kClientWidth / 2, kButtonY));
    EXPECT_TRUE(WaitButtons(IDB_CLOSE, IDB_COLLAPSE));
    EXPECT_TRUE(WaitRow(0, kCurrent, true));
    // Off the bar: no hover row any more.
    ParkCursor();
    EXPECT_TRUE(WaitRow(0, kCurrent, false));
}

TEST_F(BarRows, RenamedRowShowsItsNewNameCentredAndClipped) {
    PixelSet before;
    ASSERT_TRUE(WaitRow(1, kOther, false, &before));

    ASSERT_TRUE(m_bar.Rename(1, L"W"));
    PixelSet narrow;
    EXPECT_TRUE(WaitRow(1, kOther, false, &narrow));
    EXPECT_LT(narrow.Width(), before.Width() / 2);
    EXPECT_NEAR((narrow.box.left + narrow.box.right) / 2, kClientWidth / 2, 3);

    // Wider than the row: centred, so both ends are cut off.
    ASSERT_TRUE(m_bar.Rename(1, L"工作区工作区工作区工作区工作区"));
    Image shown;
    PixelSet wide;
    const Image background = RowBackground(kOther).Crop(0, 0, kClientWidth, kRowHeight - 1);
    ASSERT_TRUE(m_bar.WaitPixels(
        RECT{0, RowTop(1), kClientWidth, RowTop(1) + kRowHeight - 1},
        [&](const Image& s) {
            wide = Compare(s, background, kTolerance);
            // The rename box covers the whole row until the commit hides it: wait past it.
            return wide.box.left <= 2 && wide.box.right >= kClientWidth - 2 && wide.box.top >= 5 &&
                   wide.box.bottom <= 25;
        },
        &shown))
        << "text box " << Text(wide.box);
    EXPECT_GE(wide.box.top, 5);
    EXPECT_LE(wide.box.bottom, 25);
    // The rows around it are untouched by the long name.
    EXPECT_TRUE(WaitRow(0, kCurrent, false));
    EXPECT_TRUE(WaitRow(2, kOther, false));
}

} // namespace
