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
    // Centred on the primary screen, wherever the bar and the taskbar are.
    CRect rect;
    GetWindowRect(&rect);
    const int w = rect.Width();
    const int h = rect.Height();
    MoveWindow((GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w,
               h, TRUE);
    return TRUE;
}
