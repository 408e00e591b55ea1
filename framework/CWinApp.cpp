#include "CWinApp.h"
#include "Afx.h"

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

// The C runtime's reference to wWinMain comes after the framework library in the link line, so
// the application object, which every program links, pulls the framework's entry point in.
__attribute__((used)) static int(WINAPI* const s_entryPoint)(HINSTANCE, HINSTANCE, LPWSTR,
                                                             int) = &wWinMain;

namespace {
// The executable's file name without folder and extension.
std::wstring ExecutableBaseName() {
    wchar_t path[MAX_PATH] = {};
    DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path, length);
    size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) {
        name.erase(0, slash + 1);
    }
    size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos) {
        name.erase(dot);
    }
    return name;
}
} // namespace

CWinApp::CWinApp(LPCWSTR appName) {
    AfxSetApp(this);
    m_hInstance = ::GetModuleHandleW(nullptr);
    m_appName = appName ? std::wstring(appName) : ExecutableBaseName();
    m_pszAppName = m_appName.c_str();
}

CWinApp::~CWinApp() {
    if (AfxGetApp() == this) {
        AfxSetApp(nullptr);
    }
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}
