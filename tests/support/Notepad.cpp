#include "tests/support/Notepad.h"
#include "tests/support/Desktop.h"

namespace ztest {

bool Notepad::Start() {
    m_window = nullptr;
    return m_process.Start(L"notepad.exe") && WaitUntil([this] {
               for (HWND hwnd : TopLevelWindowsOf(m_process.Pid())) {
                   if (IsWindowVisible(hwnd)) {
                       m_window = hwnd;
                       return true;
                   }
               }
               return false;
           });
}

} // namespace ztest
