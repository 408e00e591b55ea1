#include "bar/RowTips.h"
#include "bar/BarLayout.h"
#include <commctrl.h>

namespace {
constexpr int kMaxTipWidth = 480; // wide enough for a title, and makes line breaks work
}

void RowTips::Create(HWND bar, TextOfRow text) {
    m_bar = bar;
    m_text = std::move(text);
    m_tip.reset(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                  WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, bar, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr));
    if (m_tip) {
        ::SendMessageW(m_tip.get(), TTM_SETMAXTIPWIDTH, 0, kMaxTipWidth);
    }
}

void RowTips::SetRows(int rows, const BarLayout::Metrics& layout) {
    if (!m_tip) {
        return;
    }
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = m_bar;
    for (int row = rows; row < m_rows; ++row) {
        tool.uId = row;
        ::SendMessageW(m_tip.get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    for (int row = 0; row < rows; ++row) {
        tool.uId = row;
        tool.uFlags = TTF_SUBCLASS;
        tool.rect = RECT{0, layout.RowTop(row), layout.clientWidth, layout.RowTop(row + 1)};
        tool.lpszText = LPSTR_TEXTCALLBACKW;
        if (row < m_rows) {
            ::SendMessageW(m_tip.get(), TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
        } else {
            ::SendMessageW(m_tip.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        }
    }
    m_rows = rows;
}

void RowTips::Enable(bool enable) {
    if (!m_tip) {
        return;
    }
    if (!enable) {
        ::SendMessageW(m_tip.get(), TTM_POP, 0, 0);
    }
    ::SendMessageW(m_tip.get(), TTM_ACTIVATE, enable, 0);
}

bool RowTips::OnNotify(NMHDR* header) {
    if (!m_tip || header->hwndFrom != m_tip.get() || header->code != TTN_GETDISPINFOW) {
        return false;
    }
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
    const int row = static_cast<int>(info->hdr.idFrom);
    m_shown = row >= 0 && row < m_rows ? m_text(row) : std::wstring();
    info->lpszText = const_cast<wchar_t*>(m_shown.c_str());
    return true;
}
