// The Slideshow Settings dialog: a document's closing transition and opening sound, and the
// program-wide effects switch.
#pragma once

#include <windows.h>

void slideshow_settings(HWND parent);
INT_PTR CALLBACK dlg_slideshow_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp);
// Registers the menu command (elements_init).
void slideshow_init();
