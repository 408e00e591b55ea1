#pragma once
#include <windows.h>

// The commands that tests send to ZWindowHelper's control window, a message-only window of class
// kControlClass titled "ZWindowHelperControl-<pid>". The helper's windows all belong to its one
// UI thread, so a SendMessage to the control window returns only after every request queued
// earlier for those windows (ShowWindowAsync among them) has been handled.
namespace zhelper {

constexpr wchar_t kControlClass[] = L"ZWindowHelperControl";
constexpr wchar_t kWindowClass[] = L"ZWindowHelperWindow";
// Manual-reset event "ZWindowHelperHangDone-<pid>", set when a hang ends.
constexpr wchar_t kHangDonePrefix[] = L"ZWindowHelperHangDone-";

enum Message : UINT {
    kMsgCount = WM_APP + 1, // -> number of plain-window slots, open or closed
    kMsgWindow,             // wParam i -> plain window i ("helper-<pid>-<i>"), 0 once closed
    kMsgSpecial,            // wParam Role, lParam index (kNamedClass only) -> that window or 0
    kMsgOpen,               // wParam k: opens k more plain windows -> slot of the first one
    kMsgClose,              // wParam i: destroys plain window i -> TRUE if it was open
    kMsgHang,               // wParam s: blocks the UI thread s seconds (a sender is released first)
    kMsgChurn,              // wParam seed, lParam steps: opens and closes plain windows at random
                            // -> number of plain windows open afterwards
    kMsgReuseHandle,        // wParam handle: makes a hidden top-level window with exactly that
                            // (freed) handle -> the handle, or 0 when it could not
    kMsgPaint,              // paints every window that waits for it, then answers: sent after
                            // show requests, it returns once they are on screen
    kMsgModal, // wParam i: a dialog "helper-modal" owned by plain window i, which it disables as a
               // modal dialog does -> the dialog
};

enum Role : WPARAM {
    kDialog = 1, // --dialog: a visible "#32770" dialog titled "helper-dialog"
    kHidden,     // --hidden: a hidden window titled "helper-hidden"
    kLongTitle,  // --long-title: a visible window with a 300-character title
    kClass99,    // --class99: a visible window whose class name has 99 characters
    kClass100,   // --class100: the same with 100 characters
    kNamedClass, // --class NAME (repeatable): a visible window of class NAME, lParam = index
    kReused,     // the window made by the last kMsgReuseHandle
};

} // namespace zhelper
