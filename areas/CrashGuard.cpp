#include "areas/CrashGuard.h"
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

} // namespace

void CrashGuard::Install() {
    if (::InterlockedExchange(&g_installed, 1) != 0) {
        return;
    }
    g_previousFilter = ::SetUnhandledExceptionFilter(OnUnhandledException);
    g_previousTerminate = std::set_terminate(OnTerminate);
    std::signal(SIGABRT, OnAbort);
}
