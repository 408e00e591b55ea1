#pragma once
// Wine's Notepad, a program that knows nothing of the tests; terminated when the object goes.
#include "tests/support/ChildProcess.h"

namespace ztest {

class Notepad {
public:
    // Starts it and waits for its window.
    bool Start();
    HWND Window() const { return m_window; }
    DWORD Pid() const { return m_process.Pid(); }

private:
    ChildProcess m_process;
    HWND m_window = nullptr;
};

} // namespace ztest
