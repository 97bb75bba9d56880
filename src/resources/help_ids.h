// Controls of the help viewer and the About window.
#pragma once

#define IDC_HELP_CONTENTS 13700
#define IDC_HELP_INDEX 13701
#define IDC_HELP_SEARCH 13702
#define IDC_HELP_BACK 13703
#define IDC_HELP_FORWARD 13704
#define IDC_HELP_WORDS 13705
#define IDC_HELP_LIST 13706
#define IDC_HELP_TITLE 13707
#define IDC_HELP_TEXT 13708
#define IDC_HELP_SEE_LABEL 13709
#define IDC_HELP_SEE 13710
#define IDB_ABOUT 13720
