#include "tests/bar/MonitorLayout.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/Wait.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

// The Linux path of the layout file as Wine's drive Z: shows it.
std::string LayoutPath() {
    const char* path = std::getenv("ZELVANOR_MONITORS_FILE");
    if (!path || !*path)
        return "";
    std::string windows = std::string("Z:") + path;
    std::replace(windows.begin(), windows.end(), '/', '\\');
    return windows;
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    auto* monitors = reinterpret_cast<std::vector<RECT>*>(list);
    if (GetMonitorInfoW(monitor, &info)) {
        const bool primary = info.dwFlags & MONITORINFOF_PRIMARY;
        monitors->insert(primary ? monitors->begin() : monitors->end(), info.rcMonitor);
    }
    return TRUE;
}

} // namespace

MonitorLayout::MonitorLayout() : m_path(LayoutPath()) {
    std::ifstream file(m_path);
    m_original.assign(std::istreambuf_iterator<char>(file), {});
}

MonitorLayout::~MonitorLayout() {
    if (!m_original.empty())
        Set(m_original);
}

std::string MonitorLayout::Unavailable() {
    if (LayoutPath().empty())
        return "needs the stand-in Xinerama library of tools/test.sh (ZELVANOR_MONITORS_FILE)";
    if (GetSystemMetrics(SM_CMONITORS) < 2)
        return "needs two monitors; the system has one";
    return "";
}

::testing::AssertionResult MonitorLayout::Set(const std::string& layout) {
    // Where Wine puts each monitor: X coordinates less the primary's origin.
    std::vector<RECT> want;
    std::istringstream lines(layout);
    int w, h, x, y;
    char by, plus1, plus2;
    while (lines >> w >> by >> h >> plus1 >> x >> plus2 >> y) {
        want.push_back(RECT{x, y, x + w, y + h});
    }
    const POINT primary = want.empty() ? POINT{0, 0} : POINT{want.front().left, want.front().top};
    for (RECT& r : want)
        OffsetRect(&r, -primary.x, -primary.y);
    if (!(std::ofstream(m_path, std::ios::binary | std::ios::trunc) << layout))
        return ::testing::AssertionFailure() << "cannot write " << m_path;
    // A process reads the monitors once, when it starts: a new one must ask for the change.
    ztest::ChildProcess helper;
    DWORD changed = 1;
    if (!helper.Start(ztest::ExeDir() + L"\\ZWindowHelper.exe", L"--display-change") ||
        !helper.Ended(ztest::kWaitMs) || !GetExitCodeProcess(helper.Handle(), &changed) ||
        changed != DISP_CHANGE_SUCCESSFUL) {
        return ::testing::AssertionFailure() << "the display change was not made: " << changed;
    }
    std::vector<RECT> seen;
    if (ztest::WaitUntil([&] {
            seen = Monitors();
            return seen.size() == want.size() &&
                   std::equal(seen.begin(), seen.end(), want.begin(),
                              [](const RECT& a, const RECT& b) { return EqualRect(&a, &b); });
        })) {
        return ::testing::AssertionSuccess();
    }
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    failure << "the system has";
    for (const RECT& r : seen)
        failure << " (" << r.left << ", " << r.top << ")-(" << r.right << ", " << r.bottom << ")";
    return failure << ", not the " << want.size() << " monitors asked for";
}

std::vector<RECT> MonitorLayout::Monitors() {
    std::vector<RECT> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}
