#pragma once
/* For libraries whose code must be seen to run, or not: leaves the file `name` beside the module
   `instance` was loaded from. Plain C, for libraries built without the harness. */
#include <windows.h>

static void LeaveMarkerBeside(HINSTANCE instance, const wchar_t* name) {
    wchar_t path[MAX_PATH + 32];
    DWORD n = GetModuleFileNameW(instance, path, MAX_PATH);
    while (n > 0 && path[n - 1] != L'\\' && path[n - 1] != L'/') {
        --n;
    }
    lstrcpyW(path + n, name);
    HANDLE file =
        CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, "ran", 3, &written, NULL);
        CloseHandle(file);
    }
}
