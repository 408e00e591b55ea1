#pragma once
// The owners of the handles that tests create, on the framework's move-only template. Kept here
// rather than taken from the framework, which only keeps the owners that the program itself uses.
#include "UniqueHandle.h"
#include <windows.h>

namespace ztest {

struct WindowDestroyer {
    void operator()(HWND h) const { DestroyWindow(h); }
};
struct DcDeleter {
    void operator()(HDC h) const { DeleteDC(h); }
};
struct GdiObjectDeleter {
    void operator()(HGDIOBJ h) const { DeleteObject(h); }
};
struct MenuDestroyer {
    void operator()(HMENU h) const { DestroyMenu(h); }
};
struct ModuleFreer {
    void operator()(HMODULE h) const { FreeLibrary(h); }
};

using UniqueWindow = UniqueHandle<HWND, WindowDestroyer>;
using UniqueDc = UniqueHandle<HDC, DcDeleter>;
using UniqueGdiObject = UniqueHandle<HGDIOBJ, GdiObjectDeleter>;
using UniqueMenu = UniqueHandle<HMENU, MenuDestroyer>;
using UniqueModule = UniqueHandle<HMODULE, ModuleFreer>;
// Processes, threads, events and files.
using UniqueKernelObject = UniqueKernelHandle;

} // namespace ztest
