// Find Objects (modeless) and Find Links (modal).
#pragma once

#include <windows.h>

// Find Links over the document's links; always false (the dialog ends with Close).
bool links_open(HWND parent);
// Find Objects; nothing when it is open already or the save question was cancelled.
void findobj_open();
void finders_register();
