// What the view offers the main window at start-up.
#pragma once

#include <windows.h>

// Registers the view's commands and the hooks the floors below it call.
void view_init();
HWND view_create_window(HWND main);
