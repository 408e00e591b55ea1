// Resource ids shared by the code and the resource scripts (the program's, the English library's).
// Plain #defines only, so that the resource compiler's preprocessor reads this file as well as
// the C++ compiler does.
// A resource library that replaces the program's resources must carry the same ids and types.
#pragma once

// System-menu command of the About entry; the low four bits must stay clear (system commands).
#define IDM_ABOUTBOX 0x0010

// Dialog templates.
#define IDD_ABOUTBOX 100
#define IDD_ZELVANOR_DIALOG 102

// Strings; 101 to 103 share one string block (ids 96 to 111).
#define IDS_ABOUTBOX 101
#define IDS_WORKING_AREA_NAME 102
#define IDS_ADD_WORKING_AREA 103

// Icon group, menus. IDR_TRAY_MENU doubles as the tray icon's identifier.
#define IDR_MAINFRAME 128
#define IDR_BAR_MENU 129
#define IDR_TRAY_MENU 131

// Bitmaps: title-strip buttons of the bar.
#define IDB_COLLAPSE 132
#define IDB_COLLAPSE_PRESSED 133
#define IDB_COLLAPSE_HOVER 134
#define IDB_EXPAND 138
#define IDB_EXPAND_PRESSED 139
#define IDB_EXPAND_HOVER 140
#define IDB_CLOSE 1018
#define IDB_CLOSE_HOVER 1019
#define IDB_CLOSE_PRESSED 1020

// Bitmaps: row backgrounds, 323 x 79, stretched over a 120 x 30 row. The hover and pressed
// variants are shipped with the set but nothing draws them.
#define IDB_AREA_ROW_HOVER 130
#define IDB_AREA_ROW_PRESSED 135
#define IDB_AREA_ROW 136
#define IDB_AREA_ROW_SELECTED 137

// Bitmap: picture of the About dialog.
#define IDB_ABOUT 142

// Bitmaps: caption buttons of the skinned dialogs.
#define IDB_CAPTION_MIN 1003
#define IDB_CAPTION_MAX 1004
#define IDB_CAPTION_CLOSE 1005
#define IDB_CAPTION_MIN_HOVER 1006
#define IDB_CAPTION_MAX_HOVER 1007
#define IDB_CAPTION_CLOSE_HOVER 1008
#define IDB_CAPTION_MIN_PRESSED 1009
#define IDB_CAPTION_MAX_PRESSED 1010
#define IDB_CAPTION_CLOSE_PRESSED 1011
#define IDB_CAPTION_RESTORE 1015
#define IDB_CAPTION_RESTORE_HOVER 1016
#define IDB_CAPTION_RESTORE_PRESSED 1017

// Bitmaps: faces of the gray push button (centre strip and two end caps per state).
#define IDB_GRAYBTN_MID 1027
#define IDB_GRAYBTN_LEFT 1028
#define IDB_GRAYBTN_RIGHT 1029
#define IDB_GRAYBTN_HOVER_MID 1030
#define IDB_GRAYBTN_HOVER_LEFT 1031
#define IDB_GRAYBTN_HOVER_RIGHT 1032
#define IDB_GRAYBTN_PRESSED_MID 1033
#define IDB_GRAYBTN_PRESSED_LEFT 1034
#define IDB_GRAYBTN_PRESSED_RIGHT 1035

// Controls.
#define IDC_RENAME_EDIT 1000
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Commands of the bar's right-click menu and the tray menu.
#define ID_ADD_WORKING_AREA 32771
#define ID_DELETE_WORKING_AREA 32772
#define ID_TRAY_OPEN 32773
#define ID_TRAY_ADD_WORKING_AREA 32774
#define ID_TRAY_ABOUT 32775
#define ID_TRAY_EXIT 32776
#define ID_RENAME_WORKING_AREA 32777

// Tray icon callback message to the bar.
#define WM_TRAY_NOTIFY (WM_USER + 300)
