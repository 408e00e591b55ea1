#pragma once
// Checks that read as they mean: window states as GoogleMock matchers over one window or a set
// of them (EXPECT_THAT(windows, Each(Shown()))), and Eventually, which polls a matcher while this
// thread's messages are pumped and, when the state never comes, says what it last saw.
#include "tests/support/Wait.h"
#include <windows.h>
#include <gmock/gmock.h>
#include <ostream>
#include <string>
#include <type_traits>

// A window prints as its handle, title and class, so that a failure names the window.
inline void PrintTo(HWND__* hwnd, std::ostream* os) {
    wchar_t title[80] = L"";
    wchar_t cls[80] = L"";
    GetWindowTextW(hwnd, title, 80);
    GetClassNameW(hwnd, cls, 80);
    char text[400];
    snprintf(text, sizeof(text), "%p \"%ls\" (%ls)", static_cast<void*>(hwnd), title, cls);
    *os << text;
}

namespace ztest {

MATCHER(Shown, negation ? "hidden" : "shown") {
    return IsWindowVisible(arg) != FALSE;
}
MATCHER(Hidden, negation ? "shown" : "hidden") {
    return IsWindowVisible(arg) == FALSE;
}
// The window the keyboard's input goes to: the foreground window.
MATCHER(Active, negation ? "not active" : "active") {
    const HWND foreground = GetForegroundWindow();
    *result_listener << "the keyboard is with " << ::testing::PrintToString(foreground);
    return foreground == arg;
}
MATCHER(Minimised, negation ? "not minimised" : "minimised") {
    return IsIconic(arg) != FALSE;
}
// The window's client area lies inside a rectangle of the screen (a monitor's work area).
MATCHER_P(ClientInside, area, negation ? "not inside" : "with its client area inside") {
    RECT client{}, both{};
    GetClientRect(arg, &client);
    MapWindowPoints(arg, nullptr, reinterpret_cast<POINT*>(&client), 2);
    *result_listener << "client (" << client.left << ", " << client.top << ")-(" << client.right
                     << ", " << client.bottom << ")";
    return IntersectRect(&both, &client, &area) && EqualRect(&both, &client);
}

// Polls until `value` (or what `value()` returns, when it is a function) matches, pumping this
// thread's messages meanwhile. The failure says what was expected and what was last seen.
template <typename T, typename M>
::testing::AssertionResult Eventually(const T& value, const M& matcher, DWORD timeoutMs = kWaitMs) {
    auto read = [&] {
        if constexpr (std::is_invocable_v<const T&>) {
            return value();
        } else {
            return value;
        }
    };
    using Value = std::decay_t<decltype(read())>;
    const ::testing::Matcher<const Value&> m = ::testing::SafeMatcherCast<const Value&>(matcher);
    if (WaitUntil([&] { return m.Matches(read()); }, timeoutMs)) {
        return ::testing::AssertionSuccess();
    }
    const Value last = read();
    ::testing::StringMatchResultListener why;
    m.MatchAndExplain(last, &why);
    std::ostringstream expected;
    m.DescribeTo(&expected);
    return ::testing::AssertionFailure()
           << "after " << timeoutMs << " ms, expected " << expected.str() << "\n  last seen "
           << ::testing::PrintToString(last) << (why.str().empty() ? "" : "\n  ") << why.str();
}

} // namespace ztest
