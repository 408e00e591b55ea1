#pragma once
#include "areas/WindowRecord.h"

// The shell's windows beyond its own process, and the windows of its process that are not its
// own. Start, Search, notifications, the touch keyboard, the emoji and input panels and the
// floating language bar are windows of programs of their own; they come and go at the shell's
// word, and no area may hold them. Decided from the window's class and its program's
// executable, never from a title: a program under one of those names is the shell's only where
// Windows alone installs programs.
class ShellSurfaces {
public:
    // Whether the window is of a class those programs show: only then does its executable
    // decide, and only then need it be looked up.
    static bool NeedsModulePath(const WindowRecord& record);
    // Whether it is such a surface; its record's module path has been looked up.
    static bool IsHostedSurface(const WindowRecord& record);
    // Whether a window of the shell's own process is one that a user opened from it and that
    // belongs to the area it was opened in: a folder window, a dialog (Properties, Run), a file
    // operation's progress.
    static bool IsOpenedByUser(const WindowRecord& record);
};
