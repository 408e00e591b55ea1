// How the bar follows the mouse: which rows a hover repaints, a row under renaming, and where a
// press on the title strip drags the bar. Driven by the real pointer and buttons where the
// system's own handling (drag, hover tracking) is part of the behaviour.
#include "tests/bar/BarFixture.h"

using namespace bartest;

namespace {

constexpr COLORREF kMarker = RGB(255, 0, 255);

class BarMouse : public BarTest {
protected:
    void SetUp() override {
        BarTest::SetUp();
        ASSERT_TRUE(m_bar.AddAreasUpTo(3));
        ASSERT_TRUE(WaitRow(2, kOther, false));
    }
};

class BarDrag : public BarMouse {
protected:
    // Presses the real left button at a client point, moves the pointer by (dx, dy) in steps
    // once the drag has begun and releases it when the bar has followed; the bar must end where
    // the pointer took it.
    ::testing::AssertionResult Drag(int x, int y, int dx, int dy) const {
        const RECT before = m_bar.WindowRect();
        RECT expected = before;
        OffsetRect(&expected, dx, dy);
        const POINT start = m_bar.ToScreen(x, y);
        const POINT end{start.x + dx, start.y + dy};
        MoveCursor(start);
        if (!m_bar.Answers())
            return ::testing::AssertionFailure() << "the bar does not answer";
        LeftButton(true);
        const bool dragging = WaitUntil([this] { return m_bar.InMoveLoop(); });
        for (int step = 1; step <= 4; ++step) {
            MoveCursor(POINT{start.x + dx * step / 4, start.y + dy * step / 4});
        }
        // The pointer rests at the end; a move the system dropped is made good by the next one.
        // A move to where the pointer already is reports no motion, so it goes by a pixel aside.
        int polls = 0;
        const bool followed = dragging && WaitUntil([&] {
                                  if (++polls % 20 == 0) {
                                      MoveCursor(POINT{end.x + 1, end.y});
                                      MoveCursor(end);
                                  }
                                  const RECT r = m_bar.WindowRect();
                                  return EqualRect(&r, &expected) != FALSE;
                              });
        LeftButton(false);
        const bool ended = WaitUntil([this] { return !m_bar.InMoveLoop(); });
        const RECT after = m_bar.WindowRect();
        if (dragging && followed && ended && EqualRect(&after, &expected))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "press at (" << x << ", " << y << "): " << (dragging ? "" : "no drag began; ")
               << (ended ? "" : "the drag did not end; ") << "expected " << Text(expected)
               << ", seen " << Text(after);
    }
};

TEST_F(BarMouse, HoverRepaintsOnlyTheRowsItCrosses) {
    // A mark painted over the third row stays until something draws that row again.
    const RECT markClient{10, RowTop(2) + 3, 110, RowTop(2) + 26};
    const POINT markTopLeft = m_bar.ToScreen(markClient.left, markClient.top);
    const auto marked = [](const Image& s) { return s.Count(kMarker) == 100 * 23; };
    // Once the bar has drawn all it had to and answered since, nothing of its own covers the
    // mark; a drawing that reached the screen late is painted over again.
    Repaint(m_bar.Bar());
    ASSERT_TRUE(WaitUntil([&] {
        FillScreen(RECT{markTopLeft.x, markTopLeft.y, markTopLeft.x + 100, markTopLeft.y + 23},
                   kMarker);
        return m_bar.Answers() && m_bar.Answers() && marked(m_bar.CaptureClient(markClient));
    }));

    MoveCursor(m_bar.ToScreen(kClientWidth / 2, RowMiddle(0)));
    EXPECT_TRUE(WaitRow(0, kCurrent, true));
    MoveCursor(m_bar.ToScreen(kClientWidth / 2, RowMiddle(1)));
    EXPECT_TRUE(WaitRow(1, kOther, true));
    EXPECT_TRUE(WaitRow(0, kCurrent, false));
    MoveCursor(m_bar.ToScreen(30, RowMiddle(1) + 5)); // within the row: nothing to repaint
    MoveCursor(m_bar.ToScreen(kClientWidth / 2, RowMiddle(0)));
    EXPECT_TRUE(WaitRow(0, kCurrent, true));
    EXPECT_TRUE(WaitRow(1, kOther, false));

    Image shown;
    EXPECT_TRUE(m_bar.WaitPixels(markClient, marked, &shown))
        << "the third row was repainted: " << shown.Count(kMarker) << " marked pixels left";
}

TEST_F(BarMouse, RowBeingRenamedIsNotPaintedOverByHover) {
    // The pointer stays off the bar: the moves come as messages, as the rename box covers the
    // row and would take a real pointer's moves itself.
    ASSERT_TRUE(m_bar.StartRename(1));
    const RECT rowClient{0, RowTop(1), kClientWidth, RowTop(1) + kRowHeight};
    Image box;
    ASSERT_TRUE(m_bar.WaitPixels(rowClient, [&](const Image& s) {
        const bool settled = s == box;
        box = s;
        return settled;
    }));
    // The box's border, where the row's own background is pale.
    ASSERT_GT(
        ChannelDistance(box.At(0, kRowHeight / 2), RowBackground(kOther).At(0, kRowHeight / 2)),
        64);

    ASSERT_TRUE(m_bar.MouseOver(kClientWidth / 2, RowMiddle(0)));
    EXPECT_TRUE(WaitRow(0, kCurrent, true));
    ASSERT_TRUE(m_bar.MouseOver(kClientWidth / 2, RowMiddle(1)));
    EXPECT_TRUE(WaitRow(0, kCurrent, false)); // the move onto the renamed row was handled
    ASSERT_TRUE(m_bar.MouseOver(kClientWidth / 2, RowMiddle(2)));
    EXPECT_TRUE(WaitRow(2, kOther, true)); // and so was the move off it
    ASSERT_TRUE(m_bar.Answers());
    EXPECT_EQ(m_bar.CaptureClient(rowClient), box);
    EXPECT_TRUE(IsWindowVisible(m_bar.RenameEdit()));
}

TEST_F(BarDrag, BandUnderTheButtonsHoversTheFirstRowButAPressThereDrags) {
    // The second row becomes current, so that a row selection by the press would show.
    ASSERT_TRUE(m_bar.ClickRow(1));
    ASSERT_TRUE(WaitRow(1, kCurrent, false));
    ASSERT_TRUE(WaitRow(0, kOther, false));

    // Between the buttons' last hover row and the rows.
    const int band = (kHoverZoneBottom + kTitleHeight) / 2;
    MoveCursor(m_bar.ToScreen(kClientWidth / 2, band));
    EXPECT_TRUE(WaitRow(0, kOther, true)) << "y = " << band << " hovers the first row";

    EXPECT_TRUE(Drag(kClientWidth / 2, band, -300, 60));
    ParkCursor();
    EXPECT_TRUE(WaitRow(1, kCurrent, false));
    EXPECT_TRUE(WaitRow(0, kOther, false));
}

TEST_F(BarDrag, PressesOnTheStripOffTheButtonsDragTheBar) {
    const int w = Width();
    // x = W - 19 and x = W - 45 lie between the buttons' columns; the last one is on the icon.
    int dx = -200;
    for (int x : {w - kCloseOffset, w - kCollapseOffset, kIconLeft + kIconSize / 4}) {
        EXPECT_TRUE(Drag(x, kButtonY, dx, 40));
        dx = -dx / 2;
    }
    EXPECT_TRUE(IsWindowVisible(m_bar.Bar()));
    EXPECT_EQ(m_bar.ClientSize().cx, kClientWidth);
}

TEST_F(BarDrag, PressOnAButtonShowsItPressedAndDragsNothing) {
    const int w = Width();
    const struct {
        int x;
        UINT closeId, collapseId;
    } buttons[] = {{CloseButtonX(w), IDB_CLOSE_PRESSED, IDB_COLLAPSE},
                   {CollapseButtonX(w), IDB_CLOSE, IDB_COLLAPSE_PRESSED}};
    for (const auto& button : buttons) {
        const RECT before = m_bar.WindowRect();
        MoveCursor(m_bar.ToScreen(button.x, kButtonY));
        ASSERT_TRUE(m_bar.Answers());
        LeftButton(true);
        EXPECT_TRUE(WaitButtons(button.closeId, button.collapseId)) << "button at x = " << button.x;
        // A drag would have begun by the time the bar has answered twice.
        ASSERT_TRUE(m_bar.Answers());
        ASSERT_TRUE(m_bar.Answers());
        EXPECT_FALSE(m_bar.InMoveLoop()) << "button at x = " << button.x;
        // Away over the desktop and released there: the button never sees the release.
        MoveCursor(POINT{before.left - 250, before.top + 120});
        LeftButton(false);
        ASSERT_TRUE(m_bar.Answers());
        const RECT after = m_bar.WindowRect();
        EXPECT_TRUE(EqualRect(&before, &after)) << "button at x = " << button.x;
        EXPECT_TRUE(IsWindowVisible(m_bar.Bar()));
    }
}

} // namespace
