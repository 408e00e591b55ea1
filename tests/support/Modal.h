#pragma once
// Modal loops with a script: a test enters a modal loop of its own thread (a dialog's DoModal, a
// message box) and acts from inside it once its window is on screen, as a user would while the
// loop waits.
#include <windows.h>
#include <gtest/gtest.h>
#include <functional>

namespace ztest {

// Runs `enter`, which runs a modal loop and returns its result. Once a dialog of this thread is
// on screen and painted, `script` runs inside the loop with it, the harness's pumps passing keys
// through its dialog manager; then the loop is given time to end. A dialog still open then is
// ended with -2, so that a missing ending shows as a wrong result.
INT_PTR RunModal(const std::function<INT_PTR()>& enter, const std::function<void(HWND)>& script);

template <typename Dialog>
INT_PTR RunModal(Dialog& dialog, const std::function<void(HWND)>& script) {
    return RunModal([&dialog] { return static_cast<INT_PTR>(dialog.DoModal()); }, script);
}

// Looks at a dialog: `script` runs inside its modal loop, then the dialog is ended with IDOK,
// which its loop must return.
template <typename Dialog>
void WhileShown(Dialog& dialog, const std::function<void(HWND)>& script) {
    EXPECT_EQ(IDOK, RunModal(dialog, [&](HWND hwnd) {
                  script(hwnd);
                  EndDialog(hwnd, IDOK);
              }));
}

} // namespace ztest
