// "What's this?" help in the program's dialogs: the caption's "?" button turns the pointer into
// a question mark, and the control clicked next shows its pop-up help; a right click on a
// control offers "What's this?" as well (Wine draws no "?" button).
#pragma once

#include <windows.h>

// Gives every dialog of this program started from now on its "?" button (help_register).
void help_whatsthis_install();
// The mode on dialog `dlg` until a click, Esc or the loss of the mouse; true when a click asked
// for help.
bool help_whatsthis_run(HWND dlg);
// For tests: the dialog whose mode is running, or null.
HWND help_whatsthis_dialog();
