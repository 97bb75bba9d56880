// The Background dialog (modeless): fill, colours, the current level's figure, draw sequence and
// shadow light source, each shown in the diagram as soon as it is chosen.
#pragma once

#include <windows.h>

// The level the view shows, installed by the view at start-up (1 while unset).
void bg_dialog_set_level_hook(int (*current_level)());
// The view went to another level: an open dialog's group caption and pattern list follow at once.
void bg_dialog_follow_level();
// Opens the dialog; nothing when it is open already.
void bg_dialog();
INT_PTR CALLBACK dlg_background_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp);
// Registers the menu and pop-up commands that open it (elements_init).
void bg_dialog_init();
