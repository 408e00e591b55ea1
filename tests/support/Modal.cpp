#include "tests/support/Modal.h"
#include "tests/support/Desktop.h"
#include "tests/support/Wait.h"
#include <utility>

namespace ztest {

namespace {

thread_local const std::function<void(HWND)>* t_script = nullptr;

// The modal dialog of this thread: on screen and enabled (an owner it disables is not).
BOOL CALLBACK FindModal(HWND hwnd, LPARAM found) {
    if (ClassOf(hwnd) != L"#32770" || !IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
}

void CALLBACK RunScript(HWND, UINT, UINT_PTR timer, DWORD) {
    // A dialog shows a template without WS_VISIBLE when its loop first finds the queue empty:
    // until then, the next tick.
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindModal, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog || !t_script)
        return;
    KillTimer(nullptr, timer);
    const auto* const script = std::exchange(t_script, nullptr);
    const auto open = [dialog] { return IsWindow(dialog) && IsWindowVisible(dialog); };
    PumpThroughDialog(dialog);
    PumpMessages();
    RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    (*script)(dialog);
    // Input the script sent, or a message it posted, may be what ends the dialog.
    WaitUntil([&] { return !open(); });
    PumpThroughDialog(nullptr);
    // EndDialog hides the window at once; a dialog still on screen was not ended.
    if (open())
        EndDialog(dialog, -2);
}

} // namespace

INT_PTR RunModal(const std::function<INT_PTR()>& enter, const std::function<void(HWND)>& script) {
    const auto* const outer = std::exchange(t_script, &script);
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, RunScript);
    const INT_PTR result = enter();
    KillTimer(nullptr, timer);
    t_script = outer;
    return result;
}

} // namespace ztest
