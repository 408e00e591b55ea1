#pragma once
#include <windows.h>

class CWnd;

// What a dialog's DoDataExchange works on: the dialog and the direction.
class CDataExchange {
public:
    CDataExchange(CWnd* dlgWnd, BOOL saveAndValidate)
        : m_pDlgWnd(dlgWnd), m_bSaveAndValidate(saveAndValidate) {}

    CWnd* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
};

// Subclasses the dialog's control `idc` with `control`, once.
void DDX_Control(CDataExchange* pDX, int idc, CWnd& control);
