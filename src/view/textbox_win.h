// The in-place text box window: a one-line edit floating over the diagram, a child of the main
// window (which must clip its children so the view does not paint over it).
//
// For the view: after creating an object as its own "Create Object" step, call
// textbox_open(main, 1, key, 0, true); Rename ID calls textbox_open(main, 1, key, 0, false);
// Change Label calls textbox_open(main, 2, from, to, false). Whatever saves, leaves or replaces the
// document first calls textbox_hand_over(). The box sends the view user command 5 when an object
// box is finished.
#pragma once

#include <windows.h>

#include "document/document.h"

// User commands to the box (wParam = code): 3 commit, 5 finish an object box without
// committing, 47 paste, 48 copy.
constexpr UINT WM_TEXTBOX_USER = WM_APP + 0x142;
constexpr UINT_PTR kTextboxTimer = 0x3142;

// Mode 0 does nothing and succeeds; 1 edits object k1's ID, 2 the label of link k1 -> k2.
// is_new: the object was just created for this box; only then may it be dropped again.
bool textbox_open(HWND parent, int mode, Key k1, Key k2, bool is_new = false);
// Destroys the open box without committing.
void textbox_close();
// Ends the open box as Enter does, so that what was typed is in the document; a box whose object
// or link is gone has nowhere to put it and just closes.
void textbox_hand_over();
// The open box shows other text than it opened with.
bool textbox_holds_change();
// Esc: closes the box without taking its text; a new object not yet named is dropped.
void textbox_cancel();
LRESULT CALLBACK win_textbox_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp);
