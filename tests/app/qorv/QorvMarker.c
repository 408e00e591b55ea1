/* A resource library whose code, if it ever runs, writes "qorv-code-ran.txt" beside itself: a
   program that only reads resources from it must never make that file appear. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        wchar_t path[MAX_PATH + 32];
        DWORD n = GetModuleFileNameW(instance, path, MAX_PATH);
        while (n > 0 && path[n - 1] != L'\\' && path[n - 1] != L'/') {
            --n;
        }
        lstrcpyW(path + n, L"qorv-code-ran.txt");
        HANDLE file =
            CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, "ran", 3, &written, NULL);
            CloseHandle(file);
        }
    }
    return TRUE;
}
