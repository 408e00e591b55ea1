#include "areas/WindowFamily.h"

namespace {

struct Search {
    HWND head;
    const std::function<bool(HWND)>* movable;
    std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    for (HWND up = hwnd; up; up = ::GetWindow(up, GW_OWNER)) {
        if (up == search->head) {
            if ((*search->movable)(hwnd)) {
                search->found.push_back(hwnd);
            }
            break;
        }
    }
    return TRUE;
}

} // namespace

std::vector<HWND> WindowFamily::Of(HWND hwnd, const std::function<bool(HWND)>& movable) {
    if (!movable(hwnd)) {
        return {};
    }
    // An owner a key would not act on (hidden, the shell's) ends the family upwards.
    HWND head = hwnd;
    for (HWND owner; (owner = ::GetWindow(head, GW_OWNER)) && movable(owner);) {
        head = owner;
    }
    Search search{head, &movable, {}};
    ::EnumWindows(Collect, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
