// MENU: check marks and enabled state of the main menu's items, and running a command as if
// chosen. Items without a registered command, or whose command says it is not available, are
// greyed.
#pragma once

#include <windows.h>

// 1 when item `id` is checked, else 0; never fails.
int menu_checked(int id);
void menu_check(int id, int on_off);
// When first <= sel <= last: unchecks first..last and checks sel; else nothing.
void menu_check_radio(int first, int last, int sel);
// Flips the check mark; the new state 1/0.
int menu_toggle(int id);
// 0 when item `id` is disabled, 1 when enabled (the name is historical); never fails.
int menu_is_disabled(int id);
// Flag 1 enables, 0 disables; the disabled set is kept and applied on every refresh.
void menu_enable(int id, int flag);
void menu_disable(int id);
// Recomputes the enabled state of every main-menu item.
void menu_refresh();
// Takes the menu bar off the main window (a full-screen show) or puts it back; check marks,
// states and menu_refresh keep working on it meanwhile.
void menu_bar_show(bool show);
// Runs main-menu command `id` synchronously through task_win_eh.
void task_menu_cmd(int id);
// True while task_menu_cmd runs a command: the program's own, not one that arrived from outside.
bool menu_command_from_program();

// Whether a command is offered now: registered, its own test, the disabled set, and the
// text-window forwarding rule.
bool menu_command_available(int id);
// Greys/enables the items of one pop-up (WM_INITMENUPOPUP) or of a whole menu, recursively.
void menu_apply_state(HMENU menu, bool recursive);
// Edit, Find, Text and some File commands go first to the focused text or rich-text window.
bool menu_is_forwarded(int id);

// The "Menu" settings list (see menu_setting::Index), read at start-up, written at close.
int menu_setting_get(int index);
void menu_setting_set(int index, int value);
// Reads "Menu" from the settings store and sets the check marks it holds.
void menu_settings_load();
// Collects the check marks into the list and writes "Menu".
void menu_settings_save();

// Tooltip preferences kept in the menu settings: A tooltips on, B text windows open
// automatically, C seconds until the in-place text box closes (3-60), D "Always create Label",
// E position of the ID separation character in ";", ".", ":", "/", "\", "|".
struct TipPrefs { int a = 1, b = 0, c = 10, d = 0, e = 0; };
TipPrefs tip_prefs_get();
void tip_prefs_set(const TipPrefs& p);
