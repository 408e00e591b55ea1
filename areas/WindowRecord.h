#pragma once
#include <windows.h>

// One top-level window as it was when a snapshot was taken. A plain value: copied whole, never
// refreshed, and its handle may have been closed or even reused by the time it is read.
struct WindowRecord {
    HWND hwnd;
    DWORD processId;
    DWORD threadId;
    wchar_t className[100]; // empty for a window that was not visible
    wchar_t modulePath[260];
    BOOL visible;
};
