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
    void DrawRow(CDC* pDC);
};
