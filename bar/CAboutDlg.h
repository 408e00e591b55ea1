// The program's About box: icon, picture, version line, copyright and one gray button.
#pragma once

#include "skin/CDiyDialogEx.h"
#include "skin/CGrayButton.h"

class CAboutDlg : public CDiyDialogEx {
public:
    CAboutDlg();

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

protected:
    CGrayButton m_btnOK;

    DECLARE_MESSAGE_MAP()
};
