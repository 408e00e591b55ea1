#pragma once
// The owners of the handles that tests create, on the framework's move-only template. The
// framework keeps only the owners that the program itself uses; the others are here.
#include "UniqueHandle.h"
#include <windows.h>

namespace ztest {

template <typename H, BOOL(WINAPI* Release)(H)> struct ReleasedBy {
    using Handle = H;
    static Handle Empty() { return nullptr; }
    static bool IsEmpty(Handle h) { return h == nullptr; }
    static void Close(Handle h) { Release(h); }
};

using UniqueWindow = ::UniqueWindow;
using UniqueModule = ::UniqueModule;
using UniqueDc = UniqueHandle<ReleasedBy<HDC, ::DeleteDC>>;
using UniqueGdiObject = UniqueHandle<ReleasedBy<HGDIOBJ, ::DeleteObject>>;
using UniqueMenu = UniqueHandle<ReleasedBy<HMENU, ::DestroyMenu>>;
// Processes, threads, events and files.
using UniqueKernelObject = UniqueKernelHandle;

} // namespace ztest
