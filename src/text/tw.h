// Text windows (portable part): the packed window geometry kept with an object, where a new
// window goes, the status line and which closing rule applies.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TwRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const TwRect&) const = default;
};

// Each coordinate divided by 8 in one byte. Coordinates are clamped to 0..2040 so that a big
// screen cannot spill one field into the next; 0 means "no geometry".
int32_t tw_pack_geometry(const TwRect& r);
TwRect tw_unpack_geometry(int32_t g);

// Where a text window goes in the main window's client area (client_w x client_h):
// `stored` (client coordinates) when not empty, else `def_w` x `def_h` 100 pixels left of and
// 45 below the object's client point; then kept inside: left 0.., top 30.., 20 above the bottom.
TwRect tw_place(const TwRect& stored, int obj_x, int obj_y, int def_w, int def_h, int client_w, int client_h);

std::string tw_status_line(size_t row, size_t col, size_t pos);

// Closing: 1 file window unchanged, 2 object window unchanged and not moved, 3 file window
// changed (ask), 4 object window (store as one undoable step). Only the window's own text counts:
// unsaved diagram edits elsewhere neither make a file window ask nor an object window store.
int tw_close_rule(bool file_window, bool modified, bool geometry_equal);

// A whole number or a formula: storing it asks for a recompute.
bool tw_needs_recompute(std::string_view text);

// Promote: the lines of a selection, last line first.
std::vector<std::string> tw_promote_lines(std::string_view selection);
