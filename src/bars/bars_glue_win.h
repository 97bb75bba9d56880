// The few shell and view services the bars use, in one place: menu check marks and states,
// running a main-menu command, tooltips and user commands to the diagram window.
#pragma once

#include <windows.h>

#include <string>

bool bars_menu_checked(int id);
void bars_menu_check(int id, bool on);
// Checks `sel` and unchecks the rest of first..last; nothing when sel is outside.
void bars_menu_check_radio(int first, int last, int sel);
// True when main-menu command `id` can run now.
bool bars_menu_enabled(int id);
// Runs main-menu command `id` as if chosen; it has finished when this returns.
void bars_run_menu_cmd(int id);

// Tooltip for a rectangle of `win`'s client area.
void bars_tip_request(HWND win, RECT area, const std::string& title, const std::string& text);
void bars_tip_hide();

// User command to the diagram window; its integer reply (0 without a diagram window).
int bars_send_user(int code, int param);
