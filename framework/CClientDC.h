#pragma once
#include "CDC.h"

class CWnd;

// The client area's DC (GetDC), released in the destructor.
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* wnd);
    ~CClientDC() override;

private:
    HWND m_hWnd;
};
