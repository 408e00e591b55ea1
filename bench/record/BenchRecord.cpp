// The record's cost per switch, on the bar's thread. A switch changes the held-window list twice:
// the windows of the area left are listed before they are hidden, which writes the record before
// it returns, and the list is then replaced by what the areas other than the current one hold,
// which the record's own thread writes. Samples with and without
// the record alternate, so that a slower moment of the machine weighs on both alike; the ratio
// of the medians comes with a 95% bootstrap interval.
#include "areas/HeldWindowRecord.h"
#include "areas/HiddenWindowList.h"
#include <tlhelp32.h>
#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <random>
#include <vector>

namespace {

double Now() {
    LARGE_INTEGER t, f;
    QueryPerformanceCounter(&t);
    QueryPerformanceFrequency(&f);
    return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// Running processes to own the pretend windows: each record write asks each for its start time.
std::vector<DWORD> SomeProcesses(size_t count) {
    std::vector<DWORD> pids{GetCurrentProcessId()};
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more && pids.size() < count;
         more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ProcessID != 0 && entry.th32ProcessID != pids[0]) {
            pids.push_back(entry.th32ProcessID);
        }
    }
    CloseHandle(snapshot);
    return pids;
}

// One switch's two changes of the list, in seconds: the windows of the area left are listed,
// then the list becomes what that area holds (the area switched to held the others).
double Switch(HiddenWindowList& list, const std::vector<WindowRecord>& left,
              const std::vector<HiddenWindowList::Entry>& held) {
    const double start = Now();
    list.AddAll(left);
    list.Replace(held);
    return Now() - start;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int samples = argc > 1 ? std::max(10, _wtoi(argv[1])) : 200;
    std::printf("record of held windows, cost per switch (%d interleaved samples each, %s)\n",
                samples, sizeof(void*) == 8 ? "x86_64" : "i686");
    std::printf("%6s %9s %12s %12s %12s %7s %17s\n", "N", "processes", "without us", "with us",
                "cost us", "ratio", "95% interval");
    HeldWindowRecord record;
    std::mt19937 random(18);
    for (size_t n : {10u, 100u, 1000u}) {
        for (size_t processCount : {1u, 10u}) {
            const std::vector<DWORD> pids = SomeProcesses(processCount);
            // Two areas of n windows each; every sample switches away from one of them.
            std::vector<WindowRecord> windows[2];
            std::vector<HiddenWindowList::Entry> held[2];
            for (size_t i = 0; i < 2 * n; ++i) {
                WindowRecord w;
                w.hwnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x10000 + 2 * i));
                w.processId = pids[i % pids.size()];
                w.threadId = static_cast<DWORD>(1000 + i % pids.size());
                windows[i % 2].push_back(w);
                held[i % 2].push_back(
                    HiddenWindowList::Entry{static_cast<UINT64>(reinterpret_cast<UINT_PTR>(w.hwnd)),
                                            w.processId, w.threadId});
            }
            HiddenWindowList plain, mirrored;
            plain.Create();
            mirrored.Create();
            mirrored.MirrorTo(&record);
            std::vector<double> without, with;
            for (int s = 0; s < samples; ++s) {
                const int area = s % 2;
                // Switches come a person's click apart: the writer thread is done with the last
                // one's record before the next starts.
                Sleep(5);
                if ((s / 2) % 2) {
                    without.push_back(Switch(plain, windows[area], held[area]));
                    with.push_back(Switch(mirrored, windows[area], held[area]));
                } else {
                    with.push_back(Switch(mirrored, windows[area], held[area]));
                    without.push_back(Switch(plain, windows[area], held[area]));
                }
            }
            mirrored.Clear();
            std::vector<double> ratios;
            for (int b = 0; b < 1000; ++b) {
                std::vector<double> a, c;
                std::uniform_int_distribution<int> pick(0, samples - 1);
                for (int s = 0; s < samples; ++s) {
                    const int i = pick(random);
                    a.push_back(with[i]);
                    c.push_back(without[i]);
                }
                ratios.push_back(Median(a) / Median(c));
            }
            std::sort(ratios.begin(), ratios.end());
            const double w = Median(with) * 1e6, wo = Median(without) * 1e6;
            std::printf("%6zu %9zu %12.1f %12.1f %12.1f %7.2f %8.2f - %6.2f\n", n, pids.size(), wo,
                        w, w - wo, w / wo, ratios[25], ratios[974]);
        }
    }
    std::printf("record file: %ls (removed)\n", record.Path().c_str());
    return 0;
}
