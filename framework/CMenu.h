#pragma once
#include <windows.h>
#include "CString.h"

class CWnd;

// Owns a menu handle (destroyed in the destructor unless detached). Move-only.
class CMenu {
public:
    CMenu() = default;
    ~CMenu() { DestroyMenu(); }
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;
    CMenu(CMenu&& other) noexcept : m_hMenu(other.Detach()) {}
    CMenu& operator=(CMenu&& other) noexcept;

    HMENU m_hMenu = nullptr;

    HMENU GetSafeHmenu() const { return m_hMenu; }
    operator HMENU() const { return m_hMenu; }

    // Menu `id` from the current resource module.
    BOOL LoadMenu(UINT id);
    // Takes ownership of `menu`, destroying any menu held before.
    BOOL Attach(HMENU menu);
    HMENU Detach();
    BOOL DestroyMenu();

    HMENU GetSubMenu(int pos) const;
    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, LPCWSTR text = nullptr);
    int GetMenuItemCount() const;
    UINT GetMenuItemID(int pos) const;
    int GetMenuString(UINT item, CString& text, UINT flags) const;
    BOOL SetDefaultItem(UINT item, BOOL byPos = FALSE);
    BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, LPCRECT rect = nullptr);
};
