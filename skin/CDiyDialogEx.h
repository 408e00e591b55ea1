// Dialog base that draws its own non-client area: frame strips with a one-pixel outline, a flat
// caption with bitmap buttons, and the menu bar. Derived dialogs also get white control colours
// and a few small services (message boxes, the small icon, text measuring, a close action).
#pragma once

#include "Framework.h"

class CDiyDialogEx : public CDialogEx {
    DECLARE_DYNAMIC(CDiyDialogEx)

public:
    // The states of a bitmap button, each with a bitmap of its own.
    enum ButtonState { kNormal = 0, kHover = 1, kPressed = 2, kButtonStates = 3 };
    // The program's bitmaps of the caption buttons, one per state.
    struct CaptionBitmaps {
        UINT close[kButtonStates];
        UINT maximize[kButtonStates];
        UINT restore[kButtonStates]; // the maximize button of a maximized window
        UINT minimize[kButtonStates];
    };

    CDiyDialogEx(UINT templateId, const CaptionBitmaps& captionBitmaps);
    ~CDiyDialogEx() override;

    BOOL OnInitDialog() override;
    // With desktop composition DWM would draw its own frame and caption over the skin's: it is
    // told not to, before the window is first shown.
    void PreSubclassWindow() override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT type);

    // Caption-button hit test of a screen point; everything else keeps defaultHit.
    UINT HitTestCaption(UINT defaultHit, int x, int y);

    // Own virtual operations, offered to derived dialogs.
    virtual void DrawCaptionButtons(CDC* dc, int closeState, int maxState, int minState);
    virtual void DrawFrame(CDC* dc, COLORREF fill);
    virtual void DrawCaption(CDC* dc, COLORREF inactiveFill, COLORREF activeFill);
    virtual void DrawMenuBar(CDC* dc, CMenu* menu, COLORREF back);
    virtual void DrawBitmap(CDC* dc, UINT bitmapId, int x, int y);
    virtual HICON GetSmallIcon();
    virtual CSize MeasureText(CString text);
    virtual void EraseBackground(CDC* dc, CRect rect);
    virtual void PaintBackground(CDC* dc, CRect rect);
    virtual void RedrawNonClient();
    virtual BOOL OnNcActivate(BOOL active);
    virtual void OnInitMenu(CMenu* menu);
    virtual void OnActivateApp(BOOL active, DWORD threadId);
    virtual void OnMeasureItem(int id, LPMEASUREITEMSTRUCT mis);
    virtual void OnDrawItem(int id, LPDRAWITEMSTRUCT dis);
    virtual int ShowMessage(LPCTSTR text, LPCTSTR caption, UINT type);
    virtual void OnCaptionClose();

    // The DPI the dialog is drawn at, and a 96-dpi size in pixels at it.
    int Dpi() const { return m_dpi; }
    int Px(int value) const { return ScaleToDpi(value, m_dpi); }
    // A system metric at that DPI.
    int Metric(int index) const { return SystemMetricAtDpi(index, m_dpi); }

protected:
    // Fonts and cached images for a new DPI; the derived dialog's own sizes follow in
    // OnDpiChanged. The window's size is the caller's.
    void SetDpi(int dpi);
    // The dialog now draws at Dpi(): it takes its place from the system's suggested rectangle
    // (by default it moves into it), and derived dialogs scale their own sizes here.
    virtual void OnDpiChanged(const RECT& suggested);
    // WM_DPICHANGED: the window takes its place from the system's suggested rectangle and
    // redraws at the new scale.
    LRESULT OnDpiChangedMessage(WPARAM wParam, LPARAM lParam);

    // Frame thickness from the saved style: (horizontal, vertical).
    CSize FrameThickness() const;
    int WindowWidth() const;
    // Caption drawn straight onto the window DC when no off-screen image can be made.
    void DrawCaptionDirect(CDC* dc, HICON icon, const CString& text, COLORREF fill);
    void DrawMenuBarDirect(CDC* dc, CMenu* menu, COLORREF back, const CRect& bar);
    // Paints menu bar (if any), frame and caption; shared by WM_NCPAINT and the redraw services.
    void PaintNonClient(CDC* dc);

    CaptionBitmaps m_captionBitmaps;
    COLORREF m_clrBorder;
    COLORREF m_clrFrame;
    COLORREF m_clrMenuBar;
    COLORREF m_clrCaptionActive;
    COLORREF m_clrCaptionInactive;
    COLORREF m_clrListBox;
    CBrush m_hbrWhite;
    CBrush m_hbrListBox;
    CFont m_fontNormal;
    CFont m_fontCaption;
    DWORD m_dwStyle;
    BOOL m_bAppActive;
    int m_nPressedButton;
    CBitmap m_bmpCaption;
    CString m_strCaption;
    int m_cxCaptionCache;
    int m_cyCaptionCache;
    CBitmap m_bmpMenuBar;
    int m_cxMenuBarCache;
    int m_cyMenuBarCache;
    CString m_strMenuBarCache;
    int m_dpi;
    ScaledBitmapCache m_bitmaps; // the bitmaps as drawn at m_dpi

    DECLARE_MESSAGE_MAP()
};
