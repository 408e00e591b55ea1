#include "CDialogEx.h"

IMPLEMENT_DYNAMIC(CDialogEx, CDialog)

BEGIN_MESSAGE_MAP(CDialogEx, CDialog)
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CDialogEx::CDialogEx(UINT templateId, CWnd* parent) : CDialog(templateId, parent) {}

CDialogEx::~CDialogEx() {
    if (m_bAutoDestroyBmp && m_hBkgrBitmap != nullptr) {
        ::DeleteObject(m_hBkgrBitmap);
    }
}

void CDialogEx::SetBackgroundColor(COLORREF color, BOOL repaint) {
    m_brBkgr.DeleteObject();
    m_brBkgr.CreateSolidBrush(color);
    if (repaint && IsWindow()) {
        Invalidate();
        UpdateWindow();
    }
}

void CDialogEx::SetBackgroundImage(HBITMAP bitmap, BackgroundLocation location, BOOL autoDestroy,
                                   BOOL repaint) {
    if (m_bAutoDestroyBmp && m_hBkgrBitmap != nullptr && m_hBkgrBitmap != bitmap) {
        ::DeleteObject(m_hBkgrBitmap);
    }
    m_hBkgrBitmap = bitmap;
    m_BkgrLocation = location;
    m_bAutoDestroyBmp = autoDestroy;
    BITMAP info = {};
    if (bitmap != nullptr && ::GetObjectW(bitmap, sizeof(info), &info) != 0) {
        m_sizeBkgrBitmap = CSize(info.bmWidth, info.bmHeight);
    } else {
        m_sizeBkgrBitmap = CSize();
    }
    if (repaint && IsWindow()) {
        Invalidate();
        UpdateWindow();
    }
}

HBRUSH CDialogEx::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    if (nCtlColor == CTLCOLOR_DLG && m_brBkgr.GetSafeHandle() != nullptr) {
        return m_brBkgr;
    }
    return CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
}

BOOL CDialogEx::OnNcActivate(BOOL bActive) {
    return CDialog::OnNcActivate(bActive);
}
