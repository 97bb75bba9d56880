// Resource ids of the text windows, hypertext fields and object actions.
#pragma once

// Text window context menu (IDM_POP_TEXT 10753 in ids.h).
#define IDM_TW_CUT 10754
#define IDM_TW_COPY 10755
#define IDM_TW_PASTE 10756
#define IDM_TW_DELETE 10757
#define IDM_TW_FIND 10758
#define IDM_TW_REPLACE 10759
#define IDM_TW_INSERT 10760
#define IDM_TW_SPELL 10761
#define IDM_TW_CREATE_LINK 10762
#define IDM_TW_EDIT_LINK 10763
#define IDM_TW_DELETE_LINK 10764
#define IDM_TW_DELETE_ALL_LINKS 10765
#define IDM_TW_PRINT 10766

// Edit Hyperlink dialog.
#define IDD_HIDDEN_TEXT 10266
#define IDC_HT_EXTENSION 10267
#define IDC_HT_ACTION 10269
#define IDC_HT_HYPERTEXT 10272
#define IDC_HT_BROWSE 10273
#define IDC_HT_LABEL_ACTION 12010
#define IDC_HT_LABEL_EXT 12011
#define IDC_HT_LABEL_TEXT 12012

// Select ID: the list-selection dialog of the Select ID action.
#define IDD_SELECT_ID 12020
#define IDC_SELECT_ID_LIST 12021

// Object pop-up menu and diagram: run the marked object's action.
#define CMD_ACTIVATE_OBJECT 12000
