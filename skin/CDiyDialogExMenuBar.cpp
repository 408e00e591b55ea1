// The skinned menu bar and the menu messages of the skinned dialog base.
#include "skin/CDiyDialogEx.h"

namespace {

// The popup menu item's part and state in the visual styles (vssym32.h; MinGW's copy lacks
// them), and the item spacing when no theme says otherwise.
enum ThemeNumbers { kMenuPopupItem = 14, kPopupItemNormal = 1, kDefaultPad = 6 };

// Where direct drawing, used only when no off-screen image can be made, puts the texts.
enum DirectLayout { kDirectTextLeft = 9, kDirectTextTop = 3, kDirectGap = 12 };

// Theme data opened for one query and closed on every path.
class ThemeData {
public:
    ThemeData(HWND hwnd, LPCWSTR classes) : m_theme(CThemeHelper::OpenThemeData(hwnd, classes)) {}
    ~ThemeData() {
        if (m_theme != nullptr)
            CThemeHelper::CloseThemeData(m_theme);
    }
    ThemeData(const ThemeData&) = delete;
    ThemeData& operator=(const ThemeData&) = delete;
    HTHEME get() const { return m_theme; }

private:
    HTHEME m_theme;
};

// Item spacing follows the theme's popup-item width when visual styles are on.
int MenuPad(HWND hwnd, CDC* dc) {
    int pad = kDefaultPad;
    ThemeData theme(hwnd, L"Menu");
    if (theme.get() != nullptr) {
        SIZE size{};
        if (CThemeHelper::GetThemePartSize(theme.get(), dc != nullptr ? dc->GetSafeHdc() : nullptr,
                                           kMenuPopupItem, kPopupItemNormal, nullptr, TS_TRUE,
                                           &size) == S_OK)
            pad = size.cx;
    }
    return pad;
}

// The item texts, one per line: with the size, what the cached image shows.
CString MenuTexts(CMenu* menu) {
    CString texts;
    const int count = menu->GetMenuItemCount();
    for (int i = 0; i < count; ++i) {
        CString text;
        menu->GetMenuString(i, text, MF_BYPOSITION);
        texts += text;
        texts += L"\n";
    }
    return texts;
}

// Item texts from left to right; items without text (separators, bitmaps) take no space.
void DrawMenuItems(CDC& dc, CMenu* menu, CRect r, int gap) {
    const int count = menu->GetMenuItemCount();
    for (int i = 0; i < count; ++i) {
        CString text;
        if (menu->GetMenuString(i, text, MF_BYPOSITION) == 0)
            continue;
        CRect calc(0, 0, 0, 0);
        dc.DrawText(text, &calc, DT_CALCRECT);
        dc.DrawText(text, &r, DT_VCENTER);
        r.left += gap + calc.Width();
    }
}

} // namespace

void CDiyDialogEx::DrawMenuBar(CDC* dc, CMenu* menu, COLORREF back) {
    const int w = WindowWidth();
    const int pad = MenuPad(m_hWnd, dc);
    const CSize frame = FrameThickness();
    CRect bar;
    bar.left = frame.cx;
    bar.top = Metric(SM_CYSIZE) + frame.cy + 1;
    bar.right = w - frame.cy;
    bar.bottom = bar.top + Metric(SM_CYMENU);
    const int barW = bar.Width();
    const int barH = bar.Height();

    CDC mem;
    if (!mem.CreateCompatibleDC(dc))
        return;
    const CString texts = MenuTexts(menu);
    if (m_cxMenuBarCache > 0 && m_cxMenuBarCache == barW && m_cyMenuBarCache == barH &&
        m_strMenuBarCache == texts) {
        ScopedSelect selectImage(mem, m_bmpMenuBar);
        dc->BitBlt(bar.left, bar.top, barW, barH, &mem, 0, 0, SRCCOPY);
        return;
    }

    if (m_cxMenuBarCache > 0) {
        m_bmpMenuBar.DeleteObject();
        m_cxMenuBarCache = 0;
    }
    if (!m_bmpMenuBar.CreateCompatibleBitmap(dc, barW, barH)) {
        DrawMenuBarDirect(dc, menu, back, bar);
        return;
    }

    m_cxMenuBarCache = barW;
    m_cyMenuBarCache = barH;
    m_strMenuBarCache = texts;
    ScopedSelect selectImage(mem, m_bmpMenuBar);
    {
        CBrush brush(back);
        ScopedSelect selectBrush(mem, brush);
        mem.PatBlt(0, 0, barW, barH, PATCOPY);
    }
    // The memory DC's own brush is white: a white line along the bottom whatever the back colour.
    mem.PatBlt(0, barH - 1, barW, 1, PATCOPY);
    mem.SetBkMode(TRANSPARENT);
    {
        ScopedSelect selectFont(mem, GetFont());
        mem.SetTextColor(RGB(0, 0, 0));
        DrawMenuItems(mem, menu, CRect(pad, 2, barW, barH), 2 * pad);
    }
    dc->BitBlt(bar.left, bar.top, barW, barH, &mem, 0, 0, SRCCOPY);
}

void CDiyDialogEx::DrawMenuBarDirect(CDC* dc, CMenu* menu, COLORREF back, const CRect& bar) {
    const int barW = bar.Width();
    const int barH = bar.Height();
    {
        CBrush brush(back);
        ScopedSelect selectBrush(*dc, brush);
        dc->PatBlt(1, bar.top, barW, barH, PATCOPY);
    }
    dc->PatBlt(1, bar.bottom - 1, barW, 1, PATCOPY);
    dc->SetBkMode(TRANSPARENT);
    ScopedSelect selectFont(*dc, GetFont());
    dc->SetTextColor(RGB(0, 0, 0));
    CRect text = bar;
    text.left += kDirectTextLeft;
    text.top += kDirectTextTop;
    DrawMenuItems(*dc, menu, text, kDirectGap);
}

void CDiyDialogEx::OnInitMenu(CMenu* menu) {
    CDialogEx::OnInitMenu(menu);
    // Paint the whole skin again over whatever the system drew while preparing the menu.
    SendMessage(WM_NCPAINT, 0, 0);
}

// Items keep what the system measured; no control or menu is asked.
void CDiyDialogEx::OnMeasureItem(int, LPMEASUREITEMSTRUCT) {}

void CDiyDialogEx::OnDrawItem(int id, LPDRAWITEMSTRUCT dis) {
    // Menu items all look the same on the skinned bar; controls draw themselves.
    if (dis->CtlType == ODT_MENU)
        return;
    CDialogEx::OnDrawItem(id, dis);
}
