#include "tests/support/Desktop.h"
#include <algorithm>
#include <cstdio>

namespace ztest {

namespace {

struct WindowSearch {
    DWORD pid; // 0: every process
    std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (search->pid == 0 || pid == search->pid) {
        search->found.push_back(hwnd);
    }
    return TRUE;
}

} // namespace

std::vector<HWND> TopLevelWindowsOf(DWORD pid) {
    WindowSearch search{pid, {}};
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> TopLevelWindows() {
    return TopLevelWindowsOf(0);
}

HWND VisibleWindowOf(DWORD pid, const wchar_t* cls, HWND except) {
    for (HWND hwnd : TopLevelWindowsOf(pid)) {
        if (hwnd != except && ClassOf(hwnd) == cls && IsWindowVisible(hwnd)) {
            return hwnd;
        }
    }
    return nullptr;
}

HWND WaitVisibleWindowOf(DWORD pid, const wchar_t* cls, HWND except) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = VisibleWindowOf(pid, cls, except)) != nullptr; });
    return found;
}

HWND OpenMenuOf(DWORD pid) {
    return VisibleWindowOf(pid, L"#32768");
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[512] = L"";
    GetClassNameW(hwnd, name, 512);
    return name;
}

std::wstring TitleOf(HWND hwnd) {
    wchar_t title[1024] = L"";
    GetWindowTextW(hwnd, title, 1024);
    return title;
}

std::wstring TextOf(HWND hwnd) {
    wchar_t text[512] = L"";
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                             kAnswerMs, &result)) {
        return L"<no answer>";
    }
    return text;
}

bool Answers(HWND hwnd, DWORD timeoutMs) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

RECT WindowRect(HWND hwnd) {
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    return rect;
}

void Repaint(HWND hwnd) {
    RedrawWindow(hwnd, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

bool AllVisible(const std::vector<HWND>& windows) {
    for (HWND hwnd : windows) {
        if (!IsWindowVisible(hwnd)) {
            return false;
        }
    }
    return true;
}

bool NoneVisible(const std::vector<HWND>& windows) {
    for (HWND hwnd : windows) {
        if (IsWindowVisible(hwnd)) {
            return false;
        }
    }
    return true;
}

bool WaitVisible(HWND hwnd, bool visible, DWORD timeoutMs) {
    return WaitUntil([&] { return (IsWindowVisible(hwnd) != FALSE) == visible; }, timeoutMs);
}

::testing::AssertionResult WaitAllVisible(const std::vector<HWND>& windows, bool visible) {
    auto pending = [&] {
        std::vector<HWND> late;
        for (HWND hwnd : windows) {
            if ((IsWindowVisible(hwnd) != FALSE) != visible) {
                late.push_back(hwnd);
            }
        }
        return late;
    };
    if (WaitUntil([&] { return pending().empty(); })) {
        return ::testing::AssertionSuccess();
    }
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    failure << "still " << (visible ? "hidden" : "visible") << ":";
    for (HWND hwnd : pending()) {
        char text[300];
        snprintf(text, sizeof(text), " %p \"%.64ls\" (%.64ls)", static_cast<void*>(hwnd),
                 TitleOf(hwnd).c_str(), ClassOf(hwnd).c_str());
        failure << text;
    }
    return failure;
}

LPARAM KeyData(UINT vk) {
    return 1 | (static_cast<LPARAM>(MapVirtualKeyW(vk, 0)) << 16);
}

void MoveCursor(POINT screen) {
    // Absolute moves come in 1/65536ths of the screen; rounding up lands on the wanted pixel.
    const LONG cx = GetSystemMetrics(SM_CXSCREEN);
    const LONG cy = GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = static_cast<LONG>((static_cast<LONGLONG>(screen.x) * 65536 + cx - 1) / cx);
    input.mi.dy = static_cast<LONG>((static_cast<LONGLONG>(screen.y) * 65536 + cy - 1) / cy);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof(input));
}

void LeftButton(bool down) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendInput(1, &input, sizeof(input));
}

void ParkCursor() {
    MoveCursor(POINT{300, 700});
}

void ReleasePointer() {
    ParkCursor();
    // Up over the desktop, where a button that was not held does nothing.
    LeftButton(false);
}

bool BringToForeground(HWND hwnd, int attempts) {
    for (int attempt = 0; attempt < attempts; ++attempt) {
        SetForegroundWindow(hwnd);
        DWORD since = GetTickCount();
        const bool held = WaitUntil(
            [&] {
                if (GetForegroundWindow() != hwnd) {
                    since = GetTickCount();
                    return false;
                }
                return GetTickCount() - since >= 300;
            },
            1500);
        if (held) {
            return true;
        }
    }
    return false;
}

void PressKeys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs;
    for (WORD vk : keys) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        inputs.push_back(input);
    }
    for (auto it = keys.end(); it != keys.begin();) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = *--it;
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void PressAreaKey(WORD key, bool shift) {
    if (shift) {
        PressKeys({VK_LWIN, VK_CONTROL, VK_MENU, VK_SHIFT, key});
    } else {
        PressKeys({VK_LWIN, VK_CONTROL, VK_MENU, key});
    }
}

std::vector<HWND> StackOf(const std::vector<HWND>& windows) {
    std::vector<HWND> order;
    for (HWND hwnd = GetTopWindow(nullptr); hwnd; hwnd = GetWindow(hwnd, GW_HWNDNEXT)) {
        if (std::find(windows.begin(), windows.end(), hwnd) != windows.end()) {
            order.push_back(hwnd);
        }
    }
    return order;
}

::testing::AssertionResult StackAs(const std::vector<HWND>& order) {
    // Wine tells the window manager of a window brought to the top only when nothing visible
    // stands above it, and the bar is always above: each window goes over the bar for a moment,
    // so that the screen's own stacking, which a window that comes into view follows, agrees.
    constexpr UINT kFlags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        if (!SetWindowPos(*it, HWND_TOPMOST, 0, 0, 0, 0, kFlags) ||
            !SetWindowPos(*it, HWND_NOTOPMOST, 0, 0, 0, 0, kFlags)) {
            return ::testing::AssertionFailure() << "a window could not be stacked";
        }
    }
    if (order.empty() || !BringToForeground(order.front())) {
        return ::testing::AssertionFailure() << "the first window never kept the keyboard";
    }
    if (!WaitUntil([&] { return StackOf(order) == order; })) {
        return ::testing::AssertionFailure() << "the windows did not stay in that order";
    }
    return ::testing::AssertionSuccess();
}

void ClickAt(POINT screen) {
    MoveCursor(screen);
    LeftButton(true);
    LeftButton(false);
    ParkCursor();
}

bool CaughtUp(HWND hwnd, DWORD timeoutMs) {
    // A hidden window has nothing to paint: it would seem caught up at once.
    return IsWindowVisible(hwnd) && InvalidateRect(hwnd, nullptr, FALSE) &&
           WaitUntil([&] { return !GetUpdateRect(hwnd, nullptr, FALSE); }, timeoutMs);
}

} // namespace ztest
