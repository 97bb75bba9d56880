// What the bars offer the main window at start-up and on resizing.
#pragma once

#include <windows.h>

// Registers the bars' commands and the hooks the floors below them call.
void bars_init();
// Window creation, in start-up order: status bar, then (after the settings) toolbar, toolbox.
void bars_create_status(HWND main);
void bars_create_toolbar(HWND main);
void bars_create_toolbox(HWND main);
// Main window resized: the bars place themselves before the view fills the rest.
void bars_layout(HWND main);
