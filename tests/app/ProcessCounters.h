#pragma once
// Counts of another process's resources, read from outside it: its kernel handles from the
// system's handle list and its GDI objects from its GDI handle table. Under Wine the process's own
// counters (GetGuiResources, GetProcessHandleCount) are stubs, so these are read instead.
#include <windows.h>

struct ProcessCounters {
    long kernelHandles = -1; // -1: could not be read
    long gdiObjects = -1;
    SIZE_T privateBytes = 0;
};

ProcessCounters ReadProcessCounters(HANDLE process, DWORD pid);
