#include <windows.h>
#include "Afx.h"
#include "CWinApp.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) {
        return -1;
    }
    app->m_hInstance = instance;
    AfxSetResourceHandle(instance);
    if (!app->InitInstance()) {
        return app->ExitInstance();
    }
    return app->Run();
}
