#include "CMenu.h"
#include "Afx.h"
#include "CWnd.h"

CMenu& CMenu::operator=(CMenu&& other) noexcept {
    if (this != &other) {
        Attach(other.Detach());
    }
    return *this;
}

BOOL CMenu::LoadMenu(UINT id) {
    LPCWSTR name = MAKEINTRESOURCEW(id);
    return Attach(::LoadMenuW(AfxFindResourceHandle(name, RT_MENU), name));
}

BOOL CMenu::Attach(HMENU menu) {
    if (m_hMenu != menu) {
        DestroyMenu();
    }
    m_hMenu = menu;
    return menu != nullptr;
}

HMENU CMenu::Detach() {
    HMENU menu = m_hMenu;
    m_hMenu = nullptr;
    return menu;
}

BOOL CMenu::DestroyMenu() {
    if (m_hMenu == nullptr) {
        return FALSE;
    }
    BOOL ok = ::DestroyMenu(m_hMenu);
    m_hMenu = nullptr;
    return ok;
}

HMENU CMenu::GetSubMenu(int pos) const {
    return ::GetSubMenu(m_hMenu, pos);
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, LPCWSTR text) {
    return ::AppendMenuW(m_hMenu, flags, id, text);
}

int CMenu::GetMenuItemCount() const {
    return ::GetMenuItemCount(m_hMenu);
}

UINT CMenu::GetMenuItemID(int pos) const {
    return ::GetMenuItemID(m_hMenu, pos);
}

int CMenu::GetMenuString(UINT item, CString& text, UINT flags) const {
    int length = ::GetMenuStringW(m_hMenu, item, nullptr, 0, flags);
    wchar_t* buffer = text.GetBuffer(length + 1);
    int copied = length > 0 ? ::GetMenuStringW(m_hMenu, item, buffer, length + 1, flags) : 0;
    text.ReleaseBuffer(copied);
    return copied;
}

BOOL CMenu::SetDefaultItem(UINT item, BOOL byPos) {
    return ::SetMenuDefaultItem(m_hMenu, item, byPos);
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, LPCRECT rect) {
    return ::TrackPopupMenu(m_hMenu, flags, x, y, 0, owner ? owner->m_hWnd : nullptr, rect);
}
