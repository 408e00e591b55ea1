#include "tests/support/MessageLog.h"
#include <algorithm>
#include <cstdio>

namespace ztest {

namespace {

thread_local MessageLog* t_log = nullptr;

// An entry or a step as a failure prints it: a note in quotes, a message as WM_APP+n or its
// number, with the values given.
std::string Describe(const Step& step) {
    if (!step.note.empty())
        return '"' + step.note + '"';
    char text[96];
    const int n = step.message >= WM_APP
                      ? std::snprintf(text, sizeof(text), "WM_APP+%u", step.message - WM_APP)
                      : std::snprintf(text, sizeof(text), "0x%04X", step.message);
    if (step.wParam || step.lParam)
        std::snprintf(text + n, sizeof(text) - n, " (%s, %s)",
                      step.wParam ? std::to_string(*step.wParam).c_str() : "any",
                      step.lParam ? std::to_string(*step.lParam).c_str() : "any");
    return text;
}

} // namespace

bool Step::Matches(const LoggedMessage& entry) const {
    if (!note.empty() || !entry.note.empty())
        return note == entry.note;
    return message == entry.message && (!wParam || *wParam == entry.wParam) &&
           (!lParam || *lParam == entry.lParam);
}

MessageLog::MessageLog(std::initializer_list<UINT> follow) : m_follow(follow), m_previous(t_log) {
    t_log = this;
}

MessageLog::~MessageLog() {
    for (const auto& [hwnd, previous] : m_watched) {
        // Only where nothing subclassed the window over the log since.
        if (IsWindow(hwnd) && GetWindowLongPtrW(hwnd, GWLP_WNDPROC) ==
                                  reinterpret_cast<LONG_PTR>(&MessageLog::WatchingProc)) {
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        }
    }
    t_log = m_previous;
}

MessageLog* MessageLog::Current() {
    return t_log;
}

UniqueWindow MessageLog::Create(DWORD style, RECT place) {
    static const wchar_t* const kClass = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &MessageLog::RecordingProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = L"ZTestRecorder";
        RegisterClassW(&wc);
        return wc.lpszClassName;
    }();
    return UniqueWindow(CreateWindowExW(0, kClass, L"recorder", style, place.left, place.top,
                                        place.right - place.left, place.bottom - place.top, nullptr,
                                        nullptr, GetModuleHandleW(nullptr), nullptr));
}

bool MessageLog::Watch(HWND hwnd) {
    const LONG_PTR previous = SetWindowLongPtrW(
        hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MessageLog::WatchingProc));
    m_watched[hwnd] = reinterpret_cast<WNDPROC>(previous);
    return previous != 0;
}

void MessageLog::Record(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_follow.count(message))
        m_seen.push_back({message, wParam, lParam,
                          static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)), std::string()});
}

LRESULT CALLBACK MessageLog::RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (t_log)
        t_log->Record(hwnd, message, wParam, lParam);
    return message == kRecorderAskMsg ? kRecorderAnswer
                                      : DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK MessageLog::WatchingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    for (MessageLog* log = t_log; log; log = log->m_previous) {
        const auto found = log->m_watched.find(hwnd);
        if (found != log->m_watched.end()) {
            log->Record(hwnd, message, wParam, lParam);
            return CallWindowProcW(found->second, hwnd, message, wParam, lParam);
        }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

const LoggedMessage* MessageLog::Last(UINT message) const {
    const auto it = std::find_if(m_seen.rbegin(), m_seen.rend(), [&](const LoggedMessage& e) {
        return e.message == message && e.note.empty();
    });
    return it == m_seen.rend() ? nullptr : &*it;
}

int MessageLog::Count(const Step& step) const {
    return static_cast<int>(std::count_if(m_seen.begin(), m_seen.end(),
                                          [&](const LoggedMessage& e) { return step.Matches(e); }));
}

::testing::AssertionResult MessageLog::Sequence(const std::vector<Step>& expected) {
    const std::vector<LoggedMessage> seen = std::exchange(m_seen, {});
    size_t i = 0;
    while (i < expected.size() && i < seen.size() && expected[i].Matches(seen[i]))
        ++i;
    if (i == expected.size() && i == seen.size())
        return ::testing::AssertionSuccess();
    std::string wanted, got;
    for (const Step& step : expected)
        wanted += "\n    " + Describe(step);
    for (const LoggedMessage& e : seen)
        got += "\n    " + Describe(e.note.empty() ? Step(e.message, e.wParam, e.lParam) : e.note);
    return ::testing::AssertionFailure()
           << "the sequences part at entry " << i
           << "\n  expected:" << (wanted.empty() ? " nothing" : wanted)
           << "\n  seen:" << (got.empty() ? " nothing" : got);
}

} // namespace ztest
