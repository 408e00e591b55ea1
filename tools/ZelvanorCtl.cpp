// ZelvanorCtl: a companion for scripts. "wait [seconds]" waits until Zelvanor's bar exists;
// "exit" asks every running Zelvanor to end through its tray exit command, which brings every
// hidden window back before the process ends.
#include "tools/BarFinder.h"
#include "res/resource.h"
#include <windows.h>
#include <psapi.h>
#include <cwchar>
#include <vector>

namespace {

bool IsZelvanorProcess(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process)
        return false;
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameExW(process, nullptr, path, MAX_PATH);
    CloseHandle(process);
    const wchar_t* name = std::wcsrchr(path, L'\\');
    name = name ? name + 1 : path;
    return _wcsicmp(name, L"Zelvanor.exe") == 0;
}

std::vector<HWND> FindBars() {
    return barfinder::FindBars(IsZelvanorProcess);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 2 && std::wcscmp(argv[1], L"wait") == 0) {
        const int seconds = argc >= 3 ? _wtoi(argv[2]) : 30;
        for (int i = 0; i < seconds * 10; ++i) {
            if (!FindBars().empty())
                return 0;
            Sleep(100);
        }
        return 1;
    }
    if (argc >= 2 && std::wcscmp(argv[1], L"exit") == 0) {
        const std::vector<HWND> bars = FindBars();
        for (HWND bar : bars)
            PostMessageW(bar, WM_COMMAND, ID_TRAY_EXIT, 0);
        return bars.empty() ? 1 : 0;
    }
    fwprintf(stderr, L"usage: ZelvanorCtl wait [seconds] | exit\n");
    return 2;
}
