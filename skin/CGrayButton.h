// A push button that draws itself from bitmap strips, with normal, hover, pressed and disabled
// faces. Hover comes from its own mouse tracking.
#pragma once

#include "Framework.h"

class CGrayButton : public CButton {
    DECLARE_DYNAMIC(CGrayButton)

public:
    CGrayButton();

    void PreSubclassWindow() override;
    void DrawItem(LPDRAWITEMSTRUCT dis) override;

    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnMouseHover(UINT flags, CPoint point);
    afx_msg void OnMouseLeave();

protected:
    BOOL m_bHover;
    BOOL m_bTracking;

    DECLARE_MESSAGE_MAP()
};
