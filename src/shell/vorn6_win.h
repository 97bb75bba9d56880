// Start-up and the main window.
#pragma once
#include <windows.h>

// Runs the program: creates the main window and the message loop; returns the exit code.
int vorn_main(HINSTANCE inst, const char* cmd_line, int show);
LRESULT CALLBACK task_win_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp);
