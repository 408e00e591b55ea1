#pragma once
// One end-to-end case's world: the real program, the programs whose windows it hides and shows,
// and the verbs a case is written in. A case names only what differs from the defaults:
//
//     ASSERT_NO_FATAL_FAILURE(Start({.helper = L"--windows 3", .rows = 3}));
//     ASSERT_TRUE(Switch(1, {}, windows));
//     const Windows second = Open(2);
//     ASSERT_TRUE(Switch(0, windows, second, How::kKey));
//
// Everything a case starts ends with it, in TearDown, even when the case failed.
#include "tests/helpers/HelperProcess.h"
#include "tests/support/Matchers.h"
#include "tests/support/Notepad.h"
#include "tests/support/ZelvanorProcess.h"
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ztest {

using Windows = std::vector<HWND>;
inline Windows operator+(Windows a, const Windows& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class Session : public ::testing::Test {
public:
    struct Setup {
        std::wstring helper = L"--windows 2"; // ZWindowHelper's arguments; empty: not started
        std::wstring other = L"";             // a second helper program's; empty: none
        bool notepad = false;
        int rows = 2;    // the bar's rows once started, added with the add command
        int current = 0; // the row left current: a switch there from the first, checked
        std::wstring exe = ProgramPath();
        std::wstring folder = L""; // the program's current folder; empty: the tests' own
        HANDLE job = nullptr;
    };
    // The ways a user switches: a click on the row (sent, so handled before it returns), the
    // same posted (handled in the program's own time), a click of the real pointer, which
    // activates the bar first as a person's does, and the switch key of the row.
    enum class How { kClick, kPostedClick, kRealClick, kKey };

protected:
    void TearDown() override;

    // Starts the programs the setup names, then Zelvanor; `windows` are the helper's, all shown.
    // Use inside ASSERT_NO_FATAL_FAILURE.
    void Start(const Setup& setup);
    void Start();
    // Opens more windows of a helper program, shown in the current area.
    Windows Open(int count, const zhelper::HelperProcess& in);
    Windows Open(int count) { return Open(count, helper); }
    // Switches to a row and checks what a user would see: `shown` on screen, `hidden` not, the bar
    // still there, and the row drawn as the current one.
    ::testing::AssertionResult Switch(int row, const Windows& shown, const Windows& hidden = {},
                                      How how = How::kClick);
    ::testing::AssertionResult RowLooksCurrent(int row) const;
    // Every program started here has acted on what it was asked so far.
    void Sync() const;
    // Ends the program through the tray's exit; true once it has ended.
    bool Exit() { return app.Exit(); }
    // What Switch checks, for a switch that a case asked for itself (an arrow key, a key with no
    // row), once the bar has handled everything asked of it: with the row that was current, it
    // checks that nothing switched.
    ::testing::AssertionResult Switched(int row, const Windows& shown, const Windows& hidden = {});
    // Waits until these windows stand in this order, top first, the first with the keyboard.
    ::testing::AssertionResult Stacked(const Windows& order) const;
    // Starts a copy of the helper program made at `path` (its folder made if missing) with `args`
    // and returns its first window of a class `args` names. The copy goes with the session.
    HWND StartCopy(const std::wstring& path, const std::wstring& args);
    // The shell's Run dialog, opened from its start menu as a user does; closed with the session.
    HWND OpenRunDialog();

    // Declared first: they outlive the program, which restores their windows as it ends.
    zhelper::HelperProcess helper;
    zhelper::HelperProcess other;
    Notepad notepad;
    ZelvanorProcess app;
    Windows windows;      // the helper's windows at the start
    Windows otherWindows; // the second helper's

private:
    // The mean colour of a row where its background shows and no text is drawn.
    Colour Look(int row) const;
    Colour m_currentLook;
    Windows m_synced;                          // windows whose threads Sync waits for, too
    std::vector<std::function<void()>> m_undo; // at TearDown, last first, once the program ended
};

} // namespace ztest
