// A push button that draws itself from bitmap strips, with normal, hover, pressed and disabled
// faces. Hover comes from its own mouse tracking.
#pragma once

#include "Framework.h"

class CGrayButton : public CButton {
    DECLARE_DYNAMIC(CGrayButton)

public:
    // One face: a centre strip stretched across the button and two end caps.
    struct Face {
        UINT middle;
        UINT left;
        UINT right;
    };
    // The bitmaps of the faces that come from pictures; the disabled and grayed faces are flat.
    struct Faces {
        Face normal;
        Face hover;
        Face pressed;
    };

    explicit CGrayButton(const Faces& faces);

    void PreSubclassWindow() override;
    void DrawItem(LPDRAWITEMSTRUCT dis) override;

    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg void OnMouseHover(UINT flags, CPoint point);
    afx_msg void OnMouseLeave();

protected:
    Faces m_faces;
    BOOL m_bHover;
    BOOL m_bTracking;

    DECLARE_MESSAGE_MAP()

private:
    // Paints the face over `rect`: the centre strip stretched across it (its top and bottom two
    // rows kept at their height), the end caps at their own width, stretched to the full height;
    // the kept sizes scaled from 96 dpi to `dpi`.
    static void DrawFace(CDC* dc, const Face& face, const RECT& rect, int dpi);
};
