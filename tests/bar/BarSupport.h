#pragma once
// The real Zelvanor.exe under test, driven from outside as a user's mouse would drive it, and the
// screen read back pixel by pixel. Shared by the bar tests and the screenshot tool.
#include "UniqueHandle.h"
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

namespace bartest {

// Command ids and layout numbers as the program's users and resources know them.
constexpr UINT kCmdAdd = 32771;
constexpr UINT kCmdDelete = 32772;
constexpr UINT kCmdExit = 32776;
constexpr UINT kCmdRename = 32777;
constexpr int kRenameEditId = 1000;

constexpr int kClientWidth = 120;
constexpr int kTitleHeight = 24;
constexpr int kRowHeight = 30;
constexpr int kCloseOffset = 19;    // close button at W - 19, 19 x 18
constexpr int kCollapseOffset = 45; // collapse button at W - 45, 26 x 18
constexpr int kCloseWidth = 19;
constexpr int kCollapseWidth = 26;
constexpr int kButtonHeight = 18;
constexpr int kFoldedWidth = 43;
constexpr int kFoldedHeight = 20;
inline int RowTop(int row) {
    return kTitleHeight + kRowHeight * row;
}
inline int RowMiddle(int row) {
    return RowTop(row) + kRowHeight / 2;
}

// Bitmap ids of the program's resources.
constexpr UINT kBmpCollapse = 132, kBmpCollapsePressed = 133, kBmpCollapseHover = 134;
constexpr UINT kBmpExpand = 138, kBmpExpandPressed = 139, kBmpExpandHover = 140;
constexpr UINT kBmpClose = 1018, kBmpCloseHover = 1019, kBmpClosePressed = 1020;
constexpr UINT kBmpRow = 136, kBmpRowSelected = 137;

constexpr DWORD Rgb(int r, int g, int b) {
    return static_cast<DWORD>((r << 16) | (g << 8) | b);
}
constexpr DWORD kTitleColour = Rgb(38, 179, 232);
constexpr DWORD kCaptionColour = Rgb(255, 255, 255);
constexpr DWORD kRowText = Rgb(91, 91, 91);
constexpr DWORD kHoverText = Rgb(191, 0, 0);

// Only a state that never comes should reach these bounds.
constexpr DWORD kWaitMs = 20000;
constexpr DWORD kAnswerMs = 30000;

std::wstring ExeDir();
// Polls `done`, pumping this thread's messages, until it holds or the bound passes.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = kWaitMs);
// Pumps this thread's messages for a while: time for other programs to draw.
void PumpFor(DWORD ms);

// Some pixels of an image: how many, and the smallest rectangle holding them (empty if none).
struct PixelSet {
    int count = 0;
    RECT box{0, 0, 0, 0};
    void Add(int x, int y);
    int Width() const { return box.right - box.left; }
};
// Pixels as 0x00RRGGBB, row by row from the top.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<DWORD> pixels;
    DWORD At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    bool Empty() const { return pixels.empty(); }
    Image Crop(int left, int top, int right, int bottom) const;
    int Count(DWORD colour) const;
    PixelSet Find(DWORD colour) const;
    bool operator==(const Image& other) const {
        return width == other.width && height == other.height && pixels == other.pixels;
    }
    bool operator!=(const Image& other) const { return !(*this == other); }
};
// Largest difference of one colour channel between two pixels.
int ChannelDistance(DWORD a, DWORD b);
// The pixels where two images of one size differ by more than `tolerance` in some channel; a
// count of -1 when the sizes differ.
PixelSet Compare(const Image& a, const Image& b, int tolerance);

Image CaptureScreen(const RECT& rect);
// Paints straight onto the screen, over whatever window is there; the window does not know and
// keeps the paint until it draws that place again.
void FillScreen(const RECT& rect, DWORD colour);
// A bitmap of the program's own resources, read from Zelvanor.exe loaded as a data file.
Image ProgramBitmap(UINT id);
// A bitmap of the program stretched with HALFTONE into width x height, as rows are drawn.
Image StretchedProgramBitmap(UINT id, int width, int height);
// Writes a 24-bit .bmp file.
bool SaveBitmapFile(const Image& image, const std::wstring& path);

// The real mouse: the pointer moves and the buttons go down and up as a user's would, so the
// system decides which window gets the messages.
void MoveCursor(POINT screen);
void LeftButton(bool down);
// Somewhere on the desktop that no test puts the bar on.
void ParkCursor();

// The running program and its bar. Always ended when the object goes: the exit command first,
// termination if that does not end it in time.
class BarProcess {
public:
    BarProcess() = default;
    BarProcess(const BarProcess&) = delete;
    BarProcess& operator=(const BarProcess&) = delete;
    ~BarProcess() { Stop(); }

    // Starts Zelvanor.exe, or a copy of it given by its path relative to the tests' folder, with
    // the tests' folder as its current folder, and waits for its bar to be on screen.
    bool Start(const std::wstring& exeName = L"Zelvanor.exe");
    void Stop();
    bool Running() const;
    HWND Bar() const { return m_bar; }

    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0, bool* answered = nullptr) const;
    bool Post(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const;
    bool Command(UINT id) const;
    // Handled before this returns.
    bool Press(int x, int y) const;
    bool Release(int x, int y) const;
    bool MouseOver(int x, int y) const;
    bool Answers(DWORD timeoutMs = kAnswerMs) const;
    // The bar's thread runs the system's loop that moves a window by the pointer.
    bool InMoveLoop() const;

    RECT Window() const;
    SIZE Client() const;
    int Rows() const;
    bool WaitRows(int rows) const;
    bool WaitWindow(const std::function<bool(const RECT&)>& done) const;
    // Moves the bar as the test's own MoveWindow does; the bar's move handling then docks it.
    bool MoveTo(int left, int top) const;
    // Adds working areas with the add command until the bar shows `rows` rows.
    bool AddAreasUpTo(int rows) const;

    POINT ToScreen(int x, int y) const;
    // The pixels that the screen shows at a client rectangle of the bar.
    Image CaptureClient(const RECT& client) const;
    // Polls the screen until the client rectangle shows what `done` accepts.
    bool WaitPixels(const RECT& client, const std::function<bool(const Image&)>& done,
                    Image* last = nullptr) const;

    // The right-click menu of a row, opened and closed again: the row becomes the target of the
    // delete and rename commands.
    bool TargetRow(int row) const;
    HWND OpenMenu() const;
    HWND RenameEdit() const { return GetDlgItem(m_bar, kRenameEditId); }
    // Starts renaming a row; true once the rename box shows.
    bool StartRename(int row) const;
    // Renames a row: the box's text is replaced and a click on the bar commits it.
    bool Rename(int row, const std::wstring& name) const;

private:
    HWND FindBar() const;

    UniqueKernelHandle m_process;
    DWORD m_pid = 0;
    HWND m_bar = nullptr;
};

// A window that the bar takes for the taskbar: class "Shell_TrayWnd", empty title, created after
// any other so that a search by class and title finds it first. A hidden one in the middle of the
// screen stands for no taskbar at all: Wine's own hidden one is an empty rectangle at (0, 0),
// which counts as a taskbar both on the left and at the top.
class FakeTaskbar {
public:
    explicit FakeTaskbar(const RECT& rect, bool visible = true);
    FakeTaskbar(const FakeTaskbar&) = delete;
    FakeTaskbar& operator=(const FakeTaskbar&) = delete;
    HWND Handle() const { return m_window.get(); }

private:
    UniqueHwnd m_window;
};

} // namespace bartest
