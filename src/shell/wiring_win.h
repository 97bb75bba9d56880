// What each subsystem offers the main window at start-up and on resizing. The shell calls these
// in the start-up order; each subsystem defines its own in its folder.
#pragma once

#include <windows.h>

// Register main-menu commands and load what the subsystem needs before windows exist.
void elements_init();
void view_init();
void bars_init();
void text_init();
void ideas_init();
void services_init();

// Window creation, in start-up order: status bar, then (after the settings) toolbar, view, toolbox.
void bars_create_status(HWND main);
void bars_create_toolbar(HWND main);
HWND view_create_window(HWND main);
void bars_create_toolbox(HWND main);

// Main window resized: the bars place themselves, then the view fills the rest.
void bars_layout(HWND main);
// Then the view fills what the bars leave (defined by the view).
void view_layout();
