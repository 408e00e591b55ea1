#pragma once
// The fixture of every bar test: a fresh Zelvanor.exe with the pointer parked off its bar, ended
// after the test. A failing test leaves a picture of the screen around the bar beside the tests.
//
// Wine hands a window that it activates to the X window manager, which then answers the
// window's moves and resizes in its own time; Wine replays its stale answers onto the window (a
// bar just folded or moved is put back where it was a moment before), and a drag becomes the
// window manager's, following only the X server's own pointer, which input sent through the
// system cannot move. So the tests run a copy of the program under another name that Wine keeps
// out of the window manager's hands (its per-program "Managed" setting): it places, paints and
// drags itself as it would on Windows.
#include "tests/support/ZelvanorProcess.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace bartest {

using namespace ztest;
using namespace BarLayout;

// Backgrounds may differ from the test's own drawing by rounding; text differs by far more.
constexpr int kTolerance = 8;

class BarTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    int Width() const { return m_bar.ClientSize().cx; }
    // Moves the bar and waits for it to settle at (wantLeft, wantTop) with its size unchanged.
    ::testing::AssertionResult MovesTo(int left, int top, int wantLeft, int wantTop) const;
    // Waits until the bar's window is `want`; the failure says where it is.
    ::testing::AssertionResult SettlesAt(const RECT& want) const;
    static std::string Text(const RECT& r);
    // Copies the program, under the name Wine keeps out of the window manager's hands, into a
    // folder below the tests' folder (empty: the tests' folder itself); the path to start it by.
    // The copy goes with the test.
    std::wstring ProgramCopy(const std::wstring& folder);

    enum RowKind { kOther, kCurrent };
    // A row's background as the bar should show it, drawn by the test from the same bitmap.
    static const Image& RowBackground(RowKind kind);
    // Waits until a row shows its background with its name centred on it, in grey or, for the
    // hover row, in red. The box of the pixels off the background is returned in `text`.
    ::testing::AssertionResult WaitRow(int row, RowKind kind, bool hover,
                                       PixelSet* text = nullptr) const;
    // Waits until the close and collapse buttons show these bitmaps; the title strip in `strip`.
    bool WaitButtons(UINT closeId, UINT collapseId, Image* strip = nullptr) const;

    ZelvanorProcess m_bar;

private:
    std::vector<std::wstring> m_copies;
};

} // namespace bartest
