#pragma once
// Ids of the framework tests' own resources (FrameworkTests.rc) and commands.

#define IDD_FW_TEST_DIALOG 2100
#define IDC_FW_EDIT 2101
#define IDC_FW_OWNERDRAW 2102
#define IDC_FW_PLAIN_BUTTON 2103
#define IDD_FW_MISSING_DIALOG 2199

// Strings: 2110 and 2111 share a string-table block in which 2109 is absent; 2200 is alone in
// its block; block of 3000 does not exist.
#define IDS_FW_AREA_FORMAT 2110
#define IDS_FW_HELLO 2111
#define IDS_FW_ABSENT_IN_BLOCK 2109
#define IDS_FW_LONELY 2200
#define IDS_FW_NO_BLOCK 3000

#define IDR_FW_MENU 2120
#define ID_FW_MENU_FIRST 32601
#define ID_FW_MENU_SECOND 32602

#define ID_FW_APP_COMMAND 32611
#define ID_FW_VIRTUAL 32612
#define ID_FW_QUALIFIED 32613
#define ID_FW_EXIT 32614
#define ID_FW_UNHANDLED 32615
