#pragma once
#include "CBrush.h"
#include "CDialog.h"
#include "CSize.h"

class CDialogEx : public CDialog {
    DECLARE_DYNAMIC(CDialogEx)
public:
    enum BackgroundLocation {
        BACKGR_TILE,
        BACKGR_TOPLEFT,
        BACKGR_TOPRIGHT,
        BACKGR_BOTTOMLEFT,
        BACKGR_BOTTOMRIGHT
    };

    explicit CDialogEx(UINT templateId, CWnd* parent = nullptr);
    ~CDialogEx() override;

    void SetBackgroundColor(COLORREF color, BOOL repaint = TRUE);
    void SetBackgroundImage(HBITMAP bitmap, BackgroundLocation location = BACKGR_TILE,
                            BOOL autoDestroy = TRUE, BOOL repaint = TRUE);

    // The background brush for CTLCOLOR_DLG when one is set, else default processing.
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg BOOL OnNcActivate(BOOL bActive);

    HBITMAP m_hBkgrBitmap = nullptr;
    CSize m_sizeBkgrBitmap;
    CBrush m_brBkgr;
    BackgroundLocation m_BkgrLocation = BACKGR_TILE;
    BOOL m_bAutoDestroyBmp = FALSE;

    DECLARE_MESSAGE_MAP()
};
