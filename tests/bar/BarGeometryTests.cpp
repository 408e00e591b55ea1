// Where the bar is and how big: folding and unfolding, growing and shrinking with the list, and
// docking against the screen's edges and a taskbar whenever the bar is moved.
#include "tests/bar/BarFixture.h"
#include "tests/bar/FakeTaskbar.h"
#include <memory>
#include <string>

using namespace bartest;

namespace {

class BarGeometry : public BarTest {
protected:
    void SetUp() override {
        // The screen's edges only, unless a test puts a taskbar along one.
        m_noTaskbar = std::make_unique<FakeTaskbar>(
            RECT{m_cx / 2, m_cy / 2, m_cx / 2 + 10, m_cy / 2 + 10}, false);
        ASSERT_EQ(FindWindowW(L"Shell_TrayWnd", L""), m_noTaskbar->Handle());
        BarTest::SetUp();
    }

    const int m_cx = GetSystemMetrics(SM_CXSCREEN);
    const int m_cy = GetSystemMetrics(SM_CYSCREEN);
    std::unique_ptr<FakeTaskbar> m_noTaskbar;
};

TEST_F(BarGeometry, FoldingKeepsTheTopRightCornerAndUnfoldingTheRightEdge) {
    ASSERT_TRUE(m_bar.AddAreasUpTo(3));
    ASSERT_TRUE(MovesTo(600, 300, 600, 300));
    const RECT full = m_bar.WindowRect();
    const int w = Width();

    // Releases between the buttons or below the strip change nothing.
    for (POINT at : {POINT{w - kCloseOffset, kButtonY}, POINT{w - kCollapseOffset, kButtonY},
                     POINT{CollapseButtonX(w), RowMiddle(0)}}) {
        ASSERT_TRUE(m_bar.Release(at.x, at.y));
        EXPECT_EQ(Text(m_bar.WindowRect()), Text(full)) << "release at x = " << at.x;
        EXPECT_TRUE(IsWindowVisible(m_bar.Bar()));
    }

    ASSERT_TRUE(m_bar.Click(CollapseButtonX(w), kButtonY));
    EXPECT_TRUE(SettlesAt(
        RECT{full.right - kCollapsedWidth, full.top, full.right, full.top + kCollapsedHeight}));

    // The folded bar's collapse column starts left of its client area.
    ASSERT_TRUE(m_bar.Release(CollapseButtonX(Width()), kButtonY));
    EXPECT_TRUE(SettlesAt(full));
    EXPECT_EQ(m_bar.ClientSize().cx, kClientWidth);
    EXPECT_EQ(m_bar.ClientSize().cy, ClientHeightFor(3));
    EXPECT_TRUE(WaitButtons(IDB_CLOSE, IDB_COLLAPSE));
}

TEST_F(BarGeometry, AddingWhileFoldedGrowsToFullSizeAndStaysFolded) {
    ASSERT_TRUE(MovesTo(600, 300, 600, 300));
    const RECT one = m_bar.WindowRect();
    ASSERT_TRUE(m_bar.Release(CollapseButtonX(Width()), kButtonY));
    ASSERT_TRUE(SettlesAt(
        RECT{one.right - kCollapsedWidth, one.top, one.right, one.top + kCollapsedHeight}));

    ASSERT_TRUE(m_bar.Command(ID_ADD_WORKING_AREA));
    const RECT two{one.left, one.top, one.right, one.bottom + kRowHeight};
    EXPECT_TRUE(SettlesAt(two));
    EXPECT_TRUE(WaitButtons(IDB_CLOSE, IDB_EXPAND)) << "the button still offers to unfold";

    // The next release on it keeps the size and only clears the folded state.
    ASSERT_TRUE(m_bar.Release(CollapseButtonX(Width()), kButtonY));
    EXPECT_TRUE(WaitButtons(IDB_CLOSE, IDB_COLLAPSE));
    EXPECT_EQ(Text(m_bar.WindowRect()), Text(two));
}

TEST_F(BarGeometry, AddAndDeleteChangeTheHeightByOneRowKeepingTopAndLeft) {
    ASSERT_TRUE(MovesTo(600, 300, 600, 300));
    const RECT one = m_bar.WindowRect();
    const auto withRows = [&](int rows) {
        return RECT{one.left, one.top, one.right, one.bottom + (rows - 1) * kRowHeight};
    };
    ASSERT_TRUE(m_bar.Command(ID_ADD_WORKING_AREA));
    EXPECT_TRUE(SettlesAt(withRows(2)));
    ASSERT_TRUE(m_bar.Command(ID_ADD_WORKING_AREA));
    EXPECT_TRUE(SettlesAt(withRows(3)));

    ASSERT_TRUE(m_bar.TargetRow(1));
    ASSERT_TRUE(m_bar.Command(ID_DELETE_WORKING_AREA));
    EXPECT_TRUE(SettlesAt(withRows(2)));
    ASSERT_TRUE(m_bar.TargetRow(0)); // the current one
    ASSERT_TRUE(m_bar.Command(ID_DELETE_WORKING_AREA));
    EXPECT_TRUE(SettlesAt(withRows(1)));

    // A size the bar did not ask for (a window manager may hand back an old one) gives way to
    // the size of its list.
    ASSERT_TRUE(MoveWindow(m_bar.Bar(), one.left, one.top, one.right - one.left,
                           one.bottom - one.top + kRowHeight, TRUE));
    EXPECT_TRUE(SettlesAt(withRows(1)));
}

TEST_F(BarGeometry, DocksToEachScreenEdgeWithinFourPixels) {
    ASSERT_TRUE(m_bar.AddAreasUpTo(2));
    const RECT r = m_bar.WindowRect();
    const int w = r.right - r.left, h = r.bottom - r.top;
    const int in = kSnapDistance - 1; // nearest distance that is not docked: kSnapDistance
    const struct {
        int left, top, wantLeft, wantTop;
    } cases[] = {
        {in, 300, 0, 300},                                              // left edge at 4
        {-30, 300, 0, 300},                                             // beyond the left edge
        {kSnapDistance, 300, kSnapDistance, 300},                       // left edge at 5
        {600, in, 600, 0},                                              // top edge at 4
        {600, -20, 600, 0},                                             // beyond the top edge
        {600, kSnapDistance, 600, kSnapDistance},                       // top edge at 5
        {m_cx - in - w, 300, m_cx - w, 300},                            // right edge at cx - 4
        {m_cx + 30 - w, 300, m_cx - w, 300},                            // beyond the right
        {m_cx - kSnapDistance - w, 300, m_cx - kSnapDistance - w, 300}, // right at cx - 5
        {600, m_cy - in - h, 600, m_cy - h},                            // bottom at cy - 4
        {600, m_cy + 20 - h, 600, m_cy - h},                            // beyond the bottom
        {600, m_cy - kSnapDistance - h, 600, m_cy - kSnapDistance - h}, // bottom at cy - 5
        {m_cx - w - 2, m_cy - h - 2, m_cx - w, m_cy - h},               // bottom-right corner
        {3, 2, 0, 0},                                                   // top-left corner
        {-10, m_cy - h + 10, 0, m_cy - h},                              // bottom-left corner
        {m_cx - w + 10, -10, m_cx - w, 0},                              // top-right corner
    };
    for (const auto& c : cases)
        EXPECT_TRUE(MovesTo(c.left, c.top, c.wantLeft, c.wantTop));
}

TEST_F(BarGeometry, DocksBesideATaskbarOnEachEdge) {
    ASSERT_TRUE(m_bar.AddAreasUpTo(2));
    const RECT r = m_bar.WindowRect();
    const int w = r.right - r.left, h = r.bottom - r.top;
    const struct {
        const char* edge;
        RECT taskbar;
        int left, top, wantLeft, wantTop;
    } cases[] = {
        // Left and top: one pixel of space beside the taskbar.
        {"left", {0, 0, 40, m_cy}, 4, 300, 41, 300},
        {"top", {0, 0, m_cx, 30}, 600, 4, 600, 31},
        // Right and bottom: touching it.
        {"right", {m_cx - 40, 0, m_cx, m_cy}, m_cx - w - 2, 300, m_cx - 40 - w, 300},
        {"bottom", {0, m_cy - 30, m_cx, m_cy}, 600, m_cy - h - 2, 600, m_cy - 30 - h},
        // Off the screen's edge by a pixel: no taskbar for that edge.
        {"short of the bottom", {0, m_cy - 30, m_cx, m_cy - 1}, 600, m_cy - h - 2, 600, m_cy - h},
    };
    for (const auto& c : cases) {
        FakeTaskbar taskbar(c.taskbar);
        ASSERT_TRUE(taskbar.Handle() != nullptr);
        ASSERT_EQ(FindWindowW(L"Shell_TrayWnd", L""), taskbar.Handle()) << c.edge;
        EXPECT_TRUE(MovesTo(c.left, c.top, c.wantLeft, c.wantTop)) << "taskbar " << c.edge;
        // Away again, so that the next case starts from the middle of the screen.
        ASSERT_TRUE(MovesTo(600, 300, 600, 300));
    }
}

// A resize alone docks nothing: a bar docked at the bottom grew off the screen with each area.
TEST_F(BarGeometry, ABarDockedAtTheBottomStaysOnTheScreenAsItGrows) {
    const RECT r = m_bar.WindowRect();
    const int h = r.bottom - r.top;
    ASSERT_TRUE(MovesTo(600, m_cy - h - 2, 600, m_cy - h));
    for (int rows = 2; rows <= 3; ++rows) {
        ASSERT_TRUE(m_bar.Command(ID_ADD_WORKING_AREA));
        const RECT want{600, m_cy - h - (rows - 1) * kRowHeight, 600 + r.right - r.left, m_cy};
        EXPECT_TRUE(SettlesAt(want)) << rows << " rows";
    }
}

// Wine keeps its own taskbar window hidden, as an empty rectangle at (0, 0): neither a hidden
// nor an empty taskbar window may keep the bar a pixel off the left or top edge.
TEST_F(BarGeometry, AHiddenOrEmptyTaskbarWindowIsNoTaskbar) {
    m_noTaskbar.reset();
    for (const bool visible : {false, true}) {
        FakeTaskbar taskbar(RECT{0, 0, 0, 0}, visible);
        ASSERT_EQ(FindWindowW(L"Shell_TrayWnd", L""), taskbar.Handle());
        EXPECT_TRUE(MovesTo(3, 300, 0, 300)) << (visible ? "empty" : "hidden");
        EXPECT_TRUE(MovesTo(600, 3, 600, 0)) << (visible ? "empty" : "hidden");
        ASSERT_TRUE(MovesTo(600, 300, 600, 300));
    }
    FakeTaskbar hiddenOnTheLeft(RECT{0, 0, 40, m_cy}, false);
    EXPECT_TRUE(MovesTo(3, 300, 0, 300)) << "hidden along the left edge";
}

TEST_F(BarGeometry, BarTallerThanTheScreenDocksToTheTopAndStaysResponsive) {
    // 35 rows: 24 + 30 * 35 = 1074 client pixels, more than the screen's height. A bar that no
    // longer fits moves onto the screen, which docks it to the top.
    ASSERT_TRUE(m_bar.AddAreasUpTo(35));
    ASSERT_TRUE(m_bar.Answers(5000));
    const RECT r = m_bar.WindowRect();
    const int w = r.right - r.left;
    ASSERT_GT(r.bottom - r.top, m_cy);
    EXPECT_EQ(r.top, 0);

    EXPECT_TRUE(MovesTo(300, 200, 300, 0));
    EXPECT_TRUE(m_bar.Answers(5000));
    EXPECT_TRUE(MovesTo(300, -40, 300, 0));
    EXPECT_TRUE(MovesTo(-20, 300, 0, 0)) << "the left edge still docks";
    EXPECT_TRUE(MovesTo(m_cx - w + 3, 100, m_cx - w, 0)) << "and so does the right one";
    EXPECT_TRUE(m_bar.Answers(5000));

    // Beside a taskbar at the top it stops one pixel below it.
    FakeTaskbar taskbar(RECT{0, 0, m_cx, 30});
    ASSERT_EQ(FindWindowW(L"Shell_TrayWnd", L""), taskbar.Handle());
    EXPECT_TRUE(MovesTo(300, 200, 300, 31));
    EXPECT_TRUE(m_bar.Answers(5000));
}

} // namespace
