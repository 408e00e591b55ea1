/* A resource library whose code, if it ever runs, writes "qorv-code-ran.txt" beside itself: a
   program that only reads resources from it must never make that file appear. */
#include "tests/support/MarkerFile.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        LeaveMarkerBeside(instance, L"qorv-code-ran.txt");
    }
    return TRUE;
}
