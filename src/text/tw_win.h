// Text windows: an object's hypertext, the Source Editor, text files, the Dictionary Editor and
// program files, each a hypertext editor control that is a child window of the main window.
#pragma once

#include <windows.h>

#include <string>

#include "base/key.h"

// Opens or brings back a text window. key 0 with mode 2, 3, 5 or 6 shows file `name`; mode 1
// shows object `key`'s text. False when the object or the file cannot be read.
bool tw_open(Key key, const std::string& name, int mode);
// A main-menu command for the focused text window; 0 handled, 1 left to the main window.
int tw_forward_menu(int id);
int tw_menu(HWND win, int id);
// Inserts at the caret of the focused text window; the note "No Textwindow selected" and false
// without one.
bool tw_insert_text(const std::string& text);
// The focused editor when it is of `kind`, else null.
HWND tw_focused_window(int kind);
// Closes every text window by its closing rules (a Cancel keeps that window).
void tw_close_all();
// Before the document is saved, left or the program ends. Leaving: every text and rich window
// closes by its closing rules, objects' windows first; false at the first that stays (Cancel, a
// failed save, a source that does not load). Otherwise objects' windows store their typed texts
// and stay open.
bool tw_hand_over(bool leaving);
// An object's window (plain or rich) holds text its object does not have yet.
bool tw_holds_change();
// Text windows' record of `win`: its key and mode; mode 0 when it is none.
struct TwEntry { Key key = 0; int mode = 0; };
TwEntry tw_entry(HWND win);
// The open text or rich window that shows file `name`, however either is spelt; null when none.
HWND tw_file_window(const std::string& name);

// Registers the text windows' main-menu commands and hooks.
void tw_register();

// Fields (tw_fields_win.cpp).
int tw_field_command(HWND win, int id);
void tw_follow_field(HWND win);
// Activate ID by ID, else by contents; false when nothing matched.
bool tw_activate_id(HWND source, const std::string& arg);
// The Edit Hyperlink dialog for the field at the caret; true on OK.
bool tw_edit_hyperlink(HWND win);
