#pragma once
// The monitors Wine reports, changed while a test runs. tools/test.sh gives Wine a stand-in
// Xinerama library that reads the layout from the file named in ZELVANOR_MONITORS_FILE ("WxH+X+Y"
// a line, the primary first); a rewrite, then ChangeDisplaySettingsExW(NULL, ...) from a process
// started after it, makes Wine take the new layout and send WM_DISPLAYCHANGE to every window. The
// layout found is put back when the object goes.
#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

class MonitorLayout {
public:
    MonitorLayout();
    ~MonitorLayout();
    MonitorLayout(const MonitorLayout&) = delete;
    MonitorLayout& operator=(const MonitorLayout&) = delete;

    // Empty when the test runs without the stand-in, else why not.
    static std::string Unavailable();
    // Applies a layout and waits until the system has the monitors it lists, where Wine puts
    // them (the primary at (0, 0)).
    ::testing::AssertionResult Set(const std::string& layout);
    // The monitors as the system has them, the primary first.
    static std::vector<RECT> Monitors();

private:
    std::string m_path;
    std::string m_original;
};
