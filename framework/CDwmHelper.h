#pragma once
#include <windows.h>

// The desktop window manager's calls through dwmapi.dll from the system folder, loaded at run
// time: where it or an attribute is missing, no window is cloaked and nothing is changed.
class CDwmHelper {
public:
    // Whether the window manager keeps the window off screen although it has WS_VISIBLE: a
    // window of another virtual desktop, a parked app frame, a shell surface not shown now.
    static bool IsCloaked(HWND hWnd);
    // The window's frame and caption are left to the window: DWM draws none over them.
    static void DisableNonClientRendering(HWND hWnd);
};
