#pragma once
#include <windows.h>

// Names that the application calls or sets because the framework it was first written for
// expected them, and that do nothing here: there is no shell manager, no control container, no
// registry key that is ever read, no restart manager and no help. They are kept so the start-up
// reads as designed, and kept together so that nobody takes them for behaviour.

class CShellManager {
public:
    CShellManager() = default;
    CShellManager(const CShellManager&) = delete;
    CShellManager& operator=(const CShellManager&) = delete;
};

inline void AfxEnableControlContainer() {}

#define AFX_RESTART_MANAGER_SUPPORT_RESTART 0x01

#ifndef ID_HELP
#define ID_HELP 0xE146
#endif

// What every application object carries of them.
class CInertAppMembers {
public:
    DWORD m_dwRestartManagerSupportFlags = 0;
    void SetRegistryKey(LPCWSTR) {}
    void OnHelp() {}
};
