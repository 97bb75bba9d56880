// Rich-text windows: an object's formatted text or an ".rtf" file in the platform's rich-edit
// control, with its find, paragraph and font dialogs.
#pragma once

#include <windows.h>

#include <string>

#include "base/key.h"

// Opens a rich window on object `key`'s rich text, or on file `name` when key is 0; mode 11
// makes an invisible conversion window. An object's open window comes forward instead (null
// when it already has the focus). Null when nothing could be opened.
HWND rich_open(Key key, const std::string& name, int mode);
// Plain text of an object's rich text (lines joined by CR LF).
std::string rich_object_text(Key key);
// An object's rich text on the clipboard.
bool rich_object_to_clipboard(Key key);
// A main-menu command for the focused rich window: 0 handled, 1 left to the main window.
int rich_forward_menu(int id);
// A command of the window's own (pop-up menu items and main-menu commands).
int rich_menu(HWND win, int id);
// The rich-edit control of a rich window.
HWND rich_control(HWND win);
// Closes `win` by its closing rules; false when it stays open (Cancel, a failed save).
bool rich_close(HWND win);
bool rich_is_window(HWND win);
// An object's window stores its changed text into the object as one step and stays open.
void rich_store(HWND win);
// The window's text changed since it opened or was last stored or saved.
bool rich_modified(HWND win);
// Selects the first occurrence of `text` (case kept) and scrolls it into view; false when none.
bool rich_select_text(HWND win, const std::string& text);
// Read-only rich window: nothing may be inserted.
bool rich_read_only(HWND win);

// Dialogs (rich_dialogs_win.cpp).
void rich_find_dialog(HWND win);
void rich_find_next(HWND win);
void rich_para_dialog(HWND win);
void rich_font_dialog(HWND win);
// Tests drive the search without the dialog: the settings Find stores.
struct RichFindSettings {
    std::string text;
    int direction = 10116;
    bool match_case = false, whole_word = false;
};
RichFindSettings& rich_find_settings();

void rich_register();
