#include "bar/CZelvanorDlg.h"
#include "areas/CrashGuard.h"
#include "areas/WindowTool.h"
#include "areas/WorkingArea.h"
#include "bar/CAboutDlg.h"
#include "bar/ProgramSkin.h"
#include "res/resource.h"

namespace {

// The shell announces a restarted taskbar with this; every tray icon must be added again.
// Registered when the bar is made, not at load: a copy running as the watcher touches the
// window system only when it has windows to show.
UINT g_taskbarCreated = 0;

// Run elevated, the program would not hear the shell's broadcast from a program of lower
// integrity (Explorer restarted) without this, and a hidden bar would have no icon to come back
// from. From user32 at run time: not every Windows the program starts on has it.
void LetTaskbarCreatedThrough(HWND hwnd) {
    using FilterFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    constexpr DWORD kAllow = 1; // MSGFLT_ALLOW
    const auto filter = reinterpret_cast<FilterFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "ChangeWindowMessageFilterEx")));
    if (filter) {
        filter(hwnd, g_taskbarCreated, kAllow, nullptr);
    }
}

} // namespace

BEGIN_MESSAGE_MAP(CZelvanorDlg, CDiyDialogEx)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_WM_MOUSEMOVE()
ON_WM_MOUSELEAVE()
ON_WM_RBUTTONDOWN()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_MOVE()
ON_MESSAGE(WM_SIZE, OnSizeChanged)
ON_COMMAND(ID_ADD_WORKING_AREA, OnAddWorkingArea)
ON_COMMAND(ID_TRAY_ADD_WORKING_AREA, OnAddWorkingArea)
ON_COMMAND(ID_DELETE_WORKING_AREA, OnDeleteWorkingArea)
ON_COMMAND(ID_RENAME_WORKING_AREA, OnRenameWorkingArea)
ON_EN_KILLFOCUS(IDC_RENAME_EDIT, OnRenameKillFocus)
ON_COMMAND(ID_TRAY_OPEN, OnTrayOpen)
ON_COMMAND(ID_TRAY_ABOUT, OnTrayAbout)
// Exit ends the modal run: the base's cancel, not ours (ours only hides the bar).
ON_COMMAND(ID_TRAY_EXIT, CDialog::OnCancel)
ON_MESSAGE(WM_TRAY_NOTIFY, OnTrayNotify)
ON_REGISTERED_MESSAGE(g_taskbarCreated, OnTaskbarCreated)
ON_WM_QUERYENDSESSION()
ON_WM_ENDSESSION()
ON_MESSAGE(WM_HOTKEY, OnHotKey)
ON_MESSAGE(WM_NOTIFY, OnNotify)
ON_MESSAGE(WM_ENTERMENULOOP, OnEnterMenuLoop)
ON_MESSAGE(WM_EXITMENULOOP, OnExitMenuLoop)
ON_WM_DESTROY()
ON_MESSAGE(WM_DISPLAYCHANGE, OnDisplayChange)
ON_MESSAGE(WM_SETTINGCHANGE, OnSettingChange)
END_MESSAGE_MAP()

CZelvanorDlg::CZelvanorDlg()
    : CDiyDialogEx(IDD_ZELVANOR_DIALOG, ProgramSkin::kCaption),
      m_hIcon(LoadIconW(AfxFindResourceHandle(MAKEINTRESOURCEW(IDR_MAINFRAME), RT_GROUP_ICON),
                        MAKEINTRESOURCEW(IDR_MAINFRAME))),
      m_smallIcon(static_cast<HICON>(
          LoadImageW(AfxFindResourceHandle(MAKEINTRESOURCEW(IDR_MAINFRAME), RT_GROUP_ICON),
                     MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                     GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR))),
      m_areaCounter(0), m_hoverArea(nullptr), m_menuArea(nullptr), m_currentArea(nullptr),
      m_mouseTracking(FALSE), m_trayIcon(IDR_TRAY_MENU), m_dialogFont{}, m_dialogFontDpi(0),
      m_collapsed(FALSE), m_sizeRepairs(0), m_menuOpen(FALSE) {
    g_taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
}

CZelvanorDlg::~CZelvanorDlg() {
    DeleteAllWorkingAreas();
    // Every held window is back: the watcher, which sees the process end next, has nothing to
    // show. Until here a fault or a kill still brings back what the areas held.
    m_keeper.ReleaseAll();
    // The members then go in reverse order: rename box, tray menu, tray icon (removed).
}

void CZelvanorDlg::DoDataExchange(CDataExchange* pDX) {
    CDiyDialogEx::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_RENAME_EDIT, m_renameEdit);
}

BOOL CZelvanorDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_dwStyle = GetStyle();
    SetDpi(DpiOfWindow(m_hWnd));
    m_layout = BarLayout::Metrics(Dpi());
    // The bar lays itself out at every DPI, its fonts included.
    LeaveDpiScalingToDialog(m_hWnd);
    ::GetObjectW(GetFont(), sizeof(m_dialogFont), &m_dialogFont);
    m_dialogFontDpi = Dpi();

    if (HMENU sysMenu = GetSystemMenu(FALSE)) {
        CString about;
        about.LoadString(IDS_ABOUTBOX);
        if (!about.IsEmpty()) {
            AppendMenuW(sysMenu, MF_SEPARATOR, 0, nullptr);
            AppendMenuW(sysMenu, MF_STRING, IDM_ABOUTBOX, about);
        }
    }
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(SmallIcon()));

    AddDefaultWorkingArea();
    ResizeToList();
    m_currentArea = m_areas.front().get();
    m_currentArea->m_selected = TRUE;

    SetWindowPos(&wndTopMost, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);

    LetTaskbarCreatedThrough(m_hWnd);
    m_trayMenu.LoadMenu(IDR_TRAY_MENU);
    m_trayIcon.m_pMenu = &m_trayMenu;
    m_trayIcon.m_nid.hWnd = m_hWnd;
    m_trayIcon.m_nid.uCallbackMessage = WM_TRAY_NOTIFY;
    m_trayIcon.SetIcon(SmallIcon(), L"Zelvanor");

    // From here on neither a fault nor a kill may leave windows hidden.
    CrashGuard::Install();
    m_keeper.EnsureWatcher();

    m_keys.Register(m_hWnd);
    m_rowTips.Create(m_hWnd, [this](int row) { return RowTipText(row); });
    m_rowTips.SetRows(static_cast<int>(m_areas.size()), m_layout);

    CenterWindow(nullptr);
    DockRight();
    return TRUE;
}

void CZelvanorDlg::OnOK() {
    HideBar();
}
void CZelvanorDlg::OnCancel() {
    HideBar();
}
void CZelvanorDlg::OnCaptionClose() {
    HideBar();
}

void CZelvanorDlg::HideBar() {
    // The tray icon is the only way back to a hidden bar, and so to a clean exit that brings
    // the hidden windows back: without it the bar stays.
    if (!m_trayIcon.EnsureShown(SmallIcon()))
        return;
    ShowWindow(SW_HIDE);
}

void CZelvanorDlg::OnSysCommand(UINT nID, LPARAM lParam) {
    switch (nID & 0xFFF0) {
    case IDM_ABOUTBOX: {
        CAboutDlg about;
        about.DoModal();
        return;
    }
    case SC_CLOSE:
        OnCaptionClose();
        return;
    default:
        CDiyDialogEx::OnSysCommand(nID, lParam);
    }
}

void CZelvanorDlg::OnTrayOpen() {
    ShowWindow(SW_SHOW);
    SetForegroundWindow();
}

void CZelvanorDlg::OnTrayAbout() {
    CAboutDlg about;
    about.DoModal();
}

LRESULT CZelvanorDlg::OnTrayNotify(WPARAM wParam, LPARAM lParam) {
    return m_trayIcon.OnTrayNotification(wParam, lParam);
}

LRESULT CZelvanorDlg::OnTaskbarCreated(WPARAM, LPARAM) {
    m_trayIcon.AddAgain(SmallIcon());
    return 0;
}

BOOL CZelvanorDlg::OnQueryEndSession() {
    // Applications are about to ask their users to save: their windows must be on screen. Note
    // which ones come back, in case the shutdown is cancelled.
    m_shownForSession.clear();
    for (const auto& area : m_areas) {
        if (area.get() == m_currentArea)
            continue;
        for (const WindowRecord& record : area->m_windows)
            if (WorkingArea::HidesWhenLeft(record) && !::IsWindowVisible(record.hwnd))
                m_shownForSession.push_back(record);
    }
    ShowHiddenWindows();
    return TRUE;
}

void CZelvanorDlg::OnEndSession(BOOL bEnding) {
    if (bEnding) {
        ShowHiddenWindows();
        // The Restart Manager (an installer updating the program) asks this program alone to
        // close: the session goes on, so it ends as the exit command ends it.
        if (m_currentMsg.lParam & ENDSESSION_CLOSEAPP)
            CDialog::OnCancel();
        return;
    }
    // Cancelled: what the query showed goes back to its areas, unless its program has shown or
    // closed it meanwhile. The areas still hold these windows, so the list has them already.
    for (const WindowRecord& record : m_shownForSession)
        if (WindowTool::IsSameWindow(record.hwnd, record.processId, record.threadId) &&
            ::IsWindowVisible(record.hwnd))
            m_keeper.Requests().Ask(record, SW_HIDE);
    m_shownForSession.clear();
}

void CZelvanorDlg::HoldWhatIsNotCurrent() {
    std::vector<const WorkingArea*> held;
    for (const auto& area : m_areas)
        if (area.get() != m_currentArea)
            held.push_back(area.get());
    m_keeper.Hold(held);
}

void CZelvanorDlg::ShowHiddenWindows() {
    for (const auto& area : m_areas)
        if (area.get() != m_currentArea)
            area->ShowHeld();
}
