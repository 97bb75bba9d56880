// Start-up and the main window.
#pragma once
#include <windows.h>

// Runs the program: creates the main window and the message loop; returns the exit code.
int vorn_main(HINSTANCE inst, const char* cmd_line, int show);
LRESULT CALLBACK task_win_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp);

// The pieces of vorn_main, for tests: registers the commands and the window class once.
void vorn_register(HINSTANCE inst);
// Creates the main window (null when "/u" ran instead, or creation failed) and opens the
// command line's document, else the home file, else a new "untitled.vrn".
HWND vorn_create_main(HINSTANCE inst, const char* cmd_line, int show);
// Whether the accelerator table should see this message (editing keys stay with edit controls
// that are no text window).
bool vorn_accel_applies(const MSG& m);
// One turn of the main loop's routing: modeless dialogs, then accelerators, then dispatch.
void vorn_route_message(MSG& m, HACCEL acc);
// Message boxes as the program shows them (note, error, questions).
void vorn_install_message_boxes();
