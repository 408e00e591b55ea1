#pragma once
// A stand-in for the shell's notification area, in this process: while it exists, the shell calls
// of every program reach it instead of the real one. It records them and answers as told.
#include "tests/support/TestHandles.h"
#include <string>
#include <vector>

class FakeTray {
public:
    struct Call {
        DWORD message = 0; // NIM_ADD, NIM_MODIFY, NIM_DELETE
        HWND owner = nullptr;
        UINT id = 0;
        UINT flags = 0;
        UINT callbackMessage = 0;
        std::wstring tip;
    };
    FakeTray();
    // True when the shell calls really come here.
    bool InCharge() const;
    void Refuse(bool refuse) { m_refuse = refuse; }
    // Refuses only the next `calls` calls, as a shell busy for a moment does.
    void RefuseNext(int calls) { m_refuseNext = calls; }
    const std::vector<Call>& Calls() const { return m_calls; }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    bool m_refuse = false;
    int m_refuseNext = 0;
    std::vector<Call> m_calls;
    ztest::UniqueWindow m_window; // last: gone before what its procedure writes to
};
