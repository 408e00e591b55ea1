// How much a switch between working areas costs beyond the hides and shows themselves.
// For N visible windows spread over P helper processes, two groups of N windows take turns on
// screen; area A holds group A, area B group B. A switch leaves one area by the production code
// (RecordAndHide snapshots all 2N windows and hides the N on screen) and enters the other
// (ShowWindows shows its N). The floor makes the same ShowWindowAsync calls directly: the hides
// top to bottom, as the switch makes them, then the shows in the switch's order. The user's
// switch is the real Zelvanor.exe with the same windows in its two areas: a click on a row,
// until the last window has its new state. Every round ends when each helper has handled its
// requests and painted what it showed, so all sides measure the same work. Prints the medians,
// the ratios to the floor, and where a snapshot's time goes.
//   bench_switch [cycles] [--managed-1000] [--only N]
//   (default 5 cycles of two switches each, 1 at N = 1000)
#include "HelperProcess.h"
#include "areas/WindowTool.h"
#include "areas/WorkingArea.h"
#include "bar/BarLayout.h"
#include "res/resource.h"
#include "tools/BarFinder.h"
#include <windows.h>
#include <psapi.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <set>
#include <string>
#include <vector>

using zhelper::HelperProcess;

namespace {

constexpr DWORD kLandTimeoutMs = 30 * 60 * 1000;
int g_onlyWindows = 0; // 0: every size

double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / frequency;
}

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool SyncAll(const std::vector<std::unique_ptr<HelperProcess>>& helpers) {
    bool ok = true;
    for (const auto& helper : helpers) {
        ok = helper->SyncPainted(kLandTimeoutMs) && ok;
    }
    return ok;
}

bool AllVisible(const std::vector<HWND>& windows, bool visible) {
    for (HWND hwnd : windows) {
        if ((IsWindowVisible(hwnd) != FALSE) != visible) {
            return false;
        }
    }
    return true;
}

void ShowAll(const std::vector<HWND>& windows, int command) {
    for (HWND hwnd : windows) {
        ShowWindowAsync(hwnd, command);
    }
}

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lParam) {
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
    return TRUE;
}

// Per-window cost of each query a snapshot makes, over every top-level window, in microseconds.
std::string SnapshotBreakdown() {
    std::vector<HWND> windows;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    const double n = static_cast<double>(windows.size());
    WindowRecord r{};
    double t = Now();
    for (HWND hwnd : windows) {
        GetWindowTextW(hwnd, r.title, 256);
    }
    const double text = (Now() - t) / n;
    t = Now();
    for (HWND hwnd : windows) {
        GetClassNameW(hwnd, r.className, 100);
    }
    const double cls = (Now() - t) / n;
    t = Now();
    for (HWND hwnd : windows) {
        r.threadId = GetWindowThreadProcessId(hwnd, &r.processId);
    }
    const double ids = (Now() - t) / n;
    t = Now();
    for (HWND hwnd : windows) {
        r.visible = IsWindowVisible(hwnd);
    }
    const double visible = (Now() - t) / n;
    t = Now();
    for (HWND hwnd : windows) {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
        if (process) {
            HMODULE modules[1024];
            DWORD bytes = 0;
            if (EnumProcessModules(process, modules, sizeof(modules), &bytes) && bytes >= 4) {
                GetModuleFileNameExW(process, modules[0], r.modulePath, 260);
            }
            CloseHandle(process);
        }
    }
    const double path = (Now() - t) / n - ids;
    t = Now();
    WindowTool tool;
    EnumWindows(WindowTool::EnumWindowsProc, reinterpret_cast<LPARAM>(&tool));
    const double whole = (Now() - t) / n;
    char line[300];
    std::snprintf(line, sizeof(line),
                  "snapshot of %zu windows, per window in us: title %.0f, class %.0f, "
                  "thread/process ids %.0f, visibility %.0f, module path %.0f if looked up for "
                  "every window; the whole snapshot %.0f (path looked up once per process)",
                  windows.size(), text * 1e6, cls * 1e6, ids * 1e6, visible * 1e6, path * 1e6,
                  whole * 1e6);
    return line;
}

struct Cell {
    int windows = 0;
    int processes = 0;
    int rounds = 0;
    double sw = 0;
    double floor = 0;
    double snapshot = 0;
    double leave = 0; // until RecordAndHide returned
    double enter = 0; // ShowWindows alone
    double user = 0;  // the real program, from the click on a row
    bool ok = true;
    std::string breakdown;
};

bool SendToBar(HWND bar, UINT msg, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(bar, msg, wParam, lParam, SMTO_NORMAL, kLandTimeoutMs, &result) != 0;
}

bool ClickRow(HWND bar, int row) {
    const LPARAM at =
        MAKELPARAM(BarLayout::kClientWidth / 2, BarLayout::RowTop(row) + BarLayout::kRowHeight / 2);
    return SendToBar(bar, WM_LBUTTONDOWN, MK_LBUTTON, at) && SendToBar(bar, WM_LBUTTONUP, 0, at);
}

// The real program with group A in its first area and group B in its second: the median of
// clicks on the rows, each until every window has its new state. 0 when it did not land.
double UserSwitch(const Cell& cell, const std::vector<std::unique_ptr<HelperProcess>>& helpers,
                  const std::vector<HWND>& groupA, const std::vector<HWND>& groupB) {
    // Whatever is on screen at start-up belongs to the first area: group A alone.
    ShowAll(groupB, SW_HIDE);
    ztest::ChildProcess program;
    if (!SyncAll(helpers) || !program.Start(ztest::ExeDir() + L"\\Zelvanor.exe")) {
        return 0;
    }
    HWND bar = nullptr;
    for (int i = 0; i < 600 && !(bar = barfinder::FindBar(program.Pid())); ++i) {
        Sleep(50);
    }
    if (!bar || !SendToBar(bar, WM_COMMAND, ID_ADD_WORKING_AREA, 0) || !ClickRow(bar, 1)) {
        return 0;
    }
    ShowAll(groupB, SW_SHOW); // opened on the second area's screen
    SyncAll(helpers);
    std::vector<double> times;
    for (int round = 0; round < 2 * cell.rounds + 2; ++round) {
        const int row = round % 2 == 0 ? 0 : 1;
        const double start = Now();
        const bool clicked = ClickRow(bar, row);
        const bool synced = SyncAll(helpers);
        const double elapsed = Now() - start;
        const std::vector<HWND>& come = row == 0 ? groupA : groupB;
        const std::vector<HWND>& gone = row == 0 ? groupB : groupA;
        if (!clicked || !synced || !AllVisible(come, true) || !AllVisible(gone, false)) {
            std::fprintf(stderr, "the program's round %d did not land\n", round);
            return 0;
        }
        if (round >= 2) {
            times.push_back(elapsed);
        }
    }
    SendToBar(bar, WM_COMMAND, ID_TRAY_EXIT, 0);
    program.Ended(kLandTimeoutMs);
    // Back as the in-process rounds left them: group A on screen, group B hidden.
    ShowAll(groupB, SW_HIDE);
    ShowAll(groupA, SW_SHOW);
    SyncAll(helpers);
    return Median(times);
}

void RunCell(Cell& cell, bool breakdown) {
    const int n = cell.windows, p = cell.processes;
    std::vector<std::unique_ptr<HelperProcess>> helpers;
    std::vector<HWND> groupA, groupB;
    for (int i = 0; i < p; ++i) {
        const int share = n / p + (i < n % p ? 1 : 0);
        auto helper = std::make_unique<HelperProcess>();
        const std::wstring args = L"--windows " + std::to_wstring(2 * share);
        if (!helper->Start(args, zhelper::HelperPath(), kLandTimeoutMs)) {
            std::fprintf(stderr, "helper %d did not start\n", i);
            cell.ok = false;
            return;
        }
        const std::vector<HWND> windows = helper->Windows();
        groupA.insert(groupA.end(), windows.begin(), windows.begin() + share);
        groupB.insert(groupB.end(), windows.begin() + share, windows.end());
        helpers.push_back(std::move(helper));
    }

    // Area B owns group B: with group A out of sight, B records and hides group B.
    WorkingArea areaA(1), areaB(2);
    ShowAll(groupA, SW_HIDE);
    SyncAll(helpers);
    areaB.RecordAndHide();
    ShowAll(groupA, SW_SHOW);
    if (!SyncAll(helpers) || !AllVisible(groupA, true) || !AllVisible(groupB, false)) {
        std::fprintf(stderr, "set-up did not land\n");
        cell.ok = false;
        return;
    }

    // A cycle of four rounds: switch A to B and back by the production code, then the floor
    // replays the calls of those two switches, in the same order. A first cycle warms up.
    struct Calls {
        std::set<HWND> hides;
        std::vector<HWND> shows;
    } calls[2];
    std::vector<double> switches, floors, leaves, enters;
    const int warmUp = 4;
    for (int round = 0; round < 4 * cell.rounds + warmUp; ++round) {
        const bool direct = round % 4 >= 2;
        const int way = round % 2; // 0: A leaves and B enters; 1: back
        WorkingArea& leaving = way == 0 ? areaA : areaB;
        WorkingArea& entering = way == 0 ? areaB : areaA;
        const double start = Now();
        if (direct) {
            // The switch hides top to bottom; hiding the active window first makes the system
            // activate the next one, so the floor takes the same windows in today's z-order.
            std::vector<HWND> order;
            EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&order));
            for (HWND hwnd : order) {
                if (calls[way].hides.count(hwnd)) {
                    ShowWindowAsync(hwnd, SW_HIDE);
                }
            }
            ShowAll(calls[way].shows, SW_SHOW);
        } else {
            leaving.RecordAndHide();
            const double left = Now();
            entering.ShowWindows();
            if (round >= warmUp) {
                leaves.push_back(left - start);
                enters.push_back(Now() - left);
            }
        }
        const bool synced = SyncAll(helpers);
        const double elapsed = Now() - start;
        const std::vector<HWND>& gone = way == 0 ? groupA : groupB;
        const std::vector<HWND>& come = way == 0 ? groupB : groupA;
        if (!synced || !AllVisible(gone, false) || !AllVisible(come, true)) {
            std::fprintf(stderr, "round %d did not land\n", round);
            cell.ok = false;
            return;
        }
        if (!direct) {
            // Nothing else is on screen, so these are exactly the calls the switch made.
            calls[way] = Calls();
            for (const WindowRecord& record : leaving.m_windows) {
                if (record.visible) {
                    calls[way].hides.insert(record.hwnd);
                }
            }
            for (const WindowRecord& record : entering.m_windows) {
                if (record.visible) {
                    calls[way].shows.push_back(record.hwnd);
                }
            }
        }
        if (round >= warmUp) {
            (direct ? floors : switches).push_back(elapsed);
        }
    }

    cell.user = UserSwitch(cell, helpers, groupA, groupB);

    std::vector<double> snapshots;
    for (int i = 0; i < cell.rounds; ++i) {
        const double start = Now();
        WindowTool tool;
        EnumWindows(WindowTool::EnumWindowsProc, reinterpret_cast<LPARAM>(&tool));
        snapshots.push_back(Now() - start);
    }
    cell.sw = Median(switches);
    cell.leave = Median(leaves);
    cell.enter = Median(enters);
    cell.floor = Median(floors);
    cell.snapshot = Median(snapshots);
    if (breakdown) {
        cell.breakdown = SnapshotBreakdown();
    }
}

// Wine's X11 driver reads per-program settings from here when a process starts. Without a window
// manager in the way, the floor is Wine's own cost of hiding and showing a window.
constexpr wchar_t kHelperX11Key[] = L"Software\\Wine\\AppDefaults\\ZWindowHelper.exe\\X11 Driver";

void SetHelpersManaged(bool managed) {
    if (managed) {
        RegDeleteKeyW(HKEY_CURRENT_USER, kHelperX11Key);
        return;
    }
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kHelperX11Key, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) == ERROR_SUCCESS) {
        RegSetValueExW(key, L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"N"),
                       2 * sizeof(wchar_t));
        RegCloseKey(key);
    }
}

void RunTable(const wchar_t* kind, bool managed, std::initializer_list<int> sizes, int rounds) {
    SetHelpersManaged(managed);
    std::printf("\n%ls; Zelvanor and helpers built for %s\n", kind,
                sizeof(void*) == 8 ? "x86_64 (64-bit)" : "i686 (32-bit)");
    std::printf("%7s %9s %7s %10s %10s %7s %10s %7s %10s %8s %8s\n", "windows", "processes",
                "samples", "switch", "floor", "ratio", "user", "ratio", "snapshot", "leave",
                "enter");
    std::fflush(stdout);
    for (int n : sizes) {
        if (g_onlyWindows && n != g_onlyWindows) {
            continue;
        }
        for (int p : {1, 10}) {
            Cell cell;
            cell.windows = n;
            cell.processes = p;
            cell.rounds = n >= 1000 ? 1 : rounds;
            RunCell(cell, p == 10 && (n == 1000 || (n == 100 && managed)));
            const double floor = cell.floor > 0 ? cell.floor : 1e9;
            std::printf("%7d %9d %7d %10.1f %10.1f %7.2f %10.1f %7.2f %10.1f %8.1f %8.1f%s\n",
                        cell.windows, cell.processes, 2 * cell.rounds, cell.sw * 1000,
                        cell.floor * 1000, cell.sw / floor, cell.user * 1000, cell.user / floor,
                        cell.snapshot * 1000, cell.leave * 1000, cell.enter * 1000,
                        cell.ok && cell.user > 0 ? "" : "  (did not land)");
            if (!cell.breakdown.empty()) {
                std::printf("  %s\n", cell.breakdown.c_str());
            }
            std::fflush(stdout);
        }
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    int rounds = 5;
    bool managed1000 = false;
    for (int i = 1; i < argc; ++i) {
        if (std::wstring(argv[i]) == L"--managed-1000") {
            managed1000 = true;
        } else if (std::wstring(argv[i]) == L"--only" && i + 1 < argc) {
            g_onlyWindows = _wtoi(argv[++i]);
        } else {
            rounds = std::max(1, _wtoi(argv[i]));
        }
    }
    std::printf(
        "switch = RecordAndHide + ShowWindows, floor = the same ShowWindowAsync calls made "
        "directly (hides in z-order, as the switch makes them), user = the real program from the "
        "click on a row until the last window has its new state; 2N windows, N on screen; "
        "medians in ms over the samples, ratios to the floor; snapshot = one WindowTool pass over "
        "all windows; leave = until RecordAndHide returned, enter = ShowWindows alone (both "
        "within the switch)\n");
    if (managed1000) {
        RunTable(L"overlapped windows, managed by the X window manager", true, {10, 100, 1000},
                 rounds);
    } else {
        RunTable(L"overlapped windows, managed by the X window manager (at N = 1000 the window "
                 L"manager needs most of an hour: --managed-1000)",
                 true, {10, 100}, rounds);
    }
    RunTable(L"the same windows left unmanaged (Wine's Managed=N for the helpers): the floor is "
             L"Wine's own hide and show",
             false, {10, 100, 1000}, rounds);
    SetHelpersManaged(true);
    return 0;
}
