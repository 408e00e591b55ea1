// A stand-in application for the tests: it owns top-level windows of its own process that the
// tests hide and show, and takes commands through a message-only control window (see
// ZWindowHelperProtocol.h). Command line:
//   --windows N     N visible overlapped windows "helper-<pid>-<i>"
//   --dialog        a visible "#32770" dialog "helper-dialog"
//   --hidden        a hidden top-level window "helper-hidden"
//   --long-title    a visible window with a 300-character title
//   --class99, --class100   visible windows of classes with 99 and 100-character names
//   --class NAME    a visible window of a class registered under NAME (repeatable)
//   --color RRGGBB  the client fill of the plain windows (default 1E9A5A)
//   --parent PID    ends when that process ends
//   --quit          ends as soon as the windows exist (starts the desktop for a new session)
//   --slow MS [N]   the plain windows take MS milliseconds over every Nth show or hide (N: 1)
//   --display-change  only asks for the display settings of the registry and ends: Wine then
//                   reads the monitors afresh, as this new process found them, and tells every
//                   window (WM_DISPLAYCHANGE)
#include "ZWindowHelperProtocol.h"
#include <windows.h>
#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <random>
#include <string>
#include <vector>

using namespace zhelper;

namespace {

struct Helper {
    HINSTANCE instance = nullptr;
    HBRUSH fill = nullptr;
    std::vector<HWND> plain;        // slot i stays, set to null once the window is gone
    HWND special[kReused + 1] = {}; // by Role; kNamedClass's are in `named`
    std::vector<HWND> named;
    HANDLE hangDone = nullptr;
    DWORD slowMs = 0;
    DWORD slowEvery = 1;
    DWORD shows = 0;
};
Helper g;

LRESULT CALLBACK PlainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SHOWWINDOW && g.slowMs && ++g.shows % g.slowEvery == 0) {
        Sleep(g.slowMs); // a program busy with something else when it is shown or hidden
    }
    if (msg == WM_DESTROY) {
        std::replace(g.plain.begin(), g.plain.end(), hwnd, HWND{});
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_INITDIALOG) {
        return TRUE;
    }
    if (msg == WM_CLOSE) {
        DestroyWindow(hwnd);
        return TRUE;
    }
    return FALSE;
}

bool Register(const wchar_t* name, WNDPROC proc, HBRUSH background) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = g.instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    return RegisterClassW(&wc) != 0;
}

HWND CreateTopLevel(const wchar_t* cls, const std::wstring& title, bool visible) {
    // Cascaded in creation order, so that a screenshot shows each of them.
    static int placed = 0;
    const int x = 20 + (placed % 40) * 24;
    const int y = 20 + (placed % 30) * 24;
    ++placed;
    return CreateWindowExW(0, cls, title.c_str(), WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0),
                           x, y, 200, 120, nullptr, nullptr, g.instance, nullptr);
}

int OpenPlain(int count) {
    const int first = static_cast<int>(g.plain.size());
    for (int i = 0; i < count; ++i) {
        const int index = static_cast<int>(g.plain.size());
        const std::wstring title =
            L"helper-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(index);
        g.plain.push_back(CreateTopLevel(kWindowClass, title, true));
    }
    return first;
}

HWND CreateDialogWindow(const wchar_t* title = L"helper-dialog", HWND owner = nullptr) {
    // An in-memory template: no menu, the system dialog class, a caption.
    alignas(4) WORD buffer[64] = {};
    auto* tmpl = reinterpret_cast<DLGTEMPLATE*>(buffer);
    tmpl->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME;
    tmpl->x = 40;
    tmpl->y = 40;
    tmpl->cx = 140;
    tmpl->cy = 60;
    WORD* p = reinterpret_cast<WORD*>(reinterpret_cast<BYTE*>(buffer) + sizeof(DLGTEMPLATE));
    *p++ = 0; // menu
    *p++ = 0; // class
    for (const wchar_t* c = title; *c; ++c) {
        *p++ = static_cast<WORD>(*c);
    }
    *p = 0;
    return CreateDialogIndirectParamW(g.instance, tmpl, owner, DialogProc, 0);
}

HWND CreateOfClass(const std::wstring& cls, const std::wstring& title) {
    if (!Register(cls.c_str(), PlainProc, g.fill)) {
        return nullptr;
    }
    return CreateTopLevel(cls.c_str(), title, true);
}

std::wstring Padded(std::wstring text, size_t length) {
    text.resize(length, L'x');
    return text;
}

int Churn(unsigned seed, int steps) {
    std::mt19937 random(seed);
    for (int step = 0; step < steps; ++step) {
        std::vector<int> open;
        for (size_t i = 0; i < g.plain.size(); ++i) {
            if (g.plain[i]) {
                open.push_back(static_cast<int>(i));
            }
        }
        if (!open.empty() && random() % 2 == 0) {
            DestroyWindow(g.plain[open[random() % open.size()]]);
        } else {
            OpenPlain(1);
        }
    }
    return static_cast<int>(g.plain.size() - std::count(g.plain.begin(), g.plain.end(), nullptr));
}

HWND CreateReuseCandidate() {
    return CreateWindowExW(0, kWindowClass, L"helper-reused", WS_OVERLAPPEDWINDOW, 60, 60, 200, 120,
                           nullptr, nullptr, g.instance, nullptr);
}

WORD SlotOf(const void* handle) {
    return LOWORD(reinterpret_cast<UINT_PTR>(handle));
}
WORD GenerationOf(const void* handle) {
    return HIWORD(reinterpret_cast<UINT_PTR>(handle));
}

// User handles (windows, menus, ...) share one table: a handle is a slot (low word) and a
// generation (high word) that grows by one each time the slot is handed out; freed slots are handed
// out again last-in first-out. Taking the target's slot and cycling it with menus, the cheapest
// user object, brings its generation round to the target's; the last turn creates the window.
HWND ReuseHandle(HWND target) {
    const auto wanted = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(target));
    const WORD slot = LOWORD(wanted);
    // A thread's first top-level window can bring other objects along; make them exist first.
    DestroyWindow(CreateReuseCandidate());
    for (int attempt = 0; attempt < 4; ++attempt) {
        // Take freed slots until the target's comes up, then give the others back.
        std::vector<HMENU> held;
        HMENU current = nullptr;
        for (int i = 0; i < 30000 && !current; ++i) {
            HMENU menu = CreateMenu();
            if (!menu) {
                break;
            }
            if (SlotOf(menu) == slot) {
                current = menu;
            } else {
                held.push_back(menu);
            }
        }
        for (HMENU menu : held) {
            DestroyMenu(menu);
        }
        if (!current) {
            return nullptr;
        }
        for (int i = 0; i < 70000 && current; ++i) {
            const WORD generation =
                GenerationOf(current) + 1 >= 0xffff ? 1 : GenerationOf(current) + 1;
            DestroyMenu(current);
            current = nullptr;
            if (static_cast<DWORD>(MAKELONG(slot, generation)) == wanted) {
                HWND hwnd = CreateReuseCandidate();
                if (hwnd == target) {
                    g.special[kReused] = hwnd;
                    return hwnd;
                }
                DestroyWindow(hwnd); // someone else took the slot in between: start over
                break;
            }
            current = CreateMenu();
            if (current && SlotOf(current) != slot) {
                DestroyMenu(current);
                current = nullptr;
            }
        }
        if (current) {
            DestroyMenu(current);
        }
    }
    return nullptr;
}

LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case kMsgCount:
        return static_cast<LRESULT>(g.plain.size());
    case kMsgWindow:
        return wParam < g.plain.size() ? reinterpret_cast<LRESULT>(g.plain[wParam]) : 0;
    case kMsgSpecial:
        if (wParam == kNamedClass) {
            return static_cast<size_t>(lParam) < g.named.size()
                       ? reinterpret_cast<LRESULT>(g.named[lParam])
                       : 0;
        }
        return wParam <= kReused ? reinterpret_cast<LRESULT>(g.special[wParam]) : 0;
    case kMsgOpen:
        return OpenPlain(static_cast<int>(wParam));
    case kMsgClose:
        if (wParam < g.plain.size() && g.plain[wParam]) {
            return DestroyWindow(g.plain[wParam]);
        }
        return FALSE;
    case kMsgHang:
        ResetEvent(g.hangDone);
        if (InSendMessage()) {
            ReplyMessage(TRUE);
        }
        Sleep(static_cast<DWORD>(wParam) * 1000);
        SetEvent(g.hangDone);
        return TRUE;
    case kMsgChurn:
        return Churn(static_cast<unsigned>(wParam), static_cast<int>(lParam));
    case kMsgPaint:
        for (HWND window : g.plain) {
            if (window) {
                UpdateWindow(window);
            }
        }
        GdiFlush();
        return TRUE;
    case kMsgReuseHandle:
        return reinterpret_cast<LRESULT>(ReuseHandle(reinterpret_cast<HWND>(wParam)));
    case kMsgModal:
        if (HWND owner = wParam < g.plain.size() ? g.plain[wParam] : nullptr) {
            HWND modal = CreateDialogWindow(L"helper-modal", owner);
            EnableWindow(owner, FALSE);
            return reinterpret_cast<LRESULT>(modal);
        }
        return 0;
    case WM_CLOSE:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    g.instance = instance;
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    int windows = 0;
    // The flags that each ask for one window of a role.
    const std::pair<const wchar_t*, Role> kFlags[] = {{L"--dialog", kDialog},
                                                      {L"--hidden", kHidden},
                                                      {L"--long-title", kLongTitle},
                                                      {L"--class99", kClass99},
                                                      {L"--class100", kClass100}};
    bool wanted[kReused + 1] = {};
    std::vector<std::wstring> classes;
    COLORREF color = RGB(0x1E, 0x9A, 0x5A);
    HANDLE parent = nullptr;
    bool quit = false;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        const bool hasValue = i + 1 < argc;
        for (const auto& [flag, role] : kFlags) {
            wanted[role] = wanted[role] || arg == flag;
        }
        if (arg == L"--windows" && hasValue) {
            windows = _wtoi(argv[++i]);
        } else if (arg == L"--class" && hasValue) {
            classes.push_back(argv[++i]);
        } else if (arg == L"--color" && hasValue) {
            const unsigned long rgb = wcstoul(argv[++i], nullptr, 16);
            color = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
        } else if (arg == L"--slow" && hasValue) {
            g.slowMs = wcstoul(argv[++i], nullptr, 10);
            if (i + 1 < argc && iswdigit(argv[i + 1][0])) {
                g.slowEvery = std::max(1ul, wcstoul(argv[++i], nullptr, 10));
            }
        } else if (arg == L"--quit") {
            quit = true;
        } else if (arg == L"--display-change") {
            LocalFree(argv);
            return ChangeDisplaySettingsExW(nullptr, nullptr, nullptr, 0, nullptr);
        } else if (arg == L"--parent" && hasValue) {
            parent = OpenProcess(SYNCHRONIZE, FALSE, wcstoul(argv[++i], nullptr, 10));
        }
    }
    LocalFree(argv);

    g.fill = CreateSolidBrush(color);
    const std::wstring pid = std::to_wstring(GetCurrentProcessId());
    g.hangDone = CreateEventW(nullptr, TRUE, FALSE, (kHangDonePrefix + pid).c_str());
    Register(kWindowClass, PlainProc, g.fill);
    Register(kControlClass, ControlProc, nullptr);

    OpenPlain(windows);
    // Made in one order whatever the flags' order: the cascade places windows by it.
    if (wanted[kDialog]) {
        g.special[kDialog] = CreateDialogWindow();
    }
    if (wanted[kHidden]) {
        g.special[kHidden] = CreateTopLevel(kWindowClass, L"helper-hidden", false);
    }
    if (wanted[kLongTitle]) {
        std::wstring title = L"helper-long-title-";
        for (int i = 0; title.size() < 300; ++i) {
            title += static_cast<wchar_t>(L'A' + i % 26);
        }
        g.special[kLongTitle] = CreateTopLevel(kWindowClass, title, true);
    }
    if (wanted[kClass99]) {
        g.special[kClass99] = CreateOfClass(Padded(L"ZHelperClass99-", 99), L"helper-class99");
    }
    if (wanted[kClass100]) {
        g.special[kClass100] = CreateOfClass(Padded(L"ZHelperClass100-", 100), L"helper-class100");
    }
    for (const std::wstring& cls : classes) {
        g.named.push_back(CreateOfClass(cls, L"helper-class-" + cls));
    }
    // Created last: once tests find it, every window above exists.
    const std::wstring controlTitle = std::wstring(kControlClass) + L"-" + pid;
    CreateWindowExW(0, kControlClass, controlTitle.c_str(), 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                    instance, nullptr);

    if (quit) {
        return 0;
    }
    MSG msg;
    for (;;) {
        const DWORD waited =
            MsgWaitForMultipleObjects(parent ? 1 : 0, &parent, FALSE, INFINITE, QS_ALLINPUT);
        if (parent && waited == WAIT_OBJECT_0) {
            break;
        }
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                return 0;
            }
            if (!g.special[kDialog] || !IsDialogMessageW(g.special[kDialog], &msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
    }
    return 0;
}
