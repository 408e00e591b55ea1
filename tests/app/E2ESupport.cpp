#include "E2ESupport.h"
#include <shellapi.h>
#include <cmath>
#include <cstdio>
#include <cwchar>

namespace e2e {

namespace {

// Generous: only a state that never comes should reach them.
constexpr DWORD kWaitMs = 20000;
constexpr DWORD kAnswerMs = 30000;
constexpr DWORD kStartMs = 60000;

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

LPARAM KeyData(UINT vk) {
    return 1 | (static_cast<LPARAM>(MapVirtualKeyW(vk, 0)) << 16);
}

} // namespace

std::wstring ProgramPath() {
    return zhelper::ExeDir() + L"\\Zelvanor.exe";
}

ScratchFolder::ScratchFolder(const std::wstring& tag) {
    m_path = zhelper::ExeDir() + L"\\e2e-" + tag + L"-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(m_path.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((m_path + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                DeleteFileW(File(data.cFileName).c_str());
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(m_path.c_str());
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WriteTextFile(const std::wstring& path, const std::string& text) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == text.size();
}

std::vector<HWND> TopLevelWindowsOf(DWORD pid) {
    WindowSearch search{pid, {}};
    EnumWindows(CollectOfProcess, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256] = L"";
    GetClassNameW(hwnd, name, 256);
    return name;
}

std::wstring TitleOf(HWND hwnd) {
    wchar_t title[512] = L"";
    GetWindowTextW(hwnd, title, 512);
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

bool Answers(HWND hwnd, DWORD timeoutMs) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

// ---------------------------------------------------------------------------------------------

bool ZelvanorProcess::Start(const std::wstring& exe, const std::wstring& currentDir) {
    Stop();
    std::wstring cmd = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                        currentDir.empty() ? nullptr : currentDir.c_str(), &si, &pi)) {
        return false;
    }
    CloseHandle(pi.hThread);
    m_process = pi.hProcess;
    m_pid = pi.dwProcessId;
    return WaitUntil(
        [this] {
            m_bar = FindBar();
            return m_bar && IsWindowVisible(m_bar) && Answers(m_bar);
        },
        kStartMs);
}

HWND ZelvanorProcess::FindBar() const {
    for (HWND hwnd : TopLevelWindowsOf(m_pid)) {
        const LONG_PTR ex = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
        if (ClassOf(hwnd) == L"#32770" && (ex & WS_EX_TOOLWINDOW) && (ex & WS_EX_TOPMOST)) {
            return hwnd;
        }
    }
    return nullptr;
}

bool ZelvanorProcess::Running() const {
    return m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
}

bool ZelvanorProcess::WaitEnded(DWORD timeoutMs) const {
    return WaitUntil([this] { return !Running(); }, timeoutMs);
}

bool ZelvanorProcess::Exit(DWORD timeoutMs) {
    if (!Running()) {
        return false;
    }
    Post(WM_COMMAND, kCmdExit);
    return WaitEnded(timeoutMs);
}

void ZelvanorProcess::Stop() {
    if (!m_process) {
        return;
    }
    if (Running()) {
        // A menu or a box of the program would hold the exit command back.
        CloseMenus();
        for (HWND hwnd : TopLevelWindowsOf(m_pid)) {
            if (hwnd != m_bar && ClassOf(hwnd) == L"#32770" && IsWindowVisible(hwnd)) {
                PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
            }
        }
        if (!Exit(15000)) {
            TerminateProcess(m_process, 1);
            WaitForSingleObject(m_process, 10000);
        }
    }
    CloseHandle(m_process);
    m_process = nullptr;
    m_pid = 0;
    m_bar = nullptr;
}

LRESULT ZelvanorProcess::Send(UINT msg, WPARAM wParam, LPARAM lParam, bool* answered) const {
    DWORD_PTR result = 0;
    const bool ok =
        SendMessageTimeoutW(m_bar, msg, wParam, lParam, SMTO_NORMAL, kAnswerMs, &result) != 0;
    if (answered) {
        *answered = ok;
    }
    return ok ? static_cast<LRESULT>(result) : 0;
}

bool ZelvanorProcess::Post(UINT msg, WPARAM wParam, LPARAM lParam) const {
    return PostMessageW(m_bar, msg, wParam, lParam) != FALSE;
}

bool ZelvanorProcess::Click(int x, int y) const {
    bool down = false, up = false;
    Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y), &down);
    Send(WM_LBUTTONUP, 0, MAKELPARAM(x, y), &up);
    return down && up;
}

bool ZelvanorProcess::Command(UINT id) const {
    bool answered = false;
    Send(WM_COMMAND, id, 0, &answered);
    return answered;
}

HWND ZelvanorProcess::OpenMenu() const {
    for (HWND hwnd : TopLevelWindowsOf(m_pid)) {
        if (ClassOf(hwnd) == L"#32768" && IsWindowVisible(hwnd)) {
            return hwnd;
        }
    }
    return nullptr;
}

HWND ZelvanorProcess::MessageBoxWindow() const {
    for (HWND hwnd : TopLevelWindowsOf(m_pid)) {
        // A message box is the dialog whose text sits in the static control 0xFFFF.
        if (hwnd != m_bar && ClassOf(hwnd) == L"#32770" && IsWindowVisible(hwnd) &&
            GetDlgItem(hwnd, 0xFFFF)) {
            return hwnd;
        }
    }
    return nullptr;
}

bool ZelvanorProcess::CloseMenus() const {
    if (!OpenMenu()) {
        return true;
    }
    return WaitUntil(
        [this] {
            if (!OpenMenu()) {
                return true;
            }
            Post(WM_KEYDOWN, VK_ESCAPE, KeyData(VK_ESCAPE));
            return false;
        },
        kWaitMs);
}

bool ZelvanorProcess::ChooseFromOpenMenu(int position) const {
    // Keys typed before the menu runs would reach the bar's dialog handling instead.
    if (!WaitUntil([this] { return OpenMenu() != nullptr; }, kWaitMs)) {
        return false;
    }
    for (int i = 0; i <= position; ++i) {
        Post(WM_KEYDOWN, VK_DOWN, KeyData(VK_DOWN));
    }
    Post(WM_KEYDOWN, VK_RETURN, KeyData(VK_RETURN));
    return WaitUntil([this] { return OpenMenu() == nullptr; }, kWaitMs);
}

bool ZelvanorProcess::RowMenu(int row, BarMenuItem item) const {
    if (!Post(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(kClientWidth / 2, RowMiddle(row)))) {
        return false;
    }
    return ChooseFromOpenMenu(item);
}

bool ZelvanorProcess::TrayMenu(TrayMenuItem item) const {
    if (!Post(kTrayNotify, kTrayId, WM_RBUTTONUP)) {
        return false;
    }
    return ChooseFromOpenMenu(item);
}

bool ZelvanorProcess::TrayDoubleClick() const {
    bool answered = false;
    Send(kTrayNotify, kTrayId, WM_LBUTTONDBLCLK, &answered);
    return answered;
}

bool ZelvanorProcess::TrayIconPresent() const {
    // Changing nothing succeeds only while the shell holds the icon.
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof(nid);
    nid.hWnd = m_bar;
    nid.uID = kTrayId;
    nid.uFlags = 0;
    return Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE;
}

bool ZelvanorProcess::WaitTrayIcon(bool present) const {
    return WaitUntil([&] { return TrayIconPresent() == present; }, kWaitMs);
}

SIZE ZelvanorProcess::ClientSize() const {
    RECT rc{};
    GetClientRect(m_bar, &rc);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

int ZelvanorProcess::Rows() const {
    return (ClientSize().cy - kTitleHeight) / kRowHeight;
}

bool ZelvanorProcess::WaitRows(int rows) const {
    return WaitUntil([&] { return ClientSize().cy == kTitleHeight + kRowHeight * rows; }, kWaitMs);
}

RECT ZelvanorProcess::WindowRect() const {
    RECT rc{};
    GetWindowRect(m_bar, &rc);
    return rc;
}

bool ZelvanorProcess::WaitVisible(bool visible) const {
    return areatest::WaitVisible(m_bar, visible, kWaitMs);
}

bool ZelvanorProcess::StartRename(int row) const {
    if (!RowMenu(row, kBarRename)) {
        return false;
    }
    return areatest::WaitVisible(RenameEdit(), true, kWaitMs);
}

std::wstring ZelvanorProcess::NameOf(int row) const {
    if (!StartRename(row)) {
        return L"<no rename box>";
    }
    const std::wstring name = TextOf(RenameEdit());
    // A click on the bar only ends the rename; the text is unchanged, so is the name.
    ClickRow(row);
    if (!areatest::WaitVisible(RenameEdit(), false, kWaitMs)) {
        return L"<rename box stays>";
    }
    return name;
}

bool ZelvanorProcess::SetEditText(const std::wstring& text) const {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(RenameEdit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                               SMTO_NORMAL, kAnswerMs, &result) &&
           result;
}

// ---------------------------------------------------------------------------------------------

FakeTray::FakeTray() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Shell_TrayWnd";
    RegisterClassW(&wc); // fails harmlessly when already registered
    // Topmost and newest, so that a search by class finds it before the real one; a title, so
    // that a search for the taskbar (empty title) does not.
    m_hwnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, L"e2e fake tray",
                             WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

FakeTray::~FakeTray() {
    if (m_hwnd) {
        DestroyWindow(m_hwnd);
    }
}

bool FakeTray::InCharge() const {
    return m_hwnd && FindWindowExW(nullptr, nullptr, L"Shell_TrayWnd", nullptr) == m_hwnd;
}

LRESULT CALLBACK FakeTray::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<FakeTray*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_COPYDATA && self) {
        // The shell's record: owner, id, flags, callback message, then the tip.
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        Call call;
        call.message = static_cast<DWORD>(data->dwData);
        call.owner = reinterpret_cast<HWND>(wParam);
        if (data->cbData >= 16 + 128 * sizeof(wchar_t)) {
            const auto* fields = static_cast<const UINT*>(data->lpData);
            call.id = fields[1];
            call.flags = fields[2];
            call.callbackMessage = fields[3];
            const auto* tip = reinterpret_cast<const wchar_t*>(fields + 4);
            call.tip.assign(tip, wcsnlen(tip, 128));
        }
        self->m_calls.push_back(call);
        return self->m_refuse ? FALSE : TRUE;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// ---------------------------------------------------------------------------------------------

ScreenImage CaptureScreen(const RECT& rect) {
    ScreenImage image;
    image.width = rect.right - rect.left;
    image.height = rect.bottom - rect.top;
    if (image.width <= 0 || image.height <= 0) {
        return image;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (memory && bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, image.width, image.height, screen, rect.left, rect.top, SRCCOPY);
        GdiFlush();
        const DWORD* source = static_cast<const DWORD*>(bits);
        image.pixels.assign(source, source + static_cast<size_t>(image.width) * image.height);
        for (DWORD& pixel : image.pixels) {
            pixel &= 0xFFFFFF;
        }
        SelectObject(memory, old);
    }
    if (bitmap) {
        DeleteObject(bitmap);
    }
    if (memory) {
        DeleteDC(memory);
    }
    ReleaseDC(nullptr, screen);
    return image;
}

bool SaveBitmap(const ScreenImage& image, const std::wstring& path) {
    const int stride = (image.width * 3 + 3) & ~3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = image.width;
    info.biHeight = image.height; // bottom-up, the form every reader takes
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
    return WriteTextFile(path, data);
}

void Repaint(HWND hwnd) {
    RedrawWindow(hwnd, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

Colour AverageColour(HWND bar, const RECT& client) {
    POINT topLeft{client.left, client.top};
    ClientToScreen(bar, &topLeft);
    const RECT screen{topLeft.x, topLeft.y, topLeft.x + client.right - client.left,
                      topLeft.y + client.bottom - client.top};
    const ScreenImage image = CaptureScreen(screen);
    Colour sum;
    if (image.pixels.empty()) {
        return sum;
    }
    for (DWORD pixel : image.pixels) {
        sum.r += (pixel >> 16) & 0xFF;
        sum.g += (pixel >> 8) & 0xFF;
        sum.b += pixel & 0xFF;
    }
    const double n = static_cast<double>(image.pixels.size());
    sum.r /= n;
    sum.g /= n;
    sum.b /= n;
    return sum;
}

double Distance(const Colour& a, const Colour& b) {
    return std::sqrt((a.r - b.r) * (a.r - b.r) + (a.g - b.g) * (a.g - b.g) +
                     (a.b - b.b) * (a.b - b.b));
}

RECT RowBackgroundProbe(int row) {
    const int top = kTitleHeight + kRowHeight * row;
    return RECT{2, top + 3, 20, top + kRowHeight - 3};
}

} // namespace e2e
