// TEXTBOX: the in-place text box in which an object's ID or a link's label is typed over the
// diagram. This file holds what needs no window: placement arithmetic, splitting a typed ID, and
// the two commits with their undo steps. The window is in textbox_win.h.
//
// Undo: a box opened for a new object (is_new) joins the caller's "Create Object" step when that
// is the last step (or still open), so creating and naming an object undo together. Renaming an
// existing object is one step "Rename ID"; a label change is one step "Change Label". Only a
// new object left at the default text is dropped; renaming never deletes.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/canvas.h"
#include "document/document.h"

constexpr int kTextboxEditId = 11017;

// The ID separation character at list position p5 of ";.:/\|" (out of range: ';').
char textbox_separator(int p5);
// The fields of a typed ID at every separator, in order; an empty text gives one empty field.
std::vector<std::string> textbox_split_id(std::string_view text, char sep);
// Box width: the text extent + 10, at most 300, at least the minimum.
int textbox_width(int extent, int min_width);
// The box in the parent's client coordinates: (anchor + (10, -20)) inside the view rectangle,
// moved left when it would pass the view's right edge.
Rc textbox_rect(Pt anchor_dev, const Rc& view, int w, int h);
// Figures whose X stays at their text's centre: Bar, Box, Line1, Line2, Symbol.
bool textbox_centred_shape(int shape);
// How far such an object moves when its ID's width changes.
int textbox_centre_shift(int shape, int old_width, int new_width);
// A label change that the automatic recompute must see: to empty, to an integer, to a formula.
bool textbox_label_needs_recompute(std::string_view old_label, std::string_view new_label);

struct TextboxObjResult {
    bool ok = false;                  // false: the object no longer exists, nothing done
    bool dropped = false;             // a new object left at the default text was removed
    std::string new_id;
    std::vector<std::string> rest;    // fields after the first separator
    int old_width = 0, new_width = 0;
};
// Enter in an object box. `measure` gives a text's width in the view's current font.
TextboxObjResult textbox_commit_object(Key key, std::string_view text, char sep, bool is_new,
                                       const std::string& default_text,
                                       const std::function<int(std::string_view)>& measure);

struct TextboxLabelResult {
    bool ok = false;          // false: the link no longer exists, nothing done
    bool recompute = false;   // the caller runs the automatic recompute
};
// Enter in a label box.
TextboxLabelResult textbox_commit_label(Key from, Key to, std::string_view text);

// A new object's box timed out with the default text still in it: the object goes, and with it
// the creation step when that is the last one. False when the object is gone already.
bool textbox_drop_new(Key key);
