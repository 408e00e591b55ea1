#pragma once
#include "Framework.h"
#include <shellapi.h>

// One icon in the notification area on behalf of a window: adds, changes and removes it, and
// turns clicks on it into the owner's popup menu or that menu's first command.
class CTrayIcon {
public:
    // `id` tells the owner's icons apart; it is also the menu loaded when none is lent.
    explicit CTrayIcon(UINT id);
    ~CTrayIcon();
    // The callback message: a right-button release opens the menu's first popup, a left
    // double-click runs that popup's first command.
    LRESULT OnTrayNotification(WPARAM wParam, LPARAM lParam);

    // Adds or changes the icon (icon non-null) or removes it (null); tip null keeps the tip.
    BOOL SetIcon(HICON icon, const wchar_t* tip);
    // The shell forgot its icons (it restarted): add ours again as new.
    BOOL AddAgain(HICON icon);
    // Makes sure the shell really shows the icon, adding it again if it lost it.
    BOOL EnsureShown(HICON icon);
    static constexpr int kShowAttempts = 3;
    static constexpr DWORD kShowRetryMs = 100;

    NOTIFYICONDATAW m_nid;
    CMenu* m_pMenu; // not owned

private:
    void ApplyFlags();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;
};
