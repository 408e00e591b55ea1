#pragma once
#include "CDC.h"

class CWnd;

// The whole window's DC (GetWindowDC), released in the destructor.
class CWindowDC : public CDC {
public:
    explicit CWindowDC(CWnd* wnd);
    ~CWindowDC() override;

private:
    HWND m_hWnd;
};
