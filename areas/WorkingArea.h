#pragma once
#include "Framework.h"
#include "areas/WindowRecord.h"
#include <vector>

// One working area: a named set of top-level windows, of which the bar shows one set at a time.
// It learns its windows only when it is left (RecordAndHide) and brings them back when it becomes
// current again (ShowWindows) and when it is destroyed.
class WorkingArea {
public:
    explicit WorkingArea(int number);
    // Shows the recorded windows again, so that no window stays hidden once its area is gone.
    ~WorkingArea();
    WorkingArea(const WorkingArea&) = delete;
    WorkingArea& operator=(const WorkingArea&) = delete;

    // Snapshots every top-level window and hides the visible ones, except the shell's and this
    // program's own dialogs.
    void RecordAndHide();
    // Shows every window that the last snapshot recorded as visible.
    void ShowWindows();
    // Whether leaving an area hides the window of this record: what a left area holds hidden.
    static bool HidesWhenLeft(const WindowRecord& record);
    // Whether a switch may hide the window at all: it is visible and none of the shell's, a
    // toolbar or this program's own. A pin keeps such a window on screen all the same.
    static bool CanBeHidden(const WindowRecord& record);
    // One window as a snapshot would record it now.
    static WindowRecord RecordWindow(HWND hwnd);
    // The windows on screen that leaving the current area now would hide.
    static std::vector<WindowRecord> WindowsToHideNow();

    // A window moved here from elsewhere: shown when this area becomes current.
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
    void DrawRow(CDC* pDC);
};
