#include "CEdit.h"

IMPLEMENT_DYNAMIC(CEdit, CWnd)

void CEdit::SetSel(int start, int end, BOOL noScroll) {
    ::SendMessageW(m_hWnd, EM_SETSEL, static_cast<WPARAM>(start), end);
    if (!noScroll) {
        ::SendMessageW(m_hWnd, EM_SCROLLCARET, 0, 0);
    }
}

void CEdit::LimitText(int maxChars) {
    ::SendMessageW(m_hWnd, EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0);
}
