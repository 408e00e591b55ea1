#include "tests/support/Modal.h"
#include "tests/support/Wait.h"
#include <string>

namespace ztest {

namespace {

struct Run {
    const std::function<void(HWND)>* script;
    bool started;
};
thread_local Run* t_run = nullptr;

// The enabled dialog of this thread on screen: the modal one (its owner, if a dialog, is
// disabled).
HWND ModalDialog() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM out) {
            wchar_t cls[16] = L"";
            GetClassNameW(hwnd, cls, 16);
            if (std::wstring(cls) != L"#32770" || !IsWindowVisible(hwnd) ||
                !IsWindowEnabled(hwnd)) {
                return TRUE;
            }
            *reinterpret_cast<HWND*>(out) = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

bool Open(HWND dialog) {
    return IsWindow(dialog) && IsWindowVisible(dialog);
}

void CALLBACK RunScript(HWND, UINT, UINT_PTR timer, DWORD) {
    Run* run = t_run;
    // A dialog shows a template without WS_VISIBLE when its loop first finds the queue empty:
    // until then, the next tick.
    const HWND dialog = run && !run->started ? ModalDialog() : nullptr;
    if (!dialog) {
        return;
    }
    run->started = true;
    KillTimer(nullptr, timer);
    PumpThroughDialog(dialog);
    PumpMessages();
    RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    (*run->script)(dialog);
    // Input the script sent, or a message it posted, may be what ends the dialog.
    WaitUntil([dialog] { return !Open(dialog); });
    PumpThroughDialog(nullptr);
    // EndDialog hides the window at once; a dialog still on screen was not ended.
    if (Open(dialog)) {
        EndDialog(dialog, -2);
    }
}

} // namespace

INT_PTR RunModal(const std::function<INT_PTR()>& enter, const std::function<void(HWND)>& script) {
    Run run{&script, false};
    Run* const outer = t_run;
    t_run = &run;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, RunScript);
    const INT_PTR result = enter();
    KillTimer(nullptr, timer);
    t_run = outer;
    return result;
}

} // namespace ztest
