#pragma once
// Starting the real Zelvanor.exe and driving it from outside as a user's mouse, keyboard and the
// tray would: messages to the bar, its menus and its message box, and what is on screen.
#include "HelperProcess.h"
#include "areas/AreaTestSupport.h"
#include <windows.h>
#include <string>
#include <vector>

namespace e2e {

using areatest::WaitUntil;

// Ids of the program's commands and messages, as a user's clicks and the shell produce them.
constexpr UINT kCmdAdd = 32771;
constexpr UINT kCmdDelete = 32772;
constexpr UINT kCmdTrayOpen = 32773;
constexpr UINT kCmdTrayAdd = 32774;
constexpr UINT kCmdExit = 32776;
constexpr UINT kCmdRename = 32777;
constexpr UINT kTrayNotify = WM_USER + 300;
constexpr UINT kTrayId = 131;
constexpr int kRenameEditId = 1000;

// Positions of the items in the bar's right-click menu and in the tray menu, separators skipped.
enum BarMenuItem { kBarAdd = 0, kBarDelete = 1, kBarRename = 2 };
enum TrayMenuItem { kTrayOpen = 0, kTrayAdd = 1, kTrayAbout = 2, kTrayExit = 3 };

// The bar's layout in client pixels.
constexpr int kClientWidth = 120;
constexpr int kTitleHeight = 24;
constexpr int kRowHeight = 30;
inline int RowMiddle(int row) {
    return kTitleHeight + kRowHeight * row + kRowHeight / 2;
}

std::wstring ProgramPath();

// A folder of its own under the tests' folder, removed with everything in it when the object goes.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::wstring& tag);
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder();
    const std::wstring& Path() const { return m_path; }
    std::wstring File(const std::wstring& name) const { return m_path + L"\\" + name; }

private:
    std::wstring m_path;
};

bool FileExists(const std::wstring& path);
bool WriteTextFile(const std::wstring& path, const std::string& text);

// Windows of a process, as the user sees them.
std::vector<HWND> TopLevelWindowsOf(DWORD pid);
std::wstring ClassOf(HWND hwnd);
std::wstring TitleOf(HWND hwnd);
// WM_GETTEXT across processes (an edit control keeps its text to itself).
std::wstring TextOf(HWND hwnd);
bool AllVisible(const std::vector<HWND>& windows);
bool NoneVisible(const std::vector<HWND>& windows);
// Sends WM_NULL to a window and waits for the answer: its thread has then handled every request
// queued for it earlier (ShowWindowAsync among them).
bool Answers(HWND hwnd, DWORD timeoutMs = 30000);

// The real program, started from a given path and folder, ended in the destructor whatever state
// it is in.
class ZelvanorProcess {
public:
    ZelvanorProcess() = default;
    ZelvanorProcess(const ZelvanorProcess&) = delete;
    ZelvanorProcess& operator=(const ZelvanorProcess&) = delete;
    ~ZelvanorProcess() { Stop(); }

    // Starts the program and waits until its bar is on screen.
    bool Start(const std::wstring& exe = ProgramPath(), const std::wstring& currentDir = L"");
    // Ends it as a user would (tray exit) and waits for the process to end.
    bool Exit(DWORD timeoutMs = 30000);
    // Teardown: dismisses menus and message boxes, exits, and terminates after a bound.
    void Stop();
    bool Running() const;
    bool WaitEnded(DWORD timeoutMs) const;

    HWND Bar() const { return m_bar; }
    DWORD Pid() const { return m_pid; }
    HANDLE Process() const { return m_process; }

    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0, bool* answered = nullptr) const;
    bool Post(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const;
    // A press and release of the left button at a client point, handled before this returns.
    bool Click(int x, int y) const;
    bool ClickRow(int row) const { return Click(kClientWidth / 2, RowMiddle(row)); }
    bool Command(UINT id) const;

    // Right-clicks a row and picks an item of the menu that opens, with the keyboard.
    bool RowMenu(int row, BarMenuItem item) const;
    // Right-click on the tray icon, then an item of the tray menu.
    bool TrayMenu(TrayMenuItem item) const;
    // A left double-click on the tray icon.
    bool TrayDoubleClick() const;
    bool TrayIconPresent() const;
    bool WaitTrayIcon(bool present) const;

    SIZE ClientSize() const;
    int Rows() const; // from the client height
    bool WaitRows(int rows) const;
    RECT WindowRect() const;
    bool Visible() const { return IsWindowVisible(m_bar) != FALSE; }
    bool WaitVisible(bool visible) const;

    HWND RenameEdit() const { return GetDlgItem(m_bar, kRenameEditId); }
    // Starts a rename of a row from its menu; true once the box is shown.
    bool StartRename(int row) const;
    // The name of a row, read from the rename box; the rename is committed unchanged.
    std::wstring NameOf(int row) const;
    bool SetEditText(const std::wstring& text) const;

    // A visible popup menu or message box of the program, or null.
    HWND OpenMenu() const;
    HWND MessageBoxWindow() const;
    bool CloseMenus() const;

private:
    bool ChooseFromOpenMenu(int position) const;
    HWND FindBar() const;

    HANDLE m_process = nullptr;
    DWORD m_pid = 0;
    HWND m_bar = nullptr;
};

// A stand-in for the shell's notification area, in this process: while it exists, the shell calls
// of every program reach it instead of the real one. It records them and answers as told.
class FakeTray {
public:
    struct Call {
        DWORD message = 0; // NIM_ADD, NIM_MODIFY, NIM_DELETE
        HWND owner = nullptr;
        UINT id = 0;
        UINT flags = 0;
        UINT callbackMessage = 0;
        std::wstring tip;
    };
    FakeTray();
    FakeTray(const FakeTray&) = delete;
    FakeTray& operator=(const FakeTray&) = delete;
    ~FakeTray();
    // True when the shell calls really come here.
    bool InCharge() const;
    void Refuse(bool refuse) { m_refuse = refuse; }
    const std::vector<Call>& Calls() const { return m_calls; }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND m_hwnd = nullptr;
    bool m_refuse = false;
    std::vector<Call> m_calls;
};

// Pixels of the screen, 0x00RRGGBB each, row by row.
struct ScreenImage {
    int width = 0;
    int height = 0;
    std::vector<DWORD> pixels;
    DWORD At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
ScreenImage CaptureScreen(const RECT& rect);
bool SaveBitmap(const ScreenImage& image, const std::wstring& path);
// Makes a window of another program paint itself before this returns.
void Repaint(HWND hwnd);
// The average colour of a client rectangle of the bar, as shown on screen.
struct Colour {
    double r = 0, g = 0, b = 0;
};
Colour AverageColour(HWND bar, const RECT& client);
double Distance(const Colour& a, const Colour& b);
// Where row backgrounds show and no text is drawn: the left end of the row.
RECT RowBackgroundProbe(int row);

} // namespace e2e
