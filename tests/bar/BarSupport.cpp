#include "BarSupport.h"
#include <algorithm>
#include <cstdlib>

namespace bartest {

namespace {

struct DcOfScreen {
    HDC dc = GetDC(nullptr);
    ~DcOfScreen() { ReleaseDC(nullptr, dc); }
};

BITMAPINFO TopDown32(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// A 32-bit DIB section selected into a memory DC; the pixels are read back after drawing.
class DibCanvas {
public:
    DibCanvas(int width, int height) : m_width(width), m_height(height) {
        DcOfScreen screen;
        BITMAPINFO info = TopDown32(width, height);
        m_bitmap.reset(CreateDIBSection(screen.dc, &info, DIB_RGB_COLORS, &m_bits, nullptr, 0));
        m_dc.reset(CreateCompatibleDC(screen.dc));
        if (m_bitmap && m_dc) {
            m_previous = SelectObject(m_dc.get(), m_bitmap.get());
        }
    }
    ~DibCanvas() {
        if (m_previous) {
            SelectObject(m_dc.get(), m_previous);
        }
    }
    DibCanvas(const DibCanvas&) = delete;
    DibCanvas& operator=(const DibCanvas&) = delete;

    HDC Dc() const { return m_dc.get(); }
    bool Ok() const { return m_previous != nullptr && m_bits != nullptr; }
    Image Pixels() const {
        Image image;
        if (!Ok()) {
            return image;
        }
        GdiFlush();
        image.width = m_width;
        image.height = m_height;
        const DWORD* source = static_cast<const DWORD*>(m_bits);
        image.pixels.assign(source, source + static_cast<size_t>(m_width) * m_height);
        for (DWORD& pixel : image.pixels) {
            pixel &= 0xFFFFFF;
        }
        return image;
    }

private:
    int m_width, m_height;
    void* m_bits = nullptr;
    UniqueHgdiobj m_bitmap;
    UniqueHdc m_dc;
    HGDIOBJ m_previous = nullptr;
};

// Zelvanor.exe as a data file: its resources without running any of its code.
HMODULE ProgramResources() {
    static UniqueHmodule module(
        LoadLibraryExW((ExeDir() + L"\\Zelvanor.exe").c_str(), nullptr,
                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    return module.get();
}

struct WindowSearch {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectOfProcess(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search->pid) {
        search->found.push_back(hwnd);
    }
    return TRUE;
}

std::vector<HWND> TopLevelWindowsOf(DWORD pid) {
    WindowSearch search{pid, {}};
    EnumWindows(CollectOfProcess, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[64] = L"";
    GetClassNameW(hwnd, name, 64);
    return name;
}

LPARAM KeyData(UINT vk) {
    return 1 | (static_cast<LPARAM>(MapVirtualKeyW(vk, 0)) << 16);
}

} // namespace

std::wstring ExeDir() {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path);
    return dir.substr(0, dir.find_last_of(L"\\/"));
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done()) {
            return true;
        }
        if (GetTickCount() - start > timeoutMs) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpFor(DWORD ms) {
    WaitUntil([] { return false; }, ms);
}

// ---------------------------------------------------------------------------------------------

Image Image::Crop(int left, int top, int right, int bottom) const {
    Image part;
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, width);
    bottom = std::min(bottom, height);
    if (right <= left || bottom <= top) {
        return part;
    }
    part.width = right - left;
    part.height = bottom - top;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            part.pixels.push_back(At(x, y));
        }
    }
    return part;
}

int Image::Count(DWORD colour) const {
    return static_cast<int>(std::count(pixels.begin(), pixels.end(), colour));
}

int ChannelDistance(DWORD a, DWORD b) {
    int worst = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int ca = static_cast<int>((a >> shift) & 0xFF);
        const int cb = static_cast<int>((b >> shift) & 0xFF);
        worst = std::max(worst, std::abs(ca - cb));
    }
    return worst;
}

void PixelSet::Add(int x, int y) {
    if (count++ == 0) {
        box = RECT{x, y, x + 1, y + 1};
        return;
    }
    box.left = std::min<LONG>(box.left, x);
    box.top = std::min<LONG>(box.top, y);
    box.right = std::max<LONG>(box.right, x + 1);
    box.bottom = std::max<LONG>(box.bottom, y + 1);
}

PixelSet Image::Find(DWORD colour) const {
    PixelSet set;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (At(x, y) == colour) {
                set.Add(x, y);
            }
        }
    }
    return set;
}

PixelSet Compare(const Image& a, const Image& b, int tolerance) {
    PixelSet diff;
    if (a.width != b.width || a.height != b.height) {
        diff.count = -1;
        return diff;
    }
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            if (ChannelDistance(a.At(x, y), b.At(x, y)) > tolerance) {
                diff.Add(x, y);
            }
        }
    }
    return diff;
}

Image CaptureScreen(const RECT& rect) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) {
        return Image();
    }
    DibCanvas canvas(width, height);
    if (!canvas.Ok()) {
        return Image();
    }
    // Only what lies on the screen: a source partly off it would fail the whole copy. The rest
    // stays black.
    const RECT screenRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT shown{};
    if (IntersectRect(&shown, &rect, &screenRect)) {
        DcOfScreen screen;
        BitBlt(canvas.Dc(), shown.left - rect.left, shown.top - rect.top, shown.right - shown.left,
               shown.bottom - shown.top, screen.dc, shown.left, shown.top, SRCCOPY);
    }
    return canvas.Pixels();
}

void FillScreen(const RECT& rect, DWORD colour) {
    UniqueHgdiobj brush(
        CreateSolidBrush(RGB((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF)));
    DcOfScreen screen;
    FillRect(screen.dc, &rect, static_cast<HBRUSH>(brush.get()));
    GdiFlush();
}

Image ProgramBitmap(UINT id) {
    Image image;
    UniqueHgdiobj bitmap(LoadBitmapW(ProgramResources(), MAKEINTRESOURCEW(id)));
    BITMAP info{};
    if (!bitmap || !GetObjectW(bitmap.get(), sizeof(info), &info)) {
        return image;
    }
    image.width = info.bmWidth;
    image.height = info.bmHeight;
    image.pixels.resize(static_cast<size_t>(info.bmWidth) * info.bmHeight);
    BITMAPINFO format = TopDown32(info.bmWidth, info.bmHeight);
    DcOfScreen screen;
    if (GetDIBits(screen.dc, static_cast<HBITMAP>(bitmap.get()), 0, info.bmHeight,
                  image.pixels.data(), &format, DIB_RGB_COLORS) != info.bmHeight) {
        return Image();
    }
    for (DWORD& pixel : image.pixels) {
        pixel &= 0xFFFFFF;
    }
    return image;
}

Image StretchedProgramBitmap(UINT id, int width, int height) {
    UniqueHgdiobj bitmap(LoadBitmapW(ProgramResources(), MAKEINTRESOURCEW(id)));
    BITMAP info{};
    if (!bitmap || !GetObjectW(bitmap.get(), sizeof(info), &info)) {
        return Image();
    }
    DibCanvas canvas(width, height);
    UniqueHdc source(CreateCompatibleDC(canvas.Dc()));
    if (!canvas.Ok() || !source) {
        return Image();
    }
    HGDIOBJ previous = SelectObject(source.get(), bitmap.get());
    SetStretchBltMode(canvas.Dc(), HALFTONE);
    StretchBlt(canvas.Dc(), 0, 0, width, height, source.get(), 0, 0, info.bmWidth, info.bmHeight,
               SRCCOPY);
    SelectObject(source.get(), previous);
    return canvas.Pixels();
}

bool SaveBitmapFile(const Image& image, const std::wstring& path) {
    const int stride = (image.width * 3 + 3) & ~3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = image.width;
    info.biHeight = image.height; // bottom-up
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = static_cast<DWORD>(stride * image.height);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + info.biSizeImage;
    std::string data(reinterpret_cast<const char*>(&file), sizeof(file));
    data.append(reinterpret_cast<const char*>(&info), sizeof(info));
    std::string line(stride, '\0');
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const DWORD pixel = image.At(x, y);
            line[x * 3] = static_cast<char>(pixel & 0xFF);
            line[x * 3 + 1] = static_cast<char>((pixel >> 8) & 0xFF);
            line[x * 3 + 2] = static_cast<char>((pixel >> 16) & 0xFF);
        }
        data += line;
    }
    UniqueKernelHandle out(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (out.get() == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    return WriteFile(out.get(), data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
           written == data.size();
}

// ---------------------------------------------------------------------------------------------

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

// ---------------------------------------------------------------------------------------------

bool BarProcess::Start(const std::wstring& exeName) {
    Stop();
    const std::wstring dir = ExeDir();
    const std::wstring exe = dir + L"\\" + exeName;
    std::wstring cmd = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si,
                        &pi)) {
        return false;
    }
    CloseHandle(pi.hThread);
    m_process.reset(pi.hProcess);
    m_pid = pi.dwProcessId;
    return WaitUntil(
        [this] {
            m_bar = FindBar();
            return m_bar && IsWindowVisible(m_bar) && Answers();
        },
        60000);
}

void BarProcess::Stop() {
    if (!m_process) {
        return;
    }
    if (Running()) {
        // An open menu would hold the exit command back.
        if (OpenMenu()) {
            Post(WM_KEYDOWN, VK_ESCAPE, KeyData(VK_ESCAPE));
            WaitUntil([this] { return OpenMenu() == nullptr; }, 5000);
        }
        Post(WM_COMMAND, kCmdExit);
        if (!WaitUntil([this] { return !Running(); }, 15000)) {
            TerminateProcess(m_process.get(), 1);
            WaitForSingleObject(m_process.get(), 10000);
        }
    }
    m_process.reset();
    m_pid = 0;
    m_bar = nullptr;
}

bool BarProcess::Running() const {
    return m_process && WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT;
}

HWND BarProcess::FindBar() const {
    for (HWND hwnd : TopLevelWindowsOf(m_pid)) {
        if (ClassOf(hwnd) == L"#32770" && (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)) {
            return hwnd;
        }
    }
    return nullptr;
}

LRESULT BarProcess::Send(UINT msg, WPARAM wParam, LPARAM lParam, bool* answered) const {
    DWORD_PTR result = 0;
    const bool ok =
        SendMessageTimeoutW(m_bar, msg, wParam, lParam, SMTO_NORMAL, kAnswerMs, &result) != 0;
    if (answered) {
        *answered = ok;
    }
    return ok ? static_cast<LRESULT>(result) : 0;
}

bool BarProcess::Post(UINT msg, WPARAM wParam, LPARAM lParam) const {
    return PostMessageW(m_bar, msg, wParam, lParam) != FALSE;
}

bool BarProcess::Command(UINT id) const {
    bool answered = false;
    Send(WM_COMMAND, id, 0, &answered);
    return answered;
}

bool BarProcess::Press(int x, int y) const {
    bool answered = false;
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y), &answered);
    return answered;
}

bool BarProcess::Release(int x, int y) const {
    bool answered = false;
    Send(WM_LBUTTONUP, 0, MAKELPARAM(x, y), &answered);
    return answered;
}

bool BarProcess::MouseOver(int x, int y) const {
    bool answered = false;
    Send(WM_MOUSEMOVE, 0, MAKELPARAM(x, y), &answered);
    return answered;
}

bool BarProcess::Answers(DWORD timeoutMs) const {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(m_bar, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

bool BarProcess::InMoveLoop() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(GetWindowThreadProcessId(m_bar, nullptr), &info) &&
           (info.flags & GUI_INMOVESIZE) != 0;
}

RECT BarProcess::Window() const {
    RECT rc{};
    GetWindowRect(m_bar, &rc);
    return rc;
}

SIZE BarProcess::Client() const {
    RECT rc{};
    GetClientRect(m_bar, &rc);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

int BarProcess::Rows() const {
    return (Client().cy - kTitleHeight) / kRowHeight;
}

bool BarProcess::WaitRows(int rows) const {
    return WaitUntil([&] { return Client().cy == kTitleHeight + kRowHeight * rows; });
}

bool BarProcess::WaitWindow(const std::function<bool(const RECT&)>& done) const {
    return WaitUntil([&] { return done(Window()); });
}

bool BarProcess::MoveTo(int left, int top) const {
    const RECT rc = Window();
    return MoveWindow(m_bar, left, top, rc.right - rc.left, rc.bottom - rc.top, TRUE) && Answers();
}

bool BarProcess::AddAreasUpTo(int rows) const {
    while (Rows() < rows) {
        const int before = Rows();
        if (!Command(kCmdAdd) || !WaitRows(before + 1)) {
            return false;
        }
    }
    return true;
}

POINT BarProcess::ToScreen(int x, int y) const {
    POINT pt{x, y};
    ClientToScreen(m_bar, &pt);
    return pt;
}

Image BarProcess::CaptureClient(const RECT& client) const {
    const POINT topLeft = ToScreen(client.left, client.top);
    return CaptureScreen(RECT{topLeft.x, topLeft.y, topLeft.x + client.right - client.left,
                              topLeft.y + client.bottom - client.top});
}

bool BarProcess::WaitPixels(const RECT& client, const std::function<bool(const Image&)>& done,
                            Image* last) const {
    Image image;
    const bool ok = WaitUntil([&] {
        image = CaptureClient(client);
        return !image.Empty() && done(image);
    });
    if (last) {
        *last = image;
    }
    return ok;
}

HWND BarProcess::OpenMenu() const {
    for (HWND hwnd : TopLevelWindowsOf(m_pid)) {
        if (ClassOf(hwnd) == L"#32768" && IsWindowVisible(hwnd)) {
            return hwnd;
        }
    }
    return nullptr;
}

bool BarProcess::TargetRow(int row) const {
    // Posted: the menu runs a loop of its own inside the handler.
    if (!Post(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(kClientWidth / 2, RowMiddle(row))) ||
        !WaitUntil([this] { return OpenMenu() != nullptr; })) {
        return false;
    }
    // One Escape only: a second one, left over once the menu is gone, would hide the bar.
    return Post(WM_KEYDOWN, VK_ESCAPE, KeyData(VK_ESCAPE)) &&
           WaitUntil([this] { return OpenMenu() == nullptr; }) && Answers();
}

bool BarProcess::StartRename(int row) const {
    return TargetRow(row) && Command(kCmdRename) &&
           WaitUntil([this] { return IsWindowVisible(RenameEdit()) != FALSE; });
}

bool BarProcess::Rename(int row, const std::wstring& name) const {
    if (!StartRename(row)) {
        return false;
    }
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(RenameEdit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()),
                             SMTO_NORMAL, kAnswerMs, &result)) {
        return false;
    }
    // A click on the bar while the box is open only commits the rename.
    return Press(kClientWidth / 2, RowMiddle(row == 0 ? 1 : 0)) &&
           Release(kClientWidth / 2, RowMiddle(row == 0 ? 1 : 0)) &&
           WaitUntil([this] { return !IsWindowVisible(RenameEdit()); });
}

// ---------------------------------------------------------------------------------------------

FakeTaskbar::FakeTaskbar(const RECT& rect, bool visible) {
    static const ATOM atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
        wc.lpszClassName = L"Shell_TrayWnd";
        return RegisterClassW(&wc);
    }();
    if (!atom) {
        return;
    }
    m_window.reset(CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"Shell_TrayWnd", L"",
                                   WS_POPUP, rect.left, rect.top, rect.right - rect.left,
                                   rect.bottom - rect.top, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr));
    if (m_window && visible) {
        ShowWindow(m_window.get(), SW_SHOWNOACTIVATE);
    }
}

} // namespace bartest
