// The Compute dialog and the Recompute command.
#pragma once

#include <windows.h>

// The Compute dialog (modal): Auto or Manual, what Recompute computes, the decimal format of
// computed values. OK stores them, removes the critical marks and runs Recompute.
void dlg_compute_open(HWND parent);
INT_PTR CALLBACK dlg_compute_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp);

// Tools > Recompute: the mode of document setting 209.
void compute_recompute_command();

// Registers the commands and the view's evaluation and recompute hooks.
void compute_init();
