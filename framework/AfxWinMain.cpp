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
    // The application's whole life runs inside InitInstance.
    app->InitInstance();
    return 0;
}
