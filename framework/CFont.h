#pragma once
#include "CGdiObject.h"

class CFont : public CGdiObject {
public:
    BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                    BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision,
                    BYTE clipPrecision, BYTE quality, BYTE pitchAndFamily, LPCWSTR faceName) {
        return Attach(::CreateFontW(height, width, escapement, orientation, weight, italic,
                                    underline, strikeOut, charSet, outPrecision, clipPrecision,
                                    quality, pitchAndFamily, faceName));
    }
    BOOL CreateFontIndirect(const LOGFONTW* logFont) {
        return Attach(::CreateFontIndirectW(logFont));
    }
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
};
