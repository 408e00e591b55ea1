#pragma once
// The desktop as a user sees it: the top-level windows of every program and what they show, and
// the real mouse and keyboard.
#include "tests/support/Wait.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <vector>

namespace ztest {

// Only an answer that never comes should reach this bound.
constexpr DWORD kAnswerMs = 30000;

// The top-level windows as the system lists them, topmost first; all, or one process's.
std::vector<HWND> TopLevelWindows();
std::vector<HWND> TopLevelWindowsOf(DWORD pid);
std::wstring ClassOf(HWND hwnd);
// The first visible top-level window of a process with this class, other than `except`; null
// when there is none. The waiting form gives it time to come up.
HWND VisibleWindowOf(DWORD pid, const wchar_t* cls, HWND except = nullptr);
HWND WaitVisibleWindowOf(DWORD pid, const wchar_t* cls, HWND except = nullptr);
// A visible popup menu of a process, or null.
HWND OpenMenuOf(DWORD pid);
std::wstring TitleOf(HWND hwnd);
// WM_GETTEXT across processes (an edit control keeps its text to itself).
std::wstring TextOf(HWND hwnd);
// Sends WM_NULL and waits for the answer: the window's thread has then handled every request
// queued for it earlier (ShowWindowAsync among them).
bool Answers(HWND hwnd, DWORD timeoutMs = kAnswerMs);
RECT WindowRect(HWND hwnd);
// Makes a window, of any program, paint itself before this returns.
void Repaint(HWND hwnd);

bool AllVisible(const std::vector<HWND>& windows);
bool NoneVisible(const std::vector<HWND>& windows);
bool WaitVisible(HWND hwnd, bool visible, DWORD timeoutMs = kWaitMs);
// Waits until every window of the list is shown (or hidden); names the ones that never were.
::testing::AssertionResult WaitAllVisible(const std::vector<HWND>& windows, bool visible);

// The lParam of a key message as the keyboard would send it.
LPARAM KeyData(UINT vk);
// The real pointer and left button: the system decides which window gets the messages.
void MoveCursor(POINT screen);
void LeftButton(bool down);
// Somewhere on the desktop that no test puts a window of its own on.
void ParkCursor();
// For a test's TearDown, whatever the test stopped at: the pointer parked, the left button up.
void ReleasePointer();
// Makes a window the foreground one and waits until it stays so: the window manager hands the
// focus to shown windows in its own time, and may take it back a moment later.
bool BringToForeground(HWND hwnd, int attempts = 10);
// The real keyboard: the keys go down in the order given and come up in the reverse order.
void PressKeys(std::initializer_list<WORD> keys);
// Win+Ctrl+Alt with `key`, and Shift as well when `shift`: the program's keys.
void PressAreaKey(WORD key, bool shift = false);
// The real pointer's left click at a point of the screen, the pointer parked afterwards.
void ClickAt(POINT screen);
// Invalidates a shown window and waits until it has painted. A thread paints only once nothing
// posted to it and none of its keyboard or mouse input waits, so everything posted or typed to it
// before (a key's WM_HOTKEY, a key going up) has been handled when this returns true.
bool CaughtUp(HWND hwnd, DWORD timeoutMs = kAnswerMs);
// These windows in the order they stand on screen, top first.
std::vector<HWND> StackOf(const std::vector<HWND>& windows);
// Stacks these windows in this order, top first, above the rest, the first with the keyboard.
::testing::AssertionResult StackAs(const std::vector<HWND>& order);

} // namespace ztest
