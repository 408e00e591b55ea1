#include "tests/framework/FrameworkTestSupport.h"

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

UniqueWindow CreateTestWindow(int x, int y, int width, int height) {
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
    return UniqueWindow(hWnd);
}
