// The Spell Check dialog: steps through the focused hypertext window, or through the document's
// object texts, each in its own text window, word by word, with Allow, Learn and Change.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "base/key.h"

// How the dialog reaches the focused hypertext window; the text windows fill it in at start-up.
// Positions are 0-based character indexes of the window's whole (encoded) text.
struct SpellTwAccess {
    HWND (*focused)() = nullptr;                       // the focused kind-1 window, or null
    std::string (*text)(HWND win) = nullptr;
    size_t (*caret)(HWND win) = nullptr;
    // Selects [from, to) with the caret at `to` and scrolls it into view.
    void (*select)(HWND win, size_t from, size_t to) = nullptr;
    // Replaces [from, to) by `text` as one undo step; false when the window is read-only.
    bool (*replace)(HWND win, size_t from, size_t to, const std::string& text) = nullptr;
    // The object a window shows (0 for a file), and the window of an object, opened or brought
    // forward; null when it cannot be opened.
    Key (*key)(HWND win) = nullptr;
    HWND (*open)(Key key) = nullptr;
};
void spell_check_set_tw_access(const SpellTwAccess& access);
const SpellTwAccess& spell_check_tw_access();

// Opens the modeless dialog; when it is open already it is brought to the front.
void spell_check_open();
// The open dialog, or null.
HWND spell_check_window();

// Registers the Spell Check command and the spelling variant reader.
void spell_check_init();
