#pragma once
#include <windows.h>
#include <functional>
#include <vector>

// The top-level windows that a key moves or pins together: a window, its owners and what they
// own. A modal dialog disables its owner until it ends; moved without it, the owner would stay
// behind in an area where nothing can be done with it. Owned windows stay above their owner
// and go when it is minimised: they belong where it is.
class WindowFamily {
public:
    // `hwnd`'s family, topmost first: its highest owner that `movable` accepts, going up while
    // each owner is, and every window owned by that one, at any depth, that `movable` accepts.
    // Empty when `movable` does not accept `hwnd` itself.
    static std::vector<HWND> Of(HWND hwnd, const std::function<bool(HWND)>& movable);
};
