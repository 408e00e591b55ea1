#include "tray/CTrayIcon.h"
#include <cstring>
#include <cwchar>

// The full record, ending with the balloon icon handle, is what the shell expects from us: 956
// bytes in a 32-bit program, 976 in a 64-bit one (handles and the window are wider there).
static_assert(sizeof(NOTIFYICONDATAW) == (sizeof(void*) == 4 ? 956 : 976),
              "NOTIFYICONDATAW must be the full form that ends with the balloon icon");

CTrayIcon::CTrayIcon(UINT id) : m_pMenu(nullptr) {
    std::memset(&m_nid, 0, sizeof(m_nid));
    m_nid.cbSize = sizeof(m_nid);
    m_nid.uID = id;
    wcsncpy(m_nid.szTip, L"Zelvanor", _countof(m_nid.szTip) - 1);
}

CTrayIcon::~CTrayIcon() {
    m_nid.uFlags = 0;
    if (m_nid.hIcon) {
        ApplyFlags();
        Shell_NotifyIconW(NIM_DELETE, &m_nid);
        m_nid.hIcon = nullptr;
    }
}

void CTrayIcon::ApplyFlags() {
    if (m_nid.szTip[0])
        m_nid.uFlags |= NIF_TIP;
    if (m_nid.uCallbackMessage && m_nid.hWnd)
        m_nid.uFlags |= NIF_MESSAGE;
}

BOOL CTrayIcon::SetIcon(HICON icon, const wchar_t* tip) {
    m_nid.uFlags = 0;
    DWORD message;
    if (icon) {
        const bool present = m_nid.hIcon != nullptr;
        m_nid.hIcon = icon;
        m_nid.uFlags = NIF_ICON;
        message = present ? NIM_MODIFY : NIM_ADD;
    } else {
        if (!m_nid.hIcon)
            return TRUE;
        message = NIM_DELETE;
    }
    if (tip) {
        std::memset(m_nid.szTip, 0, sizeof(m_nid.szTip));
        wcsncpy(m_nid.szTip, tip, _countof(m_nid.szTip) - 1);
    }
    ApplyFlags();
    const BOOL ok = Shell_NotifyIconW(message, &m_nid);
    if (message == NIM_DELETE || !ok)
        m_nid.hIcon = nullptr;
    return ok;
}

BOOL CTrayIcon::AddAgain(HICON icon) {
    m_nid.hIcon = nullptr;
    if (SetIcon(icon, nullptr))
        return TRUE;
    // An add fails when the shell still holds the icon; then a change is what works.
    m_nid.hIcon = icon;
    return SetIcon(icon, nullptr);
}

BOOL CTrayIcon::EnsureShown(HICON icon) {
    // A busy shell refuses calls for a moment (Shell_NotifyIcon then times out): asked again a
    // few times before the caller is told the icon cannot be shown.
    for (int attempt = 1;; ++attempt) {
        if (m_nid.hIcon && SetIcon(icon, nullptr))
            return TRUE; // the change succeeded, so the shell has it
        if (AddAgain(icon))
            return TRUE;
        if (attempt == kShowAttempts)
            return FALSE;
        ::Sleep(kShowRetryMs);
    }
}

LRESULT CTrayIcon::OnTrayNotification(WPARAM wParam, LPARAM lParam) {
    if (wParam != m_nid.uID)
        return 0;
    if (lParam != WM_RBUTTONUP && lParam != WM_LBUTTONDBLCLK)
        return 0;

    CMenu loaded; // only used when the owner lent us no menu
    HMENU menu = nullptr;
    if (m_pMenu) {
        menu = m_pMenu->GetSafeHmenu();
    } else {
        if (!loaded.LoadMenu(m_nid.uID))
            return 0;
        menu = loaded.GetSafeHmenu();
    }
    HMENU popup = ::GetSubMenu(menu, 0);
    if (!popup)
        return 0;

    if (lParam == WM_RBUTTONUP) {
        ::SetMenuDefaultItem(popup, 0, TRUE);
        POINT pt = {0, 0};
        ::GetCursorPos(&pt);
        ::SetForegroundWindow(m_nid.hWnd);
        ::TrackPopupMenu(popup, 0, pt.x, pt.y, 0, m_nid.hWnd, nullptr);
    } else {
        const UINT id = ::GetMenuItemID(popup, 0);
        ::SendMessageW(m_nid.hWnd, WM_COMMAND, id, 0);
    }
    return 1;
}
