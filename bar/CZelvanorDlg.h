#pragma once
#include "Framework.h"
#include "areas/WindowKeeper.h"
#include "areas/WindowRecord.h"
#include "bar/BarLayout.h"
#include "bar/GlobalKeys.h"
#include "bar/RowTips.h"
#include "skin/CDiyDialogEx.h"
#include "tray/CTrayIcon.h"
#include <memory>
#include <vector>

class WorkingArea;

// The bar: a topmost tool window listing the working areas, one row each, under a title strip.
// It owns the working areas, the tray icon and the rename box; everything runs on its thread.
class CZelvanorDlg : public CDiyDialogEx {
public:
    CZelvanorDlg();
    ~CZelvanorDlg() override;

    // The working-area list.
    void AddWorkingArea(CString name);
    void AddDefaultWorkingArea();
    void RemoveWorkingArea(int number);
    void DeleteAllWorkingAreas();
    // Shows every window that a working area other than the current one holds hidden. Used when
    // the session ends and when the process crashes, so that no window stays hidden for good.
    void ShowHiddenWindows();

    // Geometry.
    void ResizeToList();
    virtual void DockLeft();
    virtual void DockRight();
    virtual void DockTop();
    virtual void DockBottom();

    // Painting.
    void DrawTitleBar(CDC* dc);
    void DrawCloseButton(CDC* dc, int state);
    void DrawCollapseButton(CDC* dc, int state);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnCaptionClose() override;
    void OnDpiChanged(const RECT& suggested) override;

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnMouseLeave();
    void OnRButtonDown(UINT nFlags, CPoint point);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnMove(int x, int y);
    LRESULT OnSizeChanged(WPARAM wParam, LPARAM lParam);
    void OnAddWorkingArea();
    void OnDeleteWorkingArea();
    void OnRenameWorkingArea();
    void OnRenameKillFocus();
    void OnTrayOpen();
    void OnTrayAbout();
    LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
    LRESULT OnTaskbarCreated(WPARAM wParam, LPARAM lParam);
    BOOL OnQueryEndSession();
    void OnEndSession(BOOL bEnding);
    LRESULT OnHotKey(WPARAM id, LPARAM lParam);
    LRESULT OnNotify(WPARAM wParam, LPARAM lParam);
    LRESULT OnEnterMenuLoop(WPARAM wParam, LPARAM lParam);
    LRESULT OnExitMenuLoop(WPARAM wParam, LPARAM lParam);
    void OnDestroy();
    // A monitor went or the work area changed.
    LRESULT OnDisplayChange(WPARAM wParam, LPARAM lParam);
    LRESULT OnSettingChange(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    HICON SmallIcon() const { return m_smallIcon ? m_smallIcon.get() : m_hIcon; }
    // The font of the rows and the rename box: the dialog's own at the DPI it was made at, a
    // copy scaled from it at any other.
    HFONT RowFont() const;
    // The monitor the bar is on, or nearest to, and the taskbar lying on it.
    CRect MonitorRect() const;
    bool FindTaskbar(CRect* taskbar) const;
    // A bar that lies on no monitor moves onto the nearest one and docks there.
    void BringOntoMonitor();
    void HideBar();
    // The keeper's list becomes what the areas other than the current one hold hidden.
    void HoldWhatIsNotCurrent();
    // Windows an area held come back beneath those on screen, which keep their order; with
    // `activate`, the keyboard goes to the one on screen the user was last in.
    void ReturnBeneathCurrent(const std::vector<WindowRecord>& held, bool activate);
    void CommitRename();
    // Keys and tooltips.
    WorkingArea* AreaOfKey(int row) const;
    // The foreground window and its family (WindowFamily) as far as a switch could hide them;
    // empty when the foreground window is none such.
    std::vector<WindowRecord> ForegroundWindows() const;
    void MoveForegroundWindowTo(WorkingArea* target);
    void TogglePinOfForegroundWindow();
    std::wstring RowTipText(int row) const;
    void SwitchTo(WorkingArea* target);
    void PressTitleStrip(CPoint point);
    WorkingArea* AreaAtRow(int y) const;

public:
    HICON m_hIcon;
    // The icon file's own image at the small-icon size: the tray's and the window's small icon.
    UniqueIcon m_smallIcon;
    // The layout in pixels at the bar's DPI.
    BarLayout::Metrics m_layout;
    int m_areaCounter;
    std::vector<std::unique_ptr<WorkingArea>> m_areas;
    WorkingArea* m_hoverArea;   // borrowed from m_areas
    WorkingArea* m_menuArea;    // borrowed from m_areas
    WorkingArea* m_currentArea; // borrowed from m_areas
    BOOL m_mouseTracking;
    CTrayIcon m_trayIcon;
    CMenu m_trayMenu;
    CEdit m_renameEdit;
    LOGFONTW m_dialogFont;
    int m_dialogFontDpi;
    CFont m_scaledRowFont; // empty at the DPI the dialog was made at
    BOOL m_collapsed;
    // Sizes not of its own that the bar still takes back before its next resize to the list.
    int m_sizeRepairs;
    // Keeps held windows from being lost: the list the watcher and the crash guards read.
    WindowKeeper m_keeper;
    // The windows that a query for the end of the session showed, hidden again if it is cancelled.
    std::vector<WindowRecord> m_shownForSession;
    GlobalKeys m_keys;
    RowTips m_rowTips;
    BOOL m_menuOpen;
};
