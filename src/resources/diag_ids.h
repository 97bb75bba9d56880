// Resource ids of the diagram view's own dialogs.
#pragma once

#define IDD_LEVEL 13000
#define IDC_LEVEL_EDIT 13001
#define IDC_LEVEL_RANGE 13002

#define IDD_SHIFT 10420
#define IDC_SHIFT_LEFT 10421
#define IDC_SHIFT_UP 10422
#define IDC_SHIFT_DOWN 10423
#define IDC_SHIFT_RIGHT 10424
#define IDC_SHIFT_LEVEL_UP 10425
#define IDC_SHIFT_LEVEL_DOWN 10426
#define IDC_SHIFT_INSERT 10427
#define IDC_SHIFT_DELETE 10428
