#include "tests/framework/FrameworkTestSupport.h"

CFrameworkTestApp theApp;

BEGIN_MESSAGE_MAP(CFrameworkTestApp, CWinApp)
ON_COMMAND(ID_FW_APP_COMMAND, OnAppCommand)
END_MESSAGE_MAP()

UniqueWindow CreateTestWindow(int x, int y, int width, int height) {
    UniqueWindow window =
        MessageLog::Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{x, y, x + width, y + height});
    PumpMessages();
    return window;
}
