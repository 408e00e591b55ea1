#include "tests/skin/SkinTestSupport.h"

#include <gtest/gtest.h>

#include "tests/support/WineSettings.h"

namespace skintest {

namespace {

// Runs before the first window of the test program exists.
class SkinEnvironment : public ::testing::Environment {
public:
    void SetUp() override { DisableWindowManagerDecorations(); }
};

::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new SkinEnvironment);

const std::function<void(HWND)>* g_script = nullptr;
CDialog* g_dialog = nullptr;

void CALLBACK RunScript(HWND, UINT, UINT_PTR id, DWORD) {
    const HWND hwnd = g_dialog->m_hWnd;
    // The dialog shows a template without WS_VISIBLE when its loop first finds the queue empty,
    // which cannot happen while this runs: until then, only wait for the next tick.
    if (hwnd == nullptr || !IsWindowVisible(hwnd))
        return;
    KillTimer(nullptr, id);
    PumpThroughDialog(hwnd);
    PumpFor(30);
    (*g_script)(hwnd);
    PumpThroughDialog(nullptr);
    // EndDialog hides the window at once; a dialog still on screen was not ended.
    if (IsWindow(hwnd) && IsWindowVisible(hwnd))
        EndDialog(hwnd, -2);
}

} // namespace

INT_PTR RunModal(CDialog& dialog, const std::function<void(HWND)>& script) {
    g_script = &script;
    g_dialog = &dialog;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, RunScript);
    const INT_PTR result = dialog.DoModal();
    KillTimer(nullptr, timer);
    g_script = nullptr;
    g_dialog = nullptr;
    return result;
}

} // namespace skintest
