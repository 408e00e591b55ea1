#pragma once
// Waiting in a test: other programs, and this thread's own windows, act at their own pace, so
// every wait pumps this thread's messages while it polls. Header-only, so that the benchmarks,
// which do not link the harness, wait the same way.
#include <windows.h>
#include <functional>

namespace ztest {

// Only a state that never comes should reach this bound.
constexpr DWORD kWaitMs = 20000;

// While set (null: none), messages for this dialog and its controls go through its dialog
// manager, as in the modal loop of the dialog that a test's code interrupts.
inline thread_local HWND t_pumpDialog = nullptr;

inline void PumpThroughDialog(HWND dialog) {
    t_pumpDialog = dialog;
}

// Dispatches everything queued for this thread.
inline void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (t_pumpDialog && IsDialogMessageW(t_pumpDialog, &msg)) {
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Polls `done`, pumping this thread's messages, until it holds or the bound passes.
inline bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = kWaitMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        PumpMessages();
        if (done()) {
            return true;
        }
        if (GetTickCount() - start > timeoutMs) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// Pumps this thread's messages for a while: time for windows to act and draw.
inline void PumpFor(DWORD ms) {
    WaitUntil([] { return false; }, ms);
}

} // namespace ztest
