#include "tests/support/MessageLog.h"
#include <cstdio>

namespace ztest {

namespace {

thread_local MessageLog* t_log = nullptr;
const wchar_t kRecorderClass[] = L"ZTestRecorder";

// What every window gets from the system whatever a test does; no table lists it.
bool Housekeeping(UINT message) {
    switch (message) {
    case WM_GETICON:
    case WM_GETOBJECT:
    case WM_IME_SETCONTEXT:
    case WM_IME_NOTIFY:
    case WM_SETTINGCHANGE:
    case WM_DEVICECHANGE:
    case WM_DISPLAYCHANGE:
    case 0x031F: // WM_DWMNCRENDERINGCHANGED
        return true;
    default:
        return false;
    }
}

const char* NameOf(UINT message) {
    static const std::map<UINT, const char*> names = {
        {WM_CREATE, "WM_CREATE"},
        {WM_DESTROY, "WM_DESTROY"},
        {WM_MOVE, "WM_MOVE"},
        {WM_SIZE, "WM_SIZE"},
        {WM_ACTIVATE, "WM_ACTIVATE"},
        {WM_SETFOCUS, "WM_SETFOCUS"},
        {WM_KILLFOCUS, "WM_KILLFOCUS"},
        {WM_SETTEXT, "WM_SETTEXT"},
        {WM_GETTEXT, "WM_GETTEXT"},
        {WM_PAINT, "WM_PAINT"},
        {WM_CLOSE, "WM_CLOSE"},
        {WM_ERASEBKGND, "WM_ERASEBKGND"},
        {WM_SHOWWINDOW, "WM_SHOWWINDOW"},
        {WM_ACTIVATEAPP, "WM_ACTIVATEAPP"},
        {WM_SETCURSOR, "WM_SETCURSOR"},
        {WM_MOUSEACTIVATE, "WM_MOUSEACTIVATE"},
        {WM_GETMINMAXINFO, "WM_GETMINMAXINFO"},
        {WM_DRAWITEM, "WM_DRAWITEM"},
        {WM_MEASUREITEM, "WM_MEASUREITEM"},
        {WM_WINDOWPOSCHANGING, "WM_WINDOWPOSCHANGING"},
        {WM_WINDOWPOSCHANGED, "WM_WINDOWPOSCHANGED"},
        {WM_STYLECHANGING, "WM_STYLECHANGING"},
        {WM_STYLECHANGED, "WM_STYLECHANGED"},
        {WM_NCCREATE, "WM_NCCREATE"},
        {WM_NCDESTROY, "WM_NCDESTROY"},
        {WM_NCCALCSIZE, "WM_NCCALCSIZE"},
        {WM_NCHITTEST, "WM_NCHITTEST"},
        {WM_NCPAINT, "WM_NCPAINT"},
        {WM_NCACTIVATE, "WM_NCACTIVATE"},
        {0x00AE, "WM_NCUAHDRAWCAPTION"},
        {WM_NCMOUSEMOVE, "WM_NCMOUSEMOVE"},
        {WM_NCLBUTTONDOWN, "WM_NCLBUTTONDOWN"},
        {WM_NCLBUTTONUP, "WM_NCLBUTTONUP"},
        {WM_NCLBUTTONDBLCLK, "WM_NCLBUTTONDBLCLK"},
        {WM_KEYDOWN, "WM_KEYDOWN"},
        {WM_KEYUP, "WM_KEYUP"},
        {WM_COMMAND, "WM_COMMAND"},
        {WM_SYSCOMMAND, "WM_SYSCOMMAND"},
        {WM_TIMER, "WM_TIMER"},
        {WM_INITMENU, "WM_INITMENU"},
        {WM_CTLCOLOREDIT, "WM_CTLCOLOREDIT"},
        {WM_CTLCOLORSTATIC, "WM_CTLCOLORSTATIC"},
        {WM_MOUSEMOVE, "WM_MOUSEMOVE"},
        {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"},
        {WM_LBUTTONUP, "WM_LBUTTONUP"},
        {WM_MOUSEHOVER, "WM_MOUSEHOVER"},
        {WM_MOUSELEAVE, "WM_MOUSELEAVE"},
        {WM_NCMOUSELEAVE, "WM_NCMOUSELEAVE"},
        {kRecorderAskMsg, "kRecorderAskMsg"},
    };
    const auto found = names.find(message);
    return found == names.end() ? nullptr : found->second;
}

std::string Describe(const Step& step) {
    if (!step.note.empty()) {
        return "\"" + step.note + "\"";
    }
    LoggedMessage entry;
    entry.message = step.message;
    std::string text = Describe(entry);
    char values[80];
    if (step.wParam || step.lParam) {
        std::snprintf(values, sizeof(values), "(%s, %s)",
                      step.wParam ? std::to_string(*step.wParam).c_str() : "any",
                      step.lParam ? std::to_string(*step.lParam).c_str() : "any");
        text += values;
    }
    return text;
}

bool Matches(const Step& step, const LoggedMessage& entry) {
    if (!step.note.empty() || !entry.note.empty()) {
        return step.note == entry.note;
    }
    return step.message == entry.message && (!step.wParam || *step.wParam == entry.wParam) &&
           (!step.lParam || *step.lParam == entry.lParam);
}

} // namespace

std::string Describe(const LoggedMessage& entry) {
    if (!entry.note.empty()) {
        return "\"" + entry.note + "\"";
    }
    char text[80];
    if (const char* name = NameOf(entry.message)) {
        std::snprintf(text, sizeof(text), "%s", name);
    } else if (entry.message >= WM_APP) {
        std::snprintf(text, sizeof(text), "WM_APP+%u", entry.message - WM_APP);
    } else {
        std::snprintf(text, sizeof(text), "0x%04X", entry.message);
    }
    return text;
}

MessageLog::MessageLog(std::initializer_list<UINT> only) : m_only(only), m_previous(t_log) {
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

UniqueWindow MessageLog::Create(DWORD style, RECT place, HWND parent) {
    static const ATOM atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &MessageLog::RecordingProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = kRecorderClass;
        return RegisterClassW(&wc);
    }();
    (void)atom;
    return UniqueWindow(CreateWindowExW(
        0, kRecorderClass, L"recorder", style, place.left, place.top, place.right - place.left,
        place.bottom - place.top, parent, nullptr, GetModuleHandleW(nullptr), nullptr));
}

bool MessageLog::Watch(HWND hwnd) {
    const LONG_PTR previous = SetWindowLongPtrW(
        hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MessageLog::WatchingProc));
    if (previous == 0) {
        return false;
    }
    m_watched[hwnd] = reinterpret_cast<WNDPROC>(previous);
    return true;
}

void MessageLog::Note(const std::string& note) {
    LoggedMessage entry;
    entry.note = note;
    m_seen.push_back(entry);
}

void MessageLog::Record(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_only.empty() ? Housekeeping(message) : m_only.count(message) == 0) {
        return;
    }
    m_seen.push_back({hwnd, message, wParam, lParam,
                      static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)), std::string()});
}

LRESULT CALLBACK MessageLog::RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (t_log) {
        t_log->Record(hwnd, message, wParam, lParam);
    }
    if (message == kRecorderAskMsg) {
        return kRecorderAnswer;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK MessageLog::WatchingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // The log that watches this window, wherever the message comes from.
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
    for (auto it = m_seen.rbegin(); it != m_seen.rend(); ++it) {
        if (it->message == message && it->note.empty()) {
            return &*it;
        }
    }
    return nullptr;
}

int MessageLog::Count(const Step& step) const {
    int count = 0;
    for (const LoggedMessage& entry : m_seen) {
        count += Matches(step, entry);
    }
    return count;
}

::testing::AssertionResult MessageLog::Sequence(const std::vector<Step>& expected) {
    const std::vector<LoggedMessage> seen = std::move(m_seen);
    m_seen.clear();
    size_t i = 0;
    for (const Step& step : expected) {
        if (i == seen.size() || !Matches(step, seen[i])) {
            break;
        }
        ++i;
    }
    if (i == expected.size() && i == seen.size()) {
        return ::testing::AssertionSuccess();
    }
    std::string wanted, got;
    for (const Step& step : expected) {
        wanted += "\n    " + Describe(step);
    }
    for (const LoggedMessage& entry : seen) {
        char values[64];
        std::snprintf(values, sizeof(values), "(%llu, %lld)",
                      static_cast<unsigned long long>(entry.wParam),
                      static_cast<long long>(entry.lParam));
        got += "\n    " + Describe(entry) + (entry.note.empty() ? values : "");
    }
    return ::testing::AssertionFailure()
           << "the sequences part at entry " << i
           << "\n  expected:" << (wanted.empty() ? " nothing" : wanted)
           << "\n  seen:" << (got.empty() ? " nothing" : got);
}

} // namespace ztest
