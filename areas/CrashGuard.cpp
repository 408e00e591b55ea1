#include "areas/CrashGuard.h"
#include "Afx.h"
#include "areas/WindowKeeper.h"
#include <csignal>
#include <exception>

namespace {

LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter = nullptr;
std::terminate_handler g_previousTerminate = nullptr;
volatile LONG g_installed = 0;
volatile LONG g_shown = 0;

// Once only, even if showing faults too.
void ShowHeldWindows() {
    if (::InterlockedExchange(&g_shown, 1) != 0) {
        return;
    }
    if (WindowKeeper* keeper = WindowKeeper::Current()) {
        keeper->ShowListed();
    }
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* info) {
    ShowHeldWindows();
    return g_previousFilter ? g_previousFilter(info) : EXCEPTION_CONTINUE_SEARCH;
}

[[noreturn]] void OnTerminate() {
    ShowHeldWindows();
    if (g_previousTerminate) {
        g_previousTerminate();
    }
    std::abort();
}

// abort raises SIGABRT first; when this returns, abort ends the process.
void OnAbort(int) {
    ShowHeldWindows();
}

// An exception out of a message handler ends the program as any other crash does.
void OnHandlerFault() {
    std::terminate();
}

// 64-bit Windows may swallow an exception that leaves a window procedure through a call-back
// of the system; the program would run on with its windows in no area. Opt out of that.
void StopSwallowingCallbackExceptions() {
    constexpr DWORD kCallbackFilterEnabled = 0x1; // PROCESS_CALLBACK_FILTER_ENABLED
    using GetPolicyFn = BOOL(WINAPI*)(LPDWORD);
    using SetPolicyFn = BOOL(WINAPI*)(DWORD);
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    const auto get = reinterpret_cast<GetPolicyFn>(
        reinterpret_cast<void*>(::GetProcAddress(kernel, "GetProcessUserModeExceptionPolicy")));
    const auto set = reinterpret_cast<SetPolicyFn>(
        reinterpret_cast<void*>(::GetProcAddress(kernel, "SetProcessUserModeExceptionPolicy")));
    DWORD flags = 0;
    if (get && set && get(&flags)) {
        set(flags & ~kCallbackFilterEnabled);
    }
}

} // namespace

void CrashGuard::Install() {
    if (::InterlockedExchange(&g_installed, 1) != 0) {
        return;
    }
    g_previousFilter = ::SetUnhandledExceptionFilter(OnUnhandledException);
    g_previousTerminate = std::set_terminate(OnTerminate);
    std::signal(SIGABRT, OnAbort);
    AfxSetHandlerFault(OnHandlerFault);
    StopSwallowingCallbackExceptions();
}
