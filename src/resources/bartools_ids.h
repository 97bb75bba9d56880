// Resource ids of the ticker's Preference dialog, the Toolbar Editor and the list view.
#pragma once

#define IDD_MESSGPREF 10077
#define IDC_PREF_SKILL 10079
#define IDC_PREF_SPEED 10081
#define IDC_PREF_COLOR 10083
#define IDC_PREF_NOREPEAT 10084
#define IDC_PREF_TICKERBOX 10085
#define IDC_PREF_TOOLTIP 10086
#define IDC_PREF_AUTOOPEN 10087
#define IDC_PREF_CLOSE 10089

#define IDD_TBAR_EDITOR 10507
#define IDC_TBE_BUTTONS 10508
#define IDC_TBE_BITMAP 10509
#define IDC_TBE_STYLES 10510
#define IDC_TBE_TOP 10513
#define IDC_TBE_LEFT 10514

// Cursor shown while list rows are dragged (drawn by the program).
#define IDC_LV_DRAG 11231
