// What text windows and rich-text windows share: where an object's window opens, its opening and
// closing animation, its title, and writing and printing its file.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"
#include "document/globals.h"

// The window's outer rectangle in the main window's client coordinates (a minimised window's
// place before it was minimised).
RECT tw_rect_in_main(HWND win);
// Where object `o`'s window opens: its stored place, else def_w x def_h below the object, kept
// inside the main window; the opening animation runs from the object to it.
RECT tw_place_window(const Obj& o, int def_w, int def_h);
// The closing animation from the window back to its object; the window is hidden first.
void tw_close_effect(HWND win, const Obj& o);
std::string tw_title(HWND win);
// Writes `data` through a temporary file; "Saving %s" with the reason and false on failure.
bool tw_write_file(const std::string& name, std::string_view data);
// While it lives, the marking is set aside: a text stored, while its window stays open or as it
// closes, leaves what the user marked as it was.
struct TwKeepMarks {
    MarkedObjs objs = marked_obj_;
    std::vector<Key> shapes = marked_shape_;
    std::vector<MarkedLink> links = marked_link_;
    ~TwKeepMarks() {
        marked_obj_ = objs;
        marked_shape_ = shapes;
        marked_link_ = links;
    }
};
// Prints `data` through the shell as "temp_printfile.rtf" in the program directory.
void tw_print_file(std::string_view data);
// Where Shift+F10 or the Menu key opens a text window's menu: the caret's row foot (client
// coordinates of `edit`), kept inside the window, in screen coordinates.
POINT tw_keyboard_menu_point(HWND edit, POINT row_foot);
// The keys that open that menu are taken whole, down and up: the system's own handling of
// Shift+F10 would also enter the menu bar when the key goes up.
enum class TwMenuKey { none, open, swallow };
TwMenuKey tw_menu_key(UINT msg, WPARAM vk);
// The keys that close text windows from the keyboard: Esc closes them all (and the text box),
// Ctrl+F4 the focused one. True when `vk` was one of them.
bool tw_close_key(HWND win, WPARAM vk);
