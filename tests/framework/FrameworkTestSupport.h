#pragma once
// Shared by the framework tests: the application object and plain test windows of the harness's
// recording class, whose own procedure records what reaches it.
#include "Framework.h"
#include "tests/framework/FrameworkTestResources.h"
#include "tests/support/MessageLog.h"
#include "tests/support/Modal.h"
#include "tests/support/TestHandles.h"
#include "tests/support/Wait.h"

using namespace ztest;

// The one application object of the test program. Its map takes a command that no window
// handles, to show that dialogs route unhandled commands to it; it notes it in the current log.
class CFrameworkTestApp : public CWinApp {
public:
    afx_msg void OnAppCommand() { Note("app command"); }
    DECLARE_MESSAGE_MAP()
};
extern CFrameworkTestApp theApp;

// A visible top-level window of the recording class; destroyed by the owner.
UniqueWindow CreateTestWindow(int x = 100, int y = 100, int width = 300, int height = 200);
