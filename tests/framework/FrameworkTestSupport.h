#pragma once
// Shared by the framework tests: the application object and a plain test window whose own
// procedure records what reaches it.
#include "Framework.h"
#include "tests/framework/FrameworkTestResources.h"
#include "tests/support/TestHandles.h"
#include "tests/support/Wait.h"
#include <vector>

using namespace ztest;

// The one application object of the test program. Its map takes a command that no window
// handles, to show that dialogs route unhandled commands to it.
class CFrameworkTestApp : public CWinApp {
public:
    int m_appCommands = 0;
    afx_msg void OnAppCommand() { ++m_appCommands; }
    DECLARE_MESSAGE_MAP()
};
extern CFrameworkTestApp theApp;

// What the test window class's own procedure saw; it answers kOriginalAnswerMsg with
// kOriginalAnswer, so a test can tell that default processing reached it.
struct OriginalProcCall {
    HWND hWnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
extern std::vector<OriginalProcCall> g_originalProcCalls;
constexpr UINT kOriginalAnswerMsg = WM_APP + 50;
constexpr LRESULT kOriginalAnswer = 0x1234;
bool OriginalProcSaw(HWND hWnd, UINT message);
WNDPROC TestWindowProc();

// A visible top-level window of the recording class; destroyed by the owner.
UniqueWindow CreateTestWindow(int x = 100, int y = 100, int width = 300, int height = 200);
