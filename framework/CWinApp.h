#pragma once
#include <string>
#include "CCmdTarget.h"
#include "InertNames.h"

class CWnd;

// The one application object of the process; its constructor registers it. The program runs
// its own modal loop inside InitInstance, so there is no application message loop.
class CWinApp : public CCmdTarget, public CInertAppMembers {
    DECLARE_DYNAMIC(CWinApp)
public:
    explicit CWinApp(LPCWSTR appName = nullptr);
    ~CWinApp() override;

    LPCWSTR m_pszAppName = nullptr;
    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;

    virtual BOOL InitInstance();

    DECLARE_MESSAGE_MAP()

private:
    std::wstring m_appName;
};
