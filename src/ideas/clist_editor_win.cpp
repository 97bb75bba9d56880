#include <windows.h>

#include "ideas/clist_win.h"

// Replaced by the Checklist Editor; until then Advance only closes the dialog.
void clist_editor_open(HWND) {}
