// How much a switch between working areas costs beyond the hides and shows themselves.
// For N visible windows spread over P helper processes, two groups of N windows take turns on
// screen; area A holds group A, area B group B. A switch leaves one area by the production code
// (RecordAndHide snapshots all 2N windows and hides the N on screen) and enters the other
// (ShowWindows shows its N). The floor makes the same ShowWindowAsync calls directly: the hides
// top to bottom, as the switch makes them, then the shows in the switch's order. The user's
// switch is the real Zelvanor.exe with the same windows in its two areas: a click on a row,
// until the last window has its new state. Every round ends when each helper has handled its
// requests and painted what it showed, so all sides measure the same work. The three take turns
// within every round, and each ratio to the floor is taken within its round, so that a machine
// busy with other work slows all three alike. Prints the median times, the median ratios with
// their 95 % intervals against the targets, and where a snapshot's time goes.
//   bench_switch [rounds] [--managed-1000] [--only N]
//   (default 10 rounds, at least 6: fewer bound no 95 % interval)
#include "HelperProcess.h"
#include "areas/WindowKeeper.h"
#include "areas/WindowTool.h"
#include "areas/WorkingArea.h"
#include "bar/BarLayout.h"
#include "res/resource.h"
#include "tools/BarFinder.h"
#include <windows.h>
#include <psapi.h>
#include <algorithm>
#include <cmath>
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

// The switch's way back with direct calls: windows listed top first are shown without activation
// and brought up from the bottom, one program at a time, each program's after the one below has
// answered; then the top one takes the keyboard.
void ShowStacked(const std::vector<HWND>& order) {
    for (size_t end = order.size(); end > 0;) {
        const DWORD thread = GetWindowThreadProcessId(order[end - 1], nullptr);
        size_t begin = end;
        while (begin > 0 && GetWindowThreadProcessId(order[begin - 1], nullptr) == thread) {
            --begin;
        }
        for (size_t i = end; i-- > begin;) {
            ShowWindowAsync(order[i], SW_SHOWNA);
            SetWindowPos(order[i], HWND_TOP, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
        }
        DWORD_PTR result = 0;
        SendMessageTimeoutW(order[begin], WM_NULL, 0, 0, SMTO_NORMAL, kLandTimeoutMs, &result);
        end = begin;
    }
    if (!order.empty()) {
        SetForegroundWindow(order.front());
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
        wchar_t title[256];
        GetWindowTextW(hwnd, title, 256);
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

// A median with a distribution-free 95 % interval: the order statistics of ranks k and n + 1 - k,
// where k is the largest rank below which the true median lies with a chance of 2.5 % at most
// (binomial, p = 1/2). Needs 6 samples or more; with fewer, low and high stay 0.
struct Estimate {
    double median = 0;
    double low = 0;
    double high = 0;
};

Estimate MedianInterval(std::vector<double> values) {
    Estimate e;
    const size_t n = values.size();
    if (n == 0) {
        return e;
    }
    std::sort(values.begin(), values.end());
    e.median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    // P(B = j), in logarithms: 0.5^n alone is 0 beyond about a thousand samples.
    const double count = static_cast<double>(n);
    const auto chance = [count](size_t j) {
        const double x = static_cast<double>(j);
        return std::exp(std::lgamma(count + 1) - std::lgamma(x + 1) - std::lgamma(count - x + 1) -
                        count * std::log(2.0));
    };
    size_t k = 0;
    double below = chance(0); // P(B <= k)
    while (below <= 0.025) {
        ++k;
        below += chance(k);
    }
    if (k > 0) {
        e.low = values[k - 1];
        e.high = values[n - k];
    }
    return e;
}

constexpr int kMinRounds = 6;

struct Cell {
    int windows = 0;
    int processes = 0;
    int rounds = 0;
    bool targeted = false; // whether the targets apply to this size and kind
    std::vector<double> switches, floors, users, switchRatios, userRatios, leaves, enters;
    std::vector<double> restacks; // the floor less the same shows made all at once, unstacked
    std::vector<double> clicks;   // until the program had handled the click
    double snapshot = 0;
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

// The real program, started with group A on screen: its first area holds group A, its second
// group B, and the first is current again, as the in-process areas are. Null when it did not.
HWND StartProgram(ztest::ChildProcess& program,
                  const std::vector<std::unique_ptr<HelperProcess>>& helpers,
                  const std::vector<HWND>& groupA, const std::vector<HWND>& groupB) {
    if (!SyncAll(helpers) || !program.Start(ztest::ExeDir() + L"\\Zelvanor.exe")) {
        return nullptr;
    }
    HWND bar = nullptr;
    for (int i = 0; i < 600 && !(bar = barfinder::FindBar(program.Pid())); ++i) {
        Sleep(50);
    }
    if (!bar || !SendToBar(bar, WM_COMMAND, ID_ADD_WORKING_AREA, 0) || !ClickRow(bar, 1)) {
        return nullptr;
    }
    ShowAll(groupB, SW_SHOW); // opened on the second area's screen
    if (!SyncAll(helpers) || !ClickRow(bar, 0) || !SyncAll(helpers) || !AllVisible(groupA, true) ||
        !AllVisible(groupB, false)) {
        return nullptr;
    }
    return bar;
}

void RunCell(Cell& cell, bool breakdown) {
    const int n = cell.windows, p = cell.processes;
    std::vector<std::unique_ptr<HelperProcess>> helpers;
    std::vector<HWND> groups[2]; // A, B
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
        groups[0].insert(groups[0].end(), windows.begin(), windows.begin() + share);
        groups[1].insert(groups[1].end(), windows.begin() + share, windows.end());
        helpers.push_back(std::move(helper));
    }

    // Area B owns group B: with group A out of sight, B records and hides group B. The keeper
    // makes the areas bring windows back as the program does, stacked.
    WindowKeeper keeper;
    WorkingArea areas[2] = {WorkingArea(1), WorkingArea(2)};
    ShowAll(groups[0], SW_HIDE);
    SyncAll(helpers);
    areas[1].RecordAndHide();
    ShowAll(groups[0], SW_SHOW);
    if (!SyncAll(helpers) || !AllVisible(groups[0], true) || !AllVisible(groups[1], false)) {
        std::fprintf(stderr, "set-up did not land\n");
        cell.ok = false;
        return;
    }
    ztest::ChildProcess program;
    const HWND bar = StartProgram(program, helpers, groups[0], groups[1]);
    if (!bar) {
        std::fprintf(stderr, "the program did not start with both areas\n");
        cell.ok = false;
        return;
    }

    // One round: the switch by the production code, the floor replaying the calls of the last
    // switch that went the same way, the real program's switch, and twice the floor without the
    // stacking (an odd number of steps, so that the program's switch alternates directions as
    // the program does); each turns the screen to the other group. The machine's mood of the
    // moment weighs on all alike, and the ratios are taken within the round. The first two
    // rounds warm up and give the floors their calls.
    struct Calls {
        bool known = false;
        std::set<HWND> hides;
        std::vector<HWND> shows;
    } calls[2];                         // by the group that leaves
    std::vector<WindowRecord> entering; // what the area coming back held, as it held it
    // What each area held when the production code last left it: an area gives up its windows
    // when it comes back, and the floor's direct calls hide them again behind its back.
    std::vector<WindowRecord> lastLeft[2];
    const int warmUp = 2;
    constexpr int kSteps = 5;
    for (int round = 0; round < cell.rounds + warmUp; ++round) {
        double times[kSteps] = {};
        for (int step = 0; step < kSteps; ++step) {
            const int from = (round * kSteps + step) % 2;
            const bool direct = step != 0 && step != 2 && calls[from].known;
            const double start = Now();
            bool sent = true;
            if (step == 2) {
                sent = ClickRow(bar, 1 - from);
                if (round >= warmUp) {
                    cell.clicks.push_back(Now() - start);
                }
            } else if (direct) {
                // The switch hides top to bottom; hiding the active window first makes the
                // system activate the next one, so the floor takes the same windows in today's
                // z-order.
                std::vector<HWND> order;
                EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&order));
                for (HWND hwnd : order) {
                    if (calls[from].hides.count(hwnd)) {
                        ShowWindowAsync(hwnd, SW_HIDE);
                    }
                }
                if (step == 1) {
                    ShowStacked(calls[from].shows);
                } else {
                    ShowAll(calls[from].shows, SW_SHOWNA);
                }
            } else {
                if (areas[1 - from].m_windows.empty()) {
                    areas[1 - from].m_windows = lastLeft[1 - from];
                }
                entering = areas[1 - from].m_windows;
                areas[from].RecordAndHide();
                lastLeft[from] = areas[from].m_windows;
                const double left = Now();
                areas[1 - from].ShowWindows();
                keeper.Requests().WaitAnswered(kLandTimeoutMs); // the stacking is made
                if (round >= warmUp && step == 0) {
                    cell.leaves.push_back(left - start);
                    cell.enters.push_back(Now() - left);
                }
            }
            const bool synced = SyncAll(helpers);
            times[step] = Now() - start;
            if (!sent || !synced || !AllVisible(groups[from], false) ||
                !AllVisible(groups[1 - from], true)) {
                int stayed = 0, missing = 0;
                for (HWND hwnd : groups[from]) {
                    stayed += IsWindowVisible(hwnd) != FALSE;
                }
                for (HWND hwnd : groups[1 - from]) {
                    missing += IsWindowVisible(hwnd) == FALSE;
                }
                std::fprintf(stderr,
                             "round %d, step %d did not land (sent %d, synced %d; %d of the group "
                             "left still shown, %d of the group entered not shown)\n",
                             round, step, sent, synced, stayed, missing);
                cell.ok = false;
                return;
            }
            if (step != 2 && !direct) {
                // Nothing else is on screen, so these are exactly the calls the switch made.
                calls[from] = Calls();
                calls[from].known = true;
                for (const WindowRecord& record : areas[from].m_windows) {
                    if (record.visible) {
                        calls[from].hides.insert(record.hwnd);
                    }
                }
                for (const WindowRecord& record : entering) {
                    if (record.visible) {
                        calls[from].shows.push_back(record.hwnd);
                    }
                }
            }
        }
        if (round >= warmUp) {
            cell.switches.push_back(times[0]);
            cell.floors.push_back(times[1]);
            cell.users.push_back(times[2]);
            cell.switchRatios.push_back(times[0] / times[1]);
            cell.userRatios.push_back(times[2] / times[1]);
            cell.restacks.push_back(times[1] - (times[3] + times[4]) / 2);
        }
    }
    SendToBar(bar, WM_COMMAND, ID_TRAY_EXIT, 0);
    program.Ended(kLandTimeoutMs);

    std::vector<double> snapshots;
    for (int i = 0; i < cell.rounds; ++i) {
        const double start = Now();
        WindowTool tool;
        EnumWindows(WindowTool::EnumWindowsProc, reinterpret_cast<LPARAM>(&tool));
        snapshots.push_back(Now() - start);
    }
    cell.snapshot = MedianInterval(snapshots).median;
    if (breakdown) {
        cell.breakdown = SnapshotBreakdown();
    }
}

// "1.04 [0.99, 1.09] met": the ratio, its interval, and whether the interval's upper end is
// within the target; "-" where no target applies.
std::string RatioColumn(const std::vector<double>& ratios, double target, bool targeted) {
    const Estimate e = MedianInterval(ratios);
    char text[64];
    std::snprintf(text, sizeof(text), "%.2f [%.2f, %.2f] %s", e.median, e.low, e.high,
                  !targeted          ? "-"
                  : e.high <= target ? "met"
                                     : "MISSED");
    return text;
}

constexpr double kSwitchTarget = 1.10;
constexpr double kUserTarget = 1.20;

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

void RunTable(const wchar_t* kind, bool managed, std::initializer_list<int> sizes,
              std::initializer_list<int> targetedSizes, int rounds) {
    SetHelpersManaged(managed);
    std::printf("\n%ls; Zelvanor and helpers built for %s\n", kind,
                sizeof(void*) == 8 ? "x86_64 (64-bit)" : "i686 (32-bit)");
    std::printf("%7s %5s %6s %8s %8s %8s  %-26s %-26s %8s %7s %7s %7s %9s %6s\n", "windows",
                "procs", "rounds", "switch", "floor", "user", "switch/floor (<= 1.10)",
                "user/floor (<= 1.20)", "snapshot", "leave", "enter", "click", "stack us", "share");
    std::fflush(stdout);
    for (int n : sizes) {
        if (g_onlyWindows && n != g_onlyWindows) {
            continue;
        }
        for (int p : {1, 10}) {
            Cell cell;
            cell.windows = n;
            cell.processes = p;
            cell.rounds = rounds;
            cell.targeted =
                std::find(targetedSizes.begin(), targetedSizes.end(), n) != targetedSizes.end();
            RunCell(cell, p == 10 && (n == 1000 || (n == 100 && managed)));
            if (!cell.ok) {
                std::printf("%7d %5d  (did not land)\n", n, p);
                std::fflush(stdout);
                continue;
            }
            const auto ms = [](const std::vector<double>& v) {
                return MedianInterval(v).median * 1000;
            };
            const double restack = MedianInterval(cell.restacks).median;
            std::printf("%7d %5d %6d %8.1f %8.1f %8.1f  %-26s %-26s %8.1f %7.1f %7.1f %7.1f %9.0f "
                        "%5.0f%%\n",
                        n, p, cell.rounds, ms(cell.switches), ms(cell.floors), ms(cell.users),
                        RatioColumn(cell.switchRatios, kSwitchTarget, cell.targeted).c_str(),
                        RatioColumn(cell.userRatios, kUserTarget, cell.targeted).c_str(),
                        cell.snapshot * 1000, ms(cell.leaves), ms(cell.enters), ms(cell.clicks),
                        restack * 1e6, 100 * restack / MedianInterval(cell.users).median);
            if (!cell.breakdown.empty()) {
                std::printf("  %s\n", cell.breakdown.c_str());
            }
            std::fflush(stdout);
        }
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    int rounds = 10;
    bool managed1000 = false;
    for (int i = 1; i < argc; ++i) {
        if (std::wstring(argv[i]) == L"--managed-1000") {
            managed1000 = true;
        } else if (std::wstring(argv[i]) == L"--only" && i + 1 < argc) {
            g_onlyWindows = _wtoi(argv[++i]);
        } else {
            rounds = std::max(kMinRounds, _wtoi(argv[i]));
        }
    }
    std::printf(
        "switch = RecordAndHide + ShowWindows until the windows stand stacked, floor = the same "
        "calls made directly (hides in z-order, as the switch makes them; shows and stacking "
        "from the bottom up, a program at a time), user = the real program from the "
        "click on a row until the last window has its new state; 2N windows, N on screen. The "
        "three and twice the floor without stacking take turns in every round; times are medians "
        "in ms, ratios are taken within each "
        "round: median [95 %% interval], and whether the interval's upper end meets the target "
        "(targets at N = 10 and 100 managed, N = 1000 unmanaged). snapshot = one WindowTool pass "
        "over all windows; leave = until RecordAndHide returned, enter = ShowWindows alone (both "
        "within the switch); click = until the program had handled the click, within user; "
        "stack us = the floor less the same shows made all at once without stacking, median over "
        "the "
        "rounds, and its share of user\n");
    RunTable(managed1000 ? L"overlapped windows, managed by the X window manager"
                         : L"overlapped windows, managed by the X window manager (at N = 1000 "
                           L"the window manager needs most of an hour: --managed-1000)",
             true,
             managed1000 ? std::initializer_list<int>{10, 100, 1000}
                         : std::initializer_list<int>{10, 100},
             {10, 100}, rounds);
    RunTable(L"the same windows left unmanaged (Wine's Managed=N for the helpers): the floor is "
             L"Wine's own hide and show",
             false, {10, 100, 1000}, {1000}, rounds);
    SetHelpersManaged(true);
    return 0;
}
