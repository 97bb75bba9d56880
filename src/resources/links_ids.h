// Resource ids of the Font dialog.
#pragma once

#define IDD_FONT 10573
#define IDC_FONT_ROW0 10574      // row labels 10574..10577, then 10588 for the fifth row
#define IDC_FONT_ROW4 10588
#define IDC_FONT_EDIT0 10578     // read-only edits 10578..10582, one per slot
#define IDC_FONT_CHANGE0 10583   // "Change..." 10583..10587, one per slot
#define IDC_FONT_UNDERLINE_HDR 10589
#define IDC_FONT_NAME_HDR 10590
#define IDC_FONT_UNDERLINE0 10591  // underline of slots 0, 1, 2: 10591..10593
