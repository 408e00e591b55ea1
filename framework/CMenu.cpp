#include "CMenu.h"
#include "Afx.h"

CMenu& CMenu::operator=(CMenu&& other) noexcept {
    if (this != &other) {
        const bool owned = other.m_bOwned;
        HMENU menu = other.Detach();
        if (owned) {
            Attach(menu);
        } else {
            Borrow(menu);
        }
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
    m_bOwned = menu != nullptr;
    return menu != nullptr;
}

void CMenu::Borrow(HMENU menu) {
    DestroyMenu();
    m_hMenu = menu;
    m_bOwned = false;
}

HMENU CMenu::Detach() {
    HMENU menu = m_hMenu;
    m_hMenu = nullptr;
    m_bOwned = false;
    return menu;
}

BOOL CMenu::DestroyMenu() {
    if (m_hMenu == nullptr) {
        return FALSE;
    }
    const BOOL ok = m_bOwned ? ::DestroyMenu(m_hMenu) : TRUE;
    m_hMenu = nullptr;
    m_bOwned = false;
    return ok;
}

HMENU CMenu::GetSubMenu(int pos) const {
    return ::GetSubMenu(m_hMenu, pos);
}

int CMenu::GetMenuItemCount() const {
    return ::GetMenuItemCount(m_hMenu);
}

int CMenu::GetMenuString(UINT item, CString& text, UINT flags) const {
    int length = ::GetMenuStringW(m_hMenu, item, nullptr, 0, flags);
    wchar_t* buffer = text.GetBuffer(length + 1);
    int copied = length > 0 ? ::GetMenuStringW(m_hMenu, item, buffer, length + 1, flags) : 0;
    text.ReleaseBuffer(copied);
    return copied;
}
