// The bar on two monitors, the second to the right of the primary or to its left (at negative
// coordinates): it stays where it is dropped there, docks to that monitor's edges and beside a
// taskbar there, is carried over a boundary, keeps its growth on its monitor, centres its About
// box there, and comes back onto the primary when the second monitor goes. tools/test.sh runs
// these on a display with a stand-in Xinerama library; elsewhere they skip.
#include "tests/bar/BarFixture.h"
#include "tests/bar/FakeTaskbar.h"
#include "tests/bar/MonitorLayout.h"

using namespace bartest;

namespace {

struct Side {
    const char* name;
    const char* layout; // the primary first; Wine puts it at (0, 0)
};
const Side kRight{"right", "1280x1024+0+0\n1024x768+1280+0\n"};
const Side kLeft{"left", "1280x1024+1024+0\n1024x768+0+0\n"};

class BarOnMonitors : public BarTest, public ::testing::WithParamInterface<Side> {
protected:
    void SetUp() override {
        const std::string why = MonitorLayout::Unavailable();
        if (!why.empty())
            GTEST_SKIP() << why;
        ASSERT_TRUE(m_layout.Set(GetParam().layout));
        const std::vector<RECT> monitors = MonitorLayout::Monitors();
        ASSERT_EQ(monitors.size(), 2u);
        m_primary = monitors[0];
        m_second = monitors[1];
        BarTest::SetUp();
    }

    MonitorLayout m_layout; // declared first: the layout comes back after the bar has gone
    RECT m_primary{};
    RECT m_second{};
};

TEST_P(BarOnMonitors, LivesOnTheSecondMonitorAndComesBackWhenItGoes) {
    const RECT& s = m_second;
    const RECT start = m_bar.WindowRect();
    const int w = start.right - start.left, h = start.bottom - start.top;
    const int x = s.left + 200;

    EXPECT_TRUE(MovesTo(x, s.top + 150, x, s.top + 150)) << "dropped inside the second monitor";
    EXPECT_TRUE(MovesTo(s.left + 2, 150, s.left, 150)) << "its left edge";
    EXPECT_TRUE(MovesTo(s.right - w - 2, 150, s.right - w, 150)) << "its right edge";
    EXPECT_TRUE(MovesTo(x, s.top + 2, x, s.top)) << "its top edge";
    EXPECT_TRUE(MovesTo(x, s.bottom - h - 2, x, s.bottom - h)) << "its bottom edge";

    // Across the boundary: the monitor holding most of the bar is the one it docks on.
    const bool right = GetParam().layout == kRight.layout;
    const int boundary = right ? s.left : s.right;
    const int mostlySecond = right ? boundary - w / 3 : boundary - 2 * w / 3;
    EXPECT_TRUE(MovesTo(mostlySecond, 300, right ? boundary : boundary - w, 300));
    const int mostlyPrimary = right ? boundary - 2 * w / 3 : boundary - w / 3;
    EXPECT_TRUE(MovesTo(mostlyPrimary, 300, right ? boundary - w : boundary, 300));

    {
        // A taskbar along the second monitor's bottom edge; the list grows into it and stops.
        const RECT bar{s.left, s.bottom - 40, s.right, s.bottom};
        FakeTaskbar taskbar(bar, true, L"Shell_SecondaryTrayWnd");
        ASSERT_NE(taskbar.Handle(), nullptr);
        EXPECT_TRUE(MovesTo(x, s.bottom - h - 2, x, bar.top - h)) << "beside the taskbar";
        ASSERT_TRUE(m_bar.AddAreasUpTo(3));
        EXPECT_TRUE(m_bar.WaitWindow([&](const RECT& r) {
            return r.left == x && r.bottom == bar.top && r.bottom - r.top > h;
        })) << "grown, seen "
            << Text(m_bar.WindowRect());
    }

    // The About box centres on the bar's monitor.
    ASSERT_TRUE(m_bar.Post(WM_COMMAND, ID_TRAY_ABOUT));
    const HWND about = m_bar.WaitDialog();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(GetWindow(about, GW_OWNER), m_bar.Bar());
    const RECT box = WindowRect(about);
    EXPECT_EQ(box.left, s.left + (s.right - s.left - (box.right - box.left)) / 2);
    EXPECT_EQ(box.top, s.top + (s.bottom - s.top - (box.bottom - box.top)) / 2);
    PostMessageW(about, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }));

    // The second monitor goes: the bar moves onto the primary and docks to the edge it meets.
    ASSERT_TRUE(MovesTo(x, 200, x, 200));
    const std::string both = GetParam().layout;
    ASSERT_TRUE(m_layout.Set(both.substr(0, both.find('\n') + 1)));
    EXPECT_TRUE(m_bar.WaitWindow([&](const RECT& r) {
        return r.top == 200 && (right ? r.right == m_primary.right : r.left == m_primary.left);
    })) << "seen "
        << Text(m_bar.WindowRect());
}

INSTANTIATE_TEST_SUITE_P(Sides, BarOnMonitors, ::testing::Values(kRight, kLeft),
                         [](const ::testing::TestParamInfo<Side>& param) {
                             return std::string(param.param.name);
                         });

} // namespace
