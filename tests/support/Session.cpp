#include "tests/support/Session.h"

namespace ztest {

using ::testing::Each;

void Session::TearDown() {
    ReleasePointer();
    app.Stop();
    for (auto undo = m_undo.rbegin(); undo != m_undo.rend(); ++undo) {
        (*undo)();
    }
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
    for (HWND hwnd : m_synced) {
        EXPECT_TRUE(Answers(hwnd));
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
    case How::kKey: // taken in the bar's own time: once the row looks current, it has switched
        PressAreaKey(static_cast<WORD>('1' + row));
        asked = static_cast<bool>(RowLooksCurrent(row));
        break;
    }
    if (!asked) {
        return ::testing::AssertionFailure()
               << "the bar did not take the click or key of row " << row;
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
    // Typing never goes where no one can see.
    const auto hiddenKeyboard = [] {
        const HWND keyboard = GetForegroundWindow();
        return keyboard && !IsWindowVisible(keyboard) ? keyboard : nullptr;
    };
    if (!Eventually(hiddenKeyboard, ::testing::IsNull())) {
        return ::testing::AssertionFailure()
               << "after the switch to row " << row << " a hidden window keeps the keyboard: "
               << ::testing::PrintToString(hiddenKeyboard());
    }
    return RowLooksCurrent(row);
}

::testing::AssertionResult Session::Stacked(const Windows& order) const {
    auto stacked = Eventually([&] { return StackOf(order); }, ::testing::ElementsAreArray(order));
    if (!stacked || order.empty()) {
        return stacked << "\n  (the windows as they stand, top first)";
    }
    return Eventually(order.front(), Active());
}

HWND Session::StartCopy(const std::wstring& path, const std::wstring& args) {
    const std::wstring folder = path.substr(0, path.rfind(L'\\'));
    const bool made = CreateDirectoryW(folder.c_str(), nullptr) != FALSE;
    auto copy = std::make_shared<zhelper::HelperProcess>();
    m_undo.push_back([=] {
        copy->Stop();
        DeleteFileW(path.c_str());
        if (made) {
            RemoveDirectoryW(folder.c_str());
        }
    });
    EXPECT_TRUE(CopyFileW(zhelper::HelperPath().c_str(), path.c_str(), FALSE) &&
                copy->Start(args, path))
        << "no copy of the helper runs as " << path;
    m_synced.push_back(copy->Control());
    return copy->Special(zhelper::kNamedClass);
}

HWND Session::OpenRunDialog() {
    // Wine's shell is its taskbar's process; a click of the start button (none outside Wine's
    // own desktop) opens its menu, whose last item is Run.
    HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    DWORD shell = 0;
    GetWindowThreadProcessId(taskbar, &shell);
    PostMessageW(taskbar, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), 0);
    WaitUntil([&] { return OpenMenuOf(shell) != nullptr; });
    PostMessageW(taskbar, WM_KEYDOWN, VK_UP, KeyData(VK_UP));
    PostMessageW(taskbar, WM_KEYDOWN, VK_RETURN, KeyData(VK_RETURN));
    HWND run = WaitVisibleWindowOf(shell, L"#32770");
    m_synced.push_back(run);
    m_undo.push_back([run] { PostMessageW(run, WM_COMMAND, IDCANCEL, 0); });
    return run;
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
