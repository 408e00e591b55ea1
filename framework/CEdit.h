#pragma once
#include "CWnd.h"

// An edit control: the window operations are all it needs.
class CEdit : public CWnd {
    DECLARE_DYNAMIC(CEdit)
};
