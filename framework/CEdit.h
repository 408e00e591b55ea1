#pragma once
#include "CWnd.h"

class CEdit : public CWnd {
    DECLARE_DYNAMIC(CEdit)
public:
    void SetSel(int start, int end, BOOL noScroll = FALSE);
    void LimitText(int maxChars = 0);
};
