#pragma once
// Message sequences, checked as Wine's own conformance tests check a window: a log records, in
// order, the messages it is told to follow and the events a test notes among them (a handler that
// ran, a picture drawn), and one comparison holds them against the table a behaviour expects.
//
//     MessageLog log{WM_NCPAINT};
//     const UniqueWindow window = MessageLog::Create(WS_POPUP | WS_BORDER | WS_VISIBLE);
//     SendMessageW(window.get(), WM_NCPAINT, 1, 0);
//     EXPECT_TRUE(log.Sequence({{WM_NCPAINT, 1}}));
#include "tests/support/TestHandles.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace ztest {

// The recording class answers this message with kRecorderAnswer: a test can tell that a message
// went through whatever subclassed the window to its own procedure, and the answer came back.
constexpr UINT kRecorderAskMsg = WM_APP + 0x3E0;
constexpr LRESULT kRecorderAnswer = 0x1234;

// One entry of a log: a message a window got, or an event a test noted (message 0).
struct LoggedMessage {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD style = 0; // the window's style while the message was handled
    std::string note;
};

// One row of an expected table: a message, with its wParam and lParam where they matter, or a
// note.
struct Step {
    Step(const char* text) : note(text) {}
    Step(std::string text) : note(std::move(text)) {}
    Step(UINT msg, std::optional<WPARAM> w = {}, std::optional<LPARAM> l = {})
        : message(msg), wParam(w), lParam(l) {}
    bool Matches(const LoggedMessage& entry) const;
    UINT message = 0;
    std::optional<WPARAM> wParam;
    std::optional<LPARAM> lParam;
    std::string note;
};

// The log of this thread's windows while it lives (a later one takes over until it goes).
class MessageLog {
public:
    // Follows the messages named; notes are always kept.
    explicit MessageLog(std::initializer_list<UINT> follow = {});
    // Gives watched windows their procedures back.
    ~MessageLog();
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;

    // The log that windows of this thread record into now, or null.
    static MessageLog* Current();
    // A window whose own procedure records into the current log and leaves every message to
    // DefWindowProcW.
    static UniqueWindow Create(DWORD style, RECT place = {100, 100, 400, 300});
    // Records what reaches the window's procedure from now on, ahead of it.
    bool Watch(HWND hwnd);
    void Note(const std::string& note) { m_seen.push_back({0, 0, 0, 0, note}); }

    // What was recorded since the last comparison (or Clear) against `expected`, entry by entry;
    // the log starts afresh either way.
    ::testing::AssertionResult Sequence(const std::vector<Step>& expected);
    void Clear() { m_seen.clear(); }
    // The last entry of a message since the last comparison, or null; how many match a step.
    const LoggedMessage* Last(UINT message) const;
    int Count(const Step& step) const;

private:
    static LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK WatchingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Record(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    std::set<UINT> m_follow;
    std::vector<LoggedMessage> m_seen;
    std::map<HWND, WNDPROC> m_watched;
    MessageLog* m_previous;
};

// Notes an event in the current log, if there is one: for code that is handed no log, such as a
// handler of a window class under test.
inline void Note(const std::string& note) {
    if (MessageLog* log = MessageLog::Current())
        log->Note(note);
}

} // namespace ztest
