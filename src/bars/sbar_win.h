// The view window's scroll bars and the zoom and level commands.
#pragma once

#include <windows.h>

// With Scrollbars On/Off checked: the view's scroll bars get the range -2000 .. 2000 and the
// origin's positions.
void sbar_show();
// Zoom To %: the percentage the user entered, or 0 for Cancel.
int sbar_zoom_dialog(HWND parent);
// Registers Fit, Expand, Contract, Centralize, To 100%, Zoom To %, Level Up, Level Down and
// Scrollbars On/Off.
void sbar_register_commands();
