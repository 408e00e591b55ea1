#pragma once
#include <windows.h>
#include <utility>
#include "CString.h"

// A menu: owns one it loads or is given with Attach (destroyed in the destructor), only uses one
// lent with Borrow. Move-only.
class CMenu {
public:
    CMenu() = default;
    ~CMenu() { DestroyMenu(); }
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;
    CMenu(CMenu&& other) noexcept { *this = std::move(other); }
    CMenu& operator=(CMenu&& other) noexcept;

    HMENU m_hMenu = nullptr;

    HMENU GetSafeHmenu() const { return m_hMenu; }
    operator HMENU() const { return m_hMenu; }

    // Menu `id` from the current resource module.
    BOOL LoadMenu(UINT id);
    BOOL Attach(HMENU menu);
    void Borrow(HMENU menu);
    HMENU Detach();
    // Destroys an owned menu; a borrowed one is only let go.
    BOOL DestroyMenu();

    HMENU GetSubMenu(int pos) const;
    int GetMenuItemCount() const;
    int GetMenuString(UINT item, CString& text, UINT flags) const;

private:
    bool m_bOwned = false;
};
