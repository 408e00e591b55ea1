#include "CDataExchange.h"
#include "CWnd.h"

void DDX_Control(CDataExchange* pDX, int idc, CWnd& control) {
    if (control.m_hWnd != nullptr) {
        return;
    }
    HWND item = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, idc);
    if (item != nullptr) {
        control.SubclassWindow(item);
    }
}
