#pragma once
#include <windows.h>
#include <uxtheme.h>

// Visual-styles calls through uxtheme.dll from the system folder, loaded at run time;
// null or E_FAIL when it is not available.
class CThemeHelper {
public:
    static HTHEME OpenThemeData(HWND hWnd, LPCWSTR classList);
    static HRESULT GetThemePartSize(HTHEME theme, HDC hdc, int part, int state, LPCRECT rect,
                                    THEMESIZE kind, SIZE* size);
    static HRESULT CloseThemeData(HTHEME theme);
};
