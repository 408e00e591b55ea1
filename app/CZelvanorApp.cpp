#include "app/CZelvanorApp.h"
#include "bar/CZelvanorDlg.h"
#include "app/ResourceLibrary.h"
#include "areas/HeldWindowRecord.h"
#include "areas/WatcherProcess.h"
#include <commctrl.h>
#include <memory>

BEGIN_MESSAGE_MAP(CZelvanorApp, CWinApp)
ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()

CZelvanorApp::CZelvanorApp() : m_hResourceLibrary(nullptr) {}

CZelvanorApp::~CZelvanorApp() = default;

CZelvanorApp theApp;

BOOL CZelvanorApp::InitInstance() {
    // A copy started to watch over a running Zelvanor does only that.
    if (WatcherProcess::IsWatcherCommandLine()) {
        ::ExitProcess(static_cast<UINT>(WatcherProcess::Run()));
    }
    // Windows held by a Zelvanor that was ended together with its watcher come back before the
    // bar appears; this run's first area then owns them with the rest of the screen.
    HeldWindowRecord::RestoreLeftBehind();
    // An installer or Windows Update closes the bar through the Restart Manager, which starts
    // again the programs that asked it to: the bar and its keys come back after the update (and
    // after a restart of Windows, where the user lets Windows reopen their programs). Not after
    // a crash or a hang: the watcher has shown every window by then, and a bar that started by
    // itself would take them all into its first area, again and again if the fault recurs.
    ::RegisterApplicationRestart(nullptr, RESTART_NO_CRASH | RESTART_NO_HANG);
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    CWinApp::InitInstance();
    AfxEnableControlContainer();
    auto shellManager = std::make_unique<CShellManager>();
    SetRegistryKey(L"Zelvanor");

    m_hResourceLibrary = LoadResourceLibrary();
    if (m_hResourceLibrary)
        AfxSetResourceHandle(m_hResourceLibrary);

    {
        CZelvanorDlg dlg; // after the resource module is chosen: its icon comes from there
        m_pMainWnd = &dlg;
        dlg.DoModal();
        shellManager.reset();
    } // the bar's destructor shows every hidden window and removes the tray icon
    m_pMainWnd = nullptr;
    return FALSE;
}
