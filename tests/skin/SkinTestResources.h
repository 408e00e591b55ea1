// Ids of the skin tests' own templates; kept clear of the program's ids.
#pragma once

#define IDD_TEST_MENU_DIALOG 9100
#define IDR_TEST_MENU_BAR 9110
#define ID_TEST_FIRST 9111
#define ID_TEST_SECOND 9112
#define ID_TEST_THIRD 9113

#define IDD_TEST_BUTTON_DIALOG 9200
#define IDC_TEST_BUTTON 9201
#define IDC_TEST_DISABLED_BUTTON 9202
