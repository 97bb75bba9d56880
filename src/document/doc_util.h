// Helpers over the current document that every floor above it shares: the changed mark, what
// is marked, and the object list lines of the list boxes.
#pragma once

#include <string>
#include <vector>

#include "base/palette.h"
#include "document/document.h"

// The colour a new object, link, shape or point takes: the current drawing colour, unless the
// background (setting 1) has that very colour.
IndexColour view_new_item_colour();

// 1 objects marked, else 3 shapes, else 2 links, else 0.
int util_marked_kind();

// ---- Objects of the current document.
// One line per object in stored order: the ID padded or cut to 20 characters, then the key.
std::vector<std::string> util_obj_list_lines();
std::string util_obj_list_line(const Obj& o);
// 0-based position of object `key`'s line; 0 when key is 0 or absent.
size_t util_obj_line_pos(Key key, const std::vector<std::string>& lines);

// ---- The changed mark of the current document.
void file_mark_changed();   // and refreshes the toolbar
void file_set_changed();
// Clears the mark and remembers this point of the undo history as the one the file holds.
void file_clear_changed();
int file_is_changed();
// After an edit, an undo or a redo: the mark is set unless the history is back at the point
// the file holds (an edit that no undo step records puts that point out of reach); refreshes
// the toolbar.
void file_note_edit();
// The toolbar refresh the change mark triggers (set by the bars).
void file_set_tbar_refresh_hook(void (*hook)());
// Shows the mark wherever it shows (the title); called whenever it is set or cleared.
void file_set_mark_hook(void (*hook)());
