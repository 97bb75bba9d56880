// The Toolbar Editor (Tools > Toolbar > Editor...): chooses and edits the toolbar layouts,
// applied to the live toolbar at once; Accept stores the four user layouts.
#pragma once

#include <windows.h>

// Runs the dialog; true when it ended with Accept.
bool tbar_editor(HWND parent);
INT_PTR CALLBACK dlg_toolbar_editor_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp);
// Registers the menu command.
void tbar_editor_init();
