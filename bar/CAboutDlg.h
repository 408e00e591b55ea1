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
    // Above 96 dpi the picture is shown stretched to its size there.
    void ScalePicture();

    CGrayButton m_btnOK;
    CBitmap m_picture;

    DECLARE_MESSAGE_MAP()
};
