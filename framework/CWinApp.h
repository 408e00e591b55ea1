#pragma once
#include <string>
#include "CCmdTarget.h"

class CWnd;

#ifndef ID_HELP
#define ID_HELP 0xE146
#endif

#define AFX_RESTART_MANAGER_SUPPORT_RESTART 0x01
#define AFX_RESTART_MANAGER_SUPPORT_RECOVERY 0x02
#define AFX_RESTART_MANAGER_AUTOSAVE_AT_RESTART 0x04
#define AFX_RESTART_MANAGER_AUTOSAVE_AT_INTERVAL 0x08
#define AFX_RESTART_MANAGER_REOPEN_PREVIOUS_FILES 0x10
#define AFX_RESTART_MANAGER_RESTORE_AUTOSAVED_FILES 0x20
#define AFX_RESTART_MANAGER_SUPPORT_ALL_ASPECTS 0x3F

// The one application object of the process; its constructor registers it.
class CWinApp : public CCmdTarget {
    DECLARE_DYNAMIC(CWinApp)
public:
    explicit CWinApp(LPCWSTR appName = nullptr);
    ~CWinApp() override;

    LPCWSTR m_pszAppName = nullptr;
    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;
    LPCWSTR m_pszRegistryKey = nullptr;
    DWORD m_dwRestartManagerSupportFlags = 0;

    virtual BOOL InitInstance();
    // The message loop; returns ExitInstance() when WM_QUIT arrives.
    virtual int Run();
    virtual int ExitInstance();

    void SetRegistryKey(LPCWSTR key);
    afx_msg void OnHelp();

    DECLARE_MESSAGE_MAP()

private:
    std::wstring m_appName;
    std::wstring m_registryKey;
    int m_exitCode = 0;
};
