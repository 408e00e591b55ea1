#include "tests/support/Session.h"

namespace ztest {

using ::testing::Each;

void Session::TearDown() {
    ReleasePointer();
    app.Stop();
}

void Session::Start(const Setup& setup) {
    if (!setup.helper.empty()) {
        ASSERT_TRUE(helper.Start(setup.helper));
        windows = helper.Windows();
    }
    if (!setup.other.empty()) {
        ASSERT_TRUE(other.Start(setup.other));
        otherWindows = other.Windows();
    }
    if (setup.notepad) {
        ASSERT_TRUE(notepad.Start());
    }
    ASSERT_TRUE(app.Start(setup.exe, setup.folder, setup.job)) << "the bar did not appear";
    // Row 0 is current at start-up: once it is painted and steady, its look is "current".
    Colour previous{-1, -1, -1};
    ASSERT_TRUE(WaitUntil([&] {
        Repaint(app.Bar());
        m_currentLook = Look(0);
        const bool steady = Distance(m_currentLook, previous) < 1;
        previous = m_currentLook;
        return steady && Distance(m_currentLook, Colour{0, 0, 0}) > 100 &&
               Distance(m_currentLook, Colour{255, 255, 255}) > 20;
    })) << "row 0 never painted";
    ASSERT_TRUE(app.AddAreasUpTo(setup.rows));
    ASSERT_TRUE(Eventually(windows + otherWindows, Each(Shown())));
    if (setup.current != 0) {
        ASSERT_TRUE(Switch(setup.current, {}, windows + otherWindows));
    }
}

void Session::Start() {
    Start(Setup{});
}

Windows Session::Open(int count, const zhelper::HelperProcess& in) {
    const int slot = static_cast<int>(in.Send(zhelper::kMsgOpen, static_cast<WPARAM>(count)));
    Windows opened;
    for (int i = 0; i < count; ++i) {
        opened.push_back(in.Window(slot + i));
    }
    EXPECT_TRUE(Eventually(opened, Each(Shown())));
    return opened;
}

void Session::Sync() const {
    for (const zhelper::HelperProcess* program : {&helper, &other}) {
        if (program->Control()) {
            EXPECT_TRUE(program->Sync());
        }
    }
    if (notepad.Window()) {
        EXPECT_TRUE(Answers(notepad.Window()));
    }
}

::testing::AssertionResult Session::Switch(int row, const Windows& shown, const Windows& hidden,
                                           How how) {
    const POINT at{Layout().clientWidth / 2, RowMiddle(row)};
    bool asked = true;
    switch (how) {
    case How::kClick:
        asked = app.ClickRow(row);
        break;
    case How::kPostedClick:
        asked = app.PostClick(at.x, at.y);
        break;
    case How::kRealClick:
        ClickAt(app.ToScreen(at.x, at.y));
        break;
    case How::kKey:
        PressAreaKey(static_cast<WORD>('1' + row));
        break;
    }
    if (!asked) {
        return ::testing::AssertionFailure() << "the bar did not take the click on row " << row;
    }
    return Switched(row, shown, hidden);
}

::testing::AssertionResult Session::Switched(int row, const Windows& shown, const Windows& hidden) {
    // A posted click or a key is handled in the bar's own time: a window that must stay would
    // otherwise be seen before the bar acted.
    if (!CaughtUp(app.Bar())) {
        return ::testing::AssertionFailure() << "the bar (" << (app.Visible() ? "shown" : "hidden")
                                             << ") did not paint after the switch to row " << row;
    }
    Sync();
    for (const auto& [which, state] : {std::pair{&shown, true}, std::pair{&hidden, false}}) {
        auto seen = state ? Eventually(*which, Each(Shown())) : Eventually(*which, Each(Hidden()));
        if (!seen) {
            return seen << "\n  after the switch to row " << row;
        }
    }
    if (!app.Visible()) {
        return ::testing::AssertionFailure() << "the switch to row " << row << " hid the bar";
    }
    return RowLooksCurrent(row);
}

::testing::AssertionResult Session::Stacked(const Windows& order) const {
    auto stacked =
        Eventually([&] { return StackOf(order); }, ::testing::ElementsAreArray(order));
    if (!stacked || order.empty()) {
        return stacked << "\n  (the windows as they stand, top first)";
    }
    return Eventually(order.front(), Active());
}

Colour Session::Look(int row) const {
    const BarLayout::Metrics layout = Layout();
    return app.CaptureClient(RECT{2, layout.RowTop(row) + 3, 20, layout.RowTop(row + 1) - 3})
        .Mean();
}

::testing::AssertionResult Session::RowLooksCurrent(int row) const {
    // Painting catches up with the program's state at its own pace: wait for the look, then
    // check the other rows, drawn before the current one.
    Colour look;
    if (!WaitUntil([&] {
            Repaint(app.Bar());
            look = Look(row);
            return Distance(look, m_currentLook) < 12;
        })) {
        return ::testing::AssertionFailure()
               << "row " << row << " looks (" << look.r << ", " << look.g << ", " << look.b
               << "), the current row (" << m_currentLook.r << ", " << m_currentLook.g << ", "
               << m_currentLook.b << ")";
    }
    for (int each = 0; each < app.Rows(); ++each) {
        if (each != row && Distance(Look(each), m_currentLook) <= 25) {
            return ::testing::AssertionFailure() << "row " << each << " looks current too";
        }
    }
    return ::testing::AssertionSuccess();
}

} // namespace ztest
