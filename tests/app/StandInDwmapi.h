#pragma once
// Wine has no desktop composition: for as long as this object lives, the test prefix's system
// folder holds the stand-in dwmapi.dll of tests/dwmapi in place of Wine's placeholder, and Wine
// loads it into Zelvanor.exe alone (every other program keeps Wine's own). Everything is put
// back when the object goes, also when the test fails.
#include <windows.h>
#include <string>

class StandInDwmapi {
public:
    StandInDwmapi();
    ~StandInDwmapi();
    StandInDwmapi(const StandInDwmapi&) = delete;
    StandInDwmapi& operator=(const StandInDwmapi&) = delete;

    bool Ok() const { return m_ok; }
    // The stand-in as built, for copies of it elsewhere.
    static std::wstring Built();
    // The file the stand-in leaves beside itself wherever it is loaded.
    static const wchar_t* MarkerName() { return L"dwmapi-code-ran.txt"; }
    // Whether the stand-in in the system folder has been loaded since it was put there.
    bool LoadedFromSystemFolder() const;
    // The integer that a program last set as the window's attribute, if it set one.
    static bool AttributeSet(HWND hwnd, unsigned attribute, int* value);

private:
    std::wstring m_system;
    std::wstring m_saved;
    bool m_ok = false;
};
