#pragma once
#include <windows.h>

// Loads the optional resource library "qorv.dll" from the program's own folder only, as a
// resource-only image: none of its code ever runs, and a file dropped into the current folder
// or on PATH is never picked up. Without one there, a user interface language other than
// Chinese takes "english\qorv.dll" from the same folder. Null when there is no usable library.
HMODULE LoadResourceLibrary();
