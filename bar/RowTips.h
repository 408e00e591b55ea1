#pragma once
#include "bar/BarLayout.h"
#include "UniqueHandle.h"
#include <functional>
#include <string>

// The standard tooltip over the bar's rows: resting the pointer on a row shows what its area
// holds, one window title a line. The text is asked for each time the tip is about to show; an
// empty text shows no tip. The tip is the system's control, so the bar's own painting and hover
// feedback stay as they are.
class RowTips {
public:
    using TextOfRow = std::function<std::wstring(int row)>;

    RowTips() = default;
    RowTips(const RowTips&) = delete;
    RowTips& operator=(const RowTips&) = delete;

    void Create(HWND bar, TextOfRow text);
    // Before the bar goes: the tip is the bar's to end with it.
    void Destroy() { m_tip.reset(); }
    // One tool per row, over the row's rectangle of the bar's layout.
    void SetRows(int rows, const BarLayout::Metrics& layout);
    // Off while a menu is open or a row is being renamed: the tip must cover neither.
    void Enable(bool enable);
    // The bar's WM_NOTIFY; true when it was the tip asking for a row's text.
    bool OnNotify(NMHDR* header);
    HWND Window() const { return m_tip.get(); }

private:
    HWND m_bar = nullptr;
    UniqueWindow m_tip;
    int m_rows = 0;
    TextOfRow m_text;
    std::wstring m_shown; // the text the tip displays, kept while it does
};
