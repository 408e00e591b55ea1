#pragma once
#include "Framework.h"
#include "areas/WindowRecord.h"
#include <vector>

// One working area: a named set of top-level windows, of which the bar shows one set at a time.
// It learns its windows only when it is left (RecordAndHide), holds them hidden while it is not
// current, and brings them back when it becomes current again (ShowWindows) and when it is
// destroyed. While it is current it holds nothing: its windows are the user's and their
// programs' to show and hide.
class WorkingArea {
public:
    explicit WorkingArea(int number);
    // Shows the windows it holds, so that no window stays hidden once its area is gone.
    ~WorkingArea();
    WorkingArea(const WorkingArea&) = delete;
    WorkingArea& operator=(const WorkingArea&) = delete;

    // Snapshots every top-level window and hides the visible ones, except the shell's and this
    // program's own dialogs, and notes the one the user was last in.
    void RecordAndHide();
    // The area is current again: the windows it hid come back stacked as they stood, the keyboard
    // with the one the user was last in, and it holds nothing from then on.
    void ShowWindows();
    // Shows the windows it holds without giving them up: the session may yet go on.
    void ShowHeld() const;
    // The windows it holds that still exist, top first; it holds nothing from then on.
    std::vector<WindowRecord> TakeHeld();
    // Shows windows without activating them; a minimised one stays minimised.
    static void Show(const std::vector<WindowRecord>& records);
    // Brings windows back, stacked above the rest in this order, top first: `above`, on screen
    // already, over the `held` ones, which are shown; then gives the keyboard to `activate` (none
    // when null). Never waits on their programs.
    static void BringBack(const std::vector<WindowRecord>& above,
                          const std::vector<WindowRecord>& held, const WindowRecord* activate);
    // The window of these, all on screen, that the user was last in: the one with the keyboard,
    // else the top one that takes the keyboard (a window comes to the top when it is activated);
    // null when none does.
    static const WindowRecord* LastIn(const std::vector<WindowRecord>& records);
    // Whether leaving an area hides the window of this record: what a left area holds hidden.
    static bool HidesWhenLeft(const WindowRecord& record);
    // Whether a switch may hide the window at all: it is visible and none of the shell's, a
    // toolbar or this program's own. A pin keeps such a window on screen all the same.
    static bool CanBeHidden(const WindowRecord& record);
    // One window as a snapshot would record it now.
    static WindowRecord RecordWindow(HWND hwnd);
    // The windows on screen that leaving the current area now would hide.
    static std::vector<WindowRecord> WindowsToHideNow();

    // A window moved here from elsewhere: shown on top when this area becomes current, as the
    // one the user was last in.
    void Adopt(const WindowRecord& record);
    // A window moved away: not shown here any more.
    void Drop(const WindowRecord& record);
    CString GetName() const;

    // Row painting; the caller has selected the row font into the DC.
    void Draw(CDC* pDC, CRect rc);
    void Redraw(CDC* pDC);
    void SetSelected(CDC* pDC, BOOL selected);
    void DrawBackground(CDC* pDC, CRect rc);

    int m_number;
    CString m_name;
    BOOL m_hover;
    BOOL m_selected;
    BOOL m_editing;
    RECT m_rect;
    std::vector<WindowRecord> m_windows;

private:
    static std::vector<WindowRecord> TakeSnapshot();
    // The window the user was last in when the area was left; hwnd null when none.
    WindowRecord m_lastIn;
    void DrawRow(CDC* pDC);
};
