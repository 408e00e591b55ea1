#pragma once
// Waiting in a test: other programs, and this thread's own windows, act at their own pace, so
// every wait pumps this thread's messages while it polls.
#include <windows.h>
#include <functional>

namespace ztest {

// Only a state that never comes should reach this bound.
constexpr DWORD kWaitMs = 20000;

// Dispatches everything queued for this thread.
void PumpMessages();
// Polls `done`, pumping this thread's messages, until it holds or the bound passes.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = kWaitMs);
// Pumps this thread's messages for a while: time for windows to act and draw.
void PumpFor(DWORD ms);
// While set (null: none), messages for `dialog` and its controls go through its dialog manager,
// as in the modal loop of the dialog that a test's code interrupts.
void PumpThroughDialog(HWND dialog);

} // namespace ztest
