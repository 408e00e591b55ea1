#include "FrameworkTestSupport.h"

CFrameworkTestApp theApp;

BEGIN_MESSAGE_MAP(CFrameworkTestApp, CWinApp)
ON_COMMAND(ID_FW_APP_COMMAND, OnAppCommand)
END_MESSAGE_MAP()

std::vector<OriginalProcCall> g_originalProcCalls;

namespace {
LRESULT CALLBACK RecordingProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    g_originalProcCalls.push_back({hWnd, message, wParam, lParam});
    if (message == kOriginalAnswerMsg) {
        return kOriginalAnswer;
    }
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}

const wchar_t kClassName[] = L"ZelvanorFrameworkTestWindow";
} // namespace

WNDPROC TestWindowProc() {
    return &RecordingProc;
}

bool OriginalProcSaw(HWND hWnd, UINT message) {
    for (const OriginalProcCall& call : g_originalProcCalls) {
        if (call.hWnd == hWnd && call.message == message) {
            return true;
        }
    }
    return false;
}

void PumpMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > timeoutMs) {
            return done();
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        PumpMessages();
    }
    return true;
}

UniqueHwnd CreateTestWindow(int x, int y, int width, int height) {
    static ATOM atom = [] {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &RecordingProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = kClassName;
        return ::RegisterClassW(&wc);
    }();
    (void)atom;
    HWND hWnd =
        ::CreateWindowExW(0, kClassName, L"framework test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y,
                          width, height, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    PumpMessages();
    return UniqueHwnd(hWnd);
}
