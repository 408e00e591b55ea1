#include "tests/support/ZelvanorProcess.h"
#include "tests/support/TestHandles.h"
#include "tools/BarFinder.h"
#include <shellapi.h>

namespace ztest {

using namespace BarLayout;

namespace {

// Where a command stands among the items of a menu of the program that the keyboard moves
// through (separators skipped); -1 if it is not there.
int MenuPosition(UINT menuId, UINT command) {
    UniqueMenu menu(LoadMenuW(ProgramModule(), MAKEINTRESOURCEW(menuId)));
    const HMENU popup = GetSubMenu(menu.get(), 0);
    int position = 0;
    for (int i = 0; i < GetMenuItemCount(popup); ++i) {
        if (GetMenuItemID(popup, i) == command) {
            return position;
        }
        position += (GetMenuState(popup, i, MF_BYPOSITION) & MF_SEPARATOR) == 0;
    }
    return -1;
}

void RemoveFilesIn(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    const UniqueFind find(FindFirstFileW((folder + L"\\*").c_str(), &found));
    for (bool more = static_cast<bool>(find); more; more = FindNextFileW(find.get(), &found)) {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            DeleteFileW((folder + L"\\" + found.cFileName).c_str());
        }
    }
}

// The records of held windows that every program this test process starts writes (they inherit
// LOCALAPPDATA) go to a folder of this process alone, emptied at its start and removed at its
// end: what one test's killed program leaves is never read by another test's program, and
// nothing stays behind in the Wine prefix.
class OwnRecordFolder {
public:
    OwnRecordFolder() {
        wchar_t temp[MAX_PATH] = L"";
        GetTempPathW(MAX_PATH, temp);
        m_base = std::wstring(temp) + L"zelvanor-test-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(m_base.c_str(), nullptr);
        RemoveFilesIn(m_base + L"\\Zelvanor"); // left by an earlier process of this id
        SetEnvironmentVariableW(L"LOCALAPPDATA", m_base.c_str());
    }
    ~OwnRecordFolder() {
        RemoveFilesIn(m_base + L"\\Zelvanor");
        RemoveDirectoryW((m_base + L"\\Zelvanor").c_str());
        RemoveDirectoryW(m_base.c_str());
    }

private:
    std::wstring m_base;
};

const OwnRecordFolder g_recordFolder;

} // namespace

std::wstring ProgramPath() {
    return ExeDir() + L"\\Zelvanor.exe";
}

bool ZelvanorProcess::Start(const std::wstring& exe, const std::wstring& currentDir, HANDLE job) {
    Stop();
    if (!m_process.Start(exe, L"", currentDir.empty() ? ExeDir() : currentDir, job)) {
        return false;
    }
    return WaitUntil(
        [this] {
            m_bar = barfinder::FindBar(m_process.Pid());
            return m_bar && IsWindowVisible(m_bar) && Answers();
        },
        60000);
}

bool ZelvanorProcess::WaitEnded(DWORD timeoutMs) const {
    return WaitUntil([this] { return !Running(); }, timeoutMs);
}

bool ZelvanorProcess::Exit(DWORD timeoutMs) {
    return Running() && Post(WM_COMMAND, ID_TRAY_EXIT) && WaitEnded(timeoutMs);
}

void ZelvanorProcess::Stop() {
    if (Running()) {
        // A menu or a box of the program would hold the exit command back.
        CloseMenus();
        for (HWND hwnd : TopLevelWindowsOf(Pid())) {
            if (hwnd != m_bar && ClassOf(hwnd) == L"#32770" && IsWindowVisible(hwnd)) {
                PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
            }
        }
        Exit(15000);
    }
    m_process.Terminate();
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

bool ZelvanorProcess::Sent(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) const {
    bool answered = false;
    const LRESULT answer = Send(msg, wParam, lParam, &answered);
    if (result) {
        *result = answer;
    }
    return answered;
}

bool ZelvanorProcess::InMoveLoop() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(GetWindowThreadProcessId(m_bar, nullptr), &info) &&
           (info.flags & GUI_INMOVESIZE) != 0;
}

SIZE ZelvanorProcess::ClientSize() const {
    RECT rc{};
    GetClientRect(m_bar, &rc);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

bool ZelvanorProcess::WaitRows(int rows) const {
    return WaitUntil([&] { return ClientSize().cy == Layout().ClientHeightFor(rows); });
}

bool ZelvanorProcess::WaitWindow(const std::function<bool(const RECT&)>& done) const {
    return WaitUntil([&] { return done(WindowRect()); });
}

bool ZelvanorProcess::MoveTo(int left, int top) const {
    const RECT rc = WindowRect();
    return MoveWindow(m_bar, left, top, rc.right - rc.left, rc.bottom - rc.top, TRUE) && Answers();
}

bool ZelvanorProcess::AddAreasUpTo(int rows) const {
    while (Rows() < rows) {
        const int before = Rows();
        if (!Command(ID_ADD_WORKING_AREA) || !WaitRows(before + 1)) {
            return false;
        }
    }
    return true;
}

POINT ZelvanorProcess::ToScreen(int x, int y) const {
    POINT pt{x, y};
    ClientToScreen(m_bar, &pt);
    return pt;
}

Image ZelvanorProcess::CaptureClient(const RECT& client) const {
    const POINT topLeft = ToScreen(client.left, client.top);
    return CaptureScreen(RECT{topLeft.x, topLeft.y, topLeft.x + client.right - client.left,
                              topLeft.y + client.bottom - client.top});
}

bool ZelvanorProcess::WaitPixels(const RECT& client, const std::function<bool(const Image&)>& done,
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

HWND ZelvanorProcess::MessageBoxWindow() const {
    for (HWND hwnd : TopLevelWindowsOf(Pid())) {
        // A message box is the dialog whose text sits in the static control 0xFFFF.
        if (hwnd != m_bar && ClassOf(hwnd) == L"#32770" && IsWindowVisible(hwnd) &&
            GetDlgItem(hwnd, 0xFFFF)) {
            return hwnd;
        }
    }
    return nullptr;
}

bool ZelvanorProcess::CloseMenus() const {
    // One Escape at a time: one left over once the menus are gone would hide the bar.
    for (int tries = 0; tries < 5 && OpenMenu(); ++tries) {
        Post(WM_KEYDOWN, VK_ESCAPE, KeyData(VK_ESCAPE));
        WaitUntil([this] { return OpenMenu() == nullptr; }, kWaitMs / 5);
    }
    return OpenMenu() == nullptr;
}

bool ZelvanorProcess::ChooseFromOpenMenu(UINT menuId, UINT command) const {
    const int position = MenuPosition(menuId, command);
    // Keys typed before the menu runs would reach the bar's dialog handling instead.
    if (position < 0 || !WaitUntil([this] { return OpenMenu() != nullptr; })) {
        return false;
    }
    for (int i = 0; i <= position; ++i) {
        Post(WM_KEYDOWN, VK_DOWN, KeyData(VK_DOWN));
    }
    Post(WM_KEYDOWN, VK_RETURN, KeyData(VK_RETURN));
    return WaitUntil([this] { return OpenMenu() == nullptr; });
}

bool ZelvanorProcess::RowMenu(int row, UINT command) const {
    return PostRightClickRow(row) && ChooseFromOpenMenu(IDR_BAR_MENU, command);
}

bool ZelvanorProcess::TargetRow(int row) const {
    return PostRightClickRow(row) && WaitUntil([this] { return OpenMenu() != nullptr; }) &&
           CloseMenus() && Answers();
}

bool ZelvanorProcess::TrayMenu(UINT command) const {
    return Post(WM_TRAY_NOTIFY, kTrayIconId, WM_RBUTTONUP) &&
           ChooseFromOpenMenu(IDR_TRAY_MENU, command);
}

bool ZelvanorProcess::TrayIconPresent() const {
    // Changing nothing succeeds only while the shell holds the icon.
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof(nid);
    nid.hWnd = m_bar;
    nid.uID = kTrayIconId;
    return Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE;
}

bool ZelvanorProcess::WaitTrayIcon(bool present) const {
    return WaitUntil([&] { return TrayIconPresent() == present; });
}

bool ZelvanorProcess::StartRename(int row) const {
    return RowMenu(row, ID_RENAME_WORKING_AREA) && ztest::WaitVisible(RenameEdit(), true);
}

bool ZelvanorProcess::SetEditText(const std::wstring& text) const {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(RenameEdit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                               SMTO_NORMAL, kAnswerMs, &result) &&
           result;
}

bool ZelvanorProcess::Rename(int row, const std::wstring& name) const {
    // A click on the bar while the box is open only commits the rename.
    return TypeName(row, name) && ClickRow(row == 0 ? 1 : 0) &&
           ztest::WaitVisible(RenameEdit(), false);
}

std::wstring ZelvanorProcess::NameOf(int row) const {
    if (!StartRename(row)) {
        return L"<no rename box>";
    }
    const std::wstring name = TextOf(RenameEdit());
    // A click on the bar only ends the rename; the text is unchanged, so is the name.
    ClickRow(row);
    if (!ztest::WaitVisible(RenameEdit(), false)) {
        return L"<rename box stays>";
    }
    // The row under the box is painted again when the bar's thread is next idle; until then the
    // screen still shows the box. The bar looks as before once this returns.
    Repaint(m_bar);
    return name;
}

const char* ZelvanorProcess::HideWayName(int way) {
    static const char* const kNames[kHideWays] = {"Escape key", "Enter key",    "IDCANCEL",
                                                  "IDOK",       "close button", "SC_CLOSE"};
    return way >= 0 && way < kHideWays ? kNames[way] : "no way";
}

bool ZelvanorProcess::HideBy(int way) const {
    switch (way) {
    case 0:
        return Post(WM_KEYDOWN, VK_ESCAPE, KeyData(VK_ESCAPE));
    case 1:
        return Post(WM_KEYDOWN, VK_RETURN, KeyData(VK_RETURN));
    case 2:
        return Command(IDCANCEL);
    case 3:
        return Command(IDOK);
    case 4:
        return Click(CloseButtonX(ClientSize().cx), kButtonY);
    case 5:
        return Sent(WM_SYSCOMMAND, SC_CLOSE);
    }
    return false;
}

} // namespace ztest
