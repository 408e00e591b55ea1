#pragma once
// The real Zelvanor.exe under test, driven from outside as a user's mouse, keyboard and the tray
// would drive it: messages to its bar, its menus and its message boxes, and the bar read back
// from the screen.
#include "bar/BarLayout.h"
#include "tests/support/Dpi.h"
#include "res/resource.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/Desktop.h"
#include "tests/support/Image.h"
#include <functional>
#include <string>

namespace ztest {

// Points of the bar that its layout implies, at the DPI the test runs at.
inline int RowMiddle(int row) {
    return Layout().RowTop(row) + Layout().rowHeight / 2;
}
constexpr int kCloseWidth = BarLayout::kCloseOffset;
constexpr int kCollapseWidth = BarLayout::kCollapseOffset - BarLayout::kCloseOffset;
// On the title buttons of a bar `width` wide: the middles of their columns, and a height.
inline int CloseButtonX(int width) {
    return width - kCloseWidth / 2;
}
inline int CollapseButtonX(int width) {
    return width - kCloseWidth - kCollapseWidth / 2;
}
constexpr int kButtonY = BarLayout::kButtonHeight / 2;
// The tray icon's id is the tray menu's.
constexpr UINT kTrayIconId = IDR_TRAY_MENU;

std::wstring ProgramPath();

// The running program and its bar. Always ended when the object goes: menus and boxes are
// dismissed and the exit command given, and the process is terminated if that does not end it.
class ZelvanorProcess {
public:
    ~ZelvanorProcess() { Stop(); }

    // Starts the program in `currentDir` (empty: the tests' folder), in `job` if one is given,
    // and waits until its bar is on screen and answers.
    bool Start(const std::wstring& exe = ProgramPath(), const std::wstring& currentDir = L"",
               HANDLE job = nullptr);
    // Ends it as a user would (the tray's exit) and waits for the process to end.
    bool Exit(DWORD timeoutMs = kAnswerMs);
    void Stop();
    bool Running() const { return m_process.Running(); }
    bool WaitEnded(DWORD timeoutMs) const;

    HWND Bar() const { return m_bar; }
    DWORD Pid() const { return m_process.Pid(); }
    HANDLE Process() const { return m_process.Handle(); }

    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0, bool* answered = nullptr) const;
    // As Send; true once the bar has answered, with its answer in `result`.
    bool Sent(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0, LRESULT* result = nullptr) const;
    bool Post(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return PostMessageW(m_bar, msg, wParam, lParam) != FALSE;
    }
    // Each handled before it returns.
    bool Command(UINT id) const { return Sent(WM_COMMAND, id); }
    bool Press(int x, int y) const { return Sent(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }
    bool Release(int x, int y) const { return Sent(WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }
    bool Click(int x, int y) const { return Press(x, y) && Release(x, y); }
    bool ClickRow(int row) const { return Click(Layout().clientWidth / 2, RowMiddle(row)); }
    // The same click posted: handled in the program's own time, after what is queued before it.
    bool PostClick(int x, int y) const {
        return Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)) &&
               Post(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
    bool PostClickRow(int row) const { return PostClick(Layout().clientWidth / 2, RowMiddle(row)); }
    // The program's visible dialog other than the bar (the About box, a message box), or null.
    HWND Dialog() const { return VisibleWindowOf(Pid(), L"#32770", m_bar); }
    bool MouseOver(int x, int y) const { return Sent(WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }
    bool Answers(DWORD timeoutMs = kAnswerMs) const { return ztest::Answers(m_bar, timeoutMs); }
    // The bar's thread runs the system's loop that moves a window by the pointer.
    bool InMoveLoop() const;

    RECT WindowRect() const { return ztest::WindowRect(m_bar); }
    SIZE ClientSize() const;
    int Rows() const { return Layout().RowIndex(ClientSize().cy); }
    bool WaitRows(int rows) const;
    bool WaitWindow(const std::function<bool(const RECT&)>& done) const;
    bool Visible() const { return IsWindowVisible(m_bar) != FALSE; }
    bool WaitVisible(bool visible) const { return ztest::WaitVisible(m_bar, visible); }
    // Moves the bar as a MoveWindow of the test's own does; the bar's move handling then docks it.
    bool MoveTo(int left, int top) const;
    // Adds working areas with the add command until the bar shows `rows` rows.
    bool AddAreasUpTo(int rows) const;

    POINT ToScreen(int x, int y) const;
    // What the screen shows at a client rectangle of the bar.
    Image CaptureClient(const RECT& client) const;
    // Polls the screen until the client rectangle shows what `done` accepts.
    bool WaitPixels(const RECT& client, const std::function<bool(const Image&)>& done,
                    Image* last = nullptr) const;

    // Right-clicks a row and picks a command of the menu that opens, with the keyboard.
    bool RowMenu(int row, UINT command) const;
    // The right-click menu of a row, opened and closed again: the row becomes the target of the
    // delete and rename commands.
    bool TargetRow(int row) const;
    // Right-click on the tray icon, then a command of the tray menu.
    bool TrayMenu(UINT command) const;
    bool TrayDoubleClick() const { return Sent(WM_TRAY_NOTIFY, kTrayIconId, WM_LBUTTONDBLCLK); }
    bool TrayIconPresent() const;
    bool WaitTrayIcon(bool present) const;
    // A visible popup menu or message box of the program, or null.
    HWND OpenMenu() const { return OpenMenuOf(Pid()); }
    HWND MessageBoxWindow() const;
    bool CloseMenus() const;

    HWND RenameEdit() const { return GetDlgItem(m_bar, IDC_RENAME_EDIT); }
    // Starts a rename of a row from its menu; true once the box shows.
    bool StartRename(int row) const;
    bool SetEditText(const std::wstring& text) const;
    // Starts a rename of a row and types a name into the box, which stays open.
    bool TypeName(int row, const std::wstring& name) const {
        return StartRename(row) && SetEditText(name);
    }
    // Renames a row: the box's text is replaced and a click on another row commits it.
    bool Rename(int row, const std::wstring& name) const;
    // The name of a row, read from the rename box; the rename is committed unchanged.
    std::wstring NameOf(int row) const;

    // The program's visible dialog other than the bar, waited for; null when none comes.
    HWND WaitDialog() const { return WaitVisibleWindowOf(Pid(), L"#32770", m_bar); }
    // The ways a user hides the bar, numbered from 0: Escape, Enter, the dialog's cancel and OK
    // commands, the close button and the system menu's close. True once the bar has taken the
    // request; the bar may hide later.
    static constexpr int kHideWays = 6;
    static const char* HideWayName(int way);
    bool HideBy(int way) const;
    // A right-click on a row, posted: its menu runs a loop of its own inside the handler.
    bool PostRightClickRow(int row) const {
        return Post(WM_RBUTTONDOWN, MK_RBUTTON,
                    MAKELPARAM(Layout().clientWidth / 2, RowMiddle(row)));
    }

private:
    bool ChooseFromOpenMenu(UINT menuId, UINT command) const;

    ChildProcess m_process;
    HWND m_bar = nullptr;
};

} // namespace ztest
