#pragma once
#include "Framework.h"
#include <shellapi.h>

// One icon in the notification area on behalf of a window: adds, changes and removes it, and
// turns clicks on it into the owner's popup menu or that menu's first command.
class CTrayIcon {
public:
    CTrayIcon();
    virtual ~CTrayIcon();
    virtual LRESULT OnTrayNotification(WPARAM wParam, LPARAM lParam);

    // Adds or changes the icon (icon non-null) or removes it (null); tip null keeps the tip.
    BOOL SetIcon(HICON icon, const wchar_t* tip);
    // The shell forgot its icons (it restarted): add ours again as new.
    BOOL AddAgain(HICON icon);
    // Makes sure the shell really shows the icon, adding it again if it lost it.
    BOOL EnsureShown(HICON icon);
    BOOL IsShown() const { return m_nid.hIcon != nullptr; }

    NOTIFYICONDATAW m_nid;
    CMenu* m_pMenu; // not owned

private:
    void ApplyFlags();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;
};
