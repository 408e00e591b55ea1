#include "bar/CAboutDlg.h"

#include "bar/ProgramSkin.h"
#include "res/resource.h"

BEGIN_MESSAGE_MAP(CAboutDlg, CDiyDialogEx)
END_MESSAGE_MAP()

CAboutDlg::CAboutDlg()
    : CDiyDialogEx(IDD_ABOUTBOX, ProgramSkin::kCaption), m_btnOK(ProgramSkin::kGrayButton) {}

void CAboutDlg::DoDataExchange(CDataExchange* pDX) {
    CDiyDialogEx::DoDataExchange(pDX);
    DDX_Control(pDX, IDOK, m_btnOK);
}

BOOL CAboutDlg::OnInitDialog() {
    CDiyDialogEx::OnInitDialog();
    ScalePicture();
    // Centred on the monitor of the bar that owns it, wherever the taskbar is.
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    if (!::GetMonitorInfoW(::MonitorFromWindow(owner ? owner : m_hWnd, MONITOR_DEFAULTTOPRIMARY),
                           &info))
        ::SetRect(&info.rcMonitor, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                  GetSystemMetrics(SM_CYSCREEN));
    const CRect monitor(info.rcMonitor);
    CRect rect;
    GetWindowRect(&rect);
    const int w = rect.Width();
    const int h = rect.Height();
    MoveWindow(monitor.left + (monitor.Width() - w) / 2, monitor.top + (monitor.Height() - h) / 2,
               w, h, TRUE);
    return TRUE;
}

void CAboutDlg::ScalePicture() {
    HWND picture = nullptr;
    // The picture is the one bitmap static of the box.
    while ((picture = ::FindWindowExW(m_hWnd, picture, L"Static", nullptr)))
        if ((::GetWindowLongW(picture, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP)
            break;
    if (!picture || Dpi() == kBaseDpi)
        return;
    BITMAP info{};
    const auto shown =
        reinterpret_cast<HBITMAP>(::SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
    if (!shown || !::GetObjectW(shown, sizeof(info), &info))
        return;
    // The system's copy stretched smoothly to the picture's size at this DPI; the box keeps it.
    CClientDC screen(this);
    CDC source;
    CDC target;
    if (!source.CreateCompatibleDC(nullptr) || !target.CreateCompatibleDC(nullptr) ||
        !m_picture.CreateCompatibleBitmap(&screen, Px(info.bmWidth), Px(info.bmHeight)))
        return;
    {
        ScopedSelect from(source, shown);
        ScopedSelect to(target, m_picture);
        target.SetStretchBltMode(HALFTONE);
        target.StretchBlt(0, 0, Px(info.bmWidth), Px(info.bmHeight), &source, 0, 0, info.bmWidth,
                          info.bmHeight, SRCCOPY);
    }
    // The control hands back the picture it loaded from the template and no longer owns it.
    const auto replaced = reinterpret_cast<HBITMAP>(::SendMessageW(
        picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(HBITMAP(m_picture))));
    if (replaced && replaced != HBITMAP(m_picture))
        ::DeleteObject(replaced);
}
