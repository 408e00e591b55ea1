#include "Afx.h"
#include "CWinApp.h"

namespace {
CWinApp* g_app = nullptr;
HINSTANCE g_resourceHandle = nullptr;
} // namespace

void AfxSetApp(CWinApp* app) {
    g_app = app;
}

CWinApp* AfxGetApp() {
    return g_app;
}

CWnd* AfxGetMainWnd() {
    return g_app ? g_app->m_pMainWnd : nullptr;
}

HINSTANCE AfxGetInstanceHandle() {
    if (g_app != nullptr && g_app->m_hInstance != nullptr) {
        return g_app->m_hInstance;
    }
    return ::GetModuleHandleW(nullptr);
}

HINSTANCE AfxGetResourceHandle() {
    return g_resourceHandle ? g_resourceHandle : AfxGetInstanceHandle();
}

void AfxSetResourceHandle(HINSTANCE instance) {
    g_resourceHandle = instance;
}

HINSTANCE AfxFindResourceHandle(LPCWSTR, LPCWSTR) {
    return AfxGetResourceHandle();
}
