// Edits of shape records that the Shape Properties and Clone dialogs make: the dialog's values
// as list positions and back, flips and clones. Portable.
#pragma once

#include <optional>
#include <vector>

#include "document/document.h"

// What Shape Properties shows. A position of -1 means the list has no entry for the stored
// value; such a field is kept as it is when the user leaves the list alone.
struct ShapeForm {
    int kind_pos = -1;      // in the list of shape kind codes given
    bool thick = false;
    int line = 0;           // 0 Solid, 1 Dashed, 2 Dotted, -1 none (both bits set)
    bool group = false;
    bool rotate = false;
    int level_pos = -1;     // level + 250, 0 .. 500
    int curve_pos = -1;     // 0 .. 64
    int fill_pos = -1;      // 0 .. 7
    int colour_pos = -1;    // 0 .. 31
    bool global = false;
    int left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const ShapeForm&) const = default;
};

ShapeForm shape_form_of(const Shape& s, const std::vector<int>& kind_codes);
// The record after OK: every field from the form, except those whose list shows nothing, the
// line bits when no line radio is chosen, and the Group bit, which the dialog cannot change.
Shape shape_form_apply(const Shape& old, const ShapeForm& f, const std::vector<int>& kind_codes);

// Curvature applies to the two arc kinds only.
bool shape_has_curvature(int kind);

Shape shape_flipped(const Shape& s, bool left_right);

// Copy i (1 .. n) shifted by i x (xs, ys) and grown by i x xe on each side in x and i x ye in y
// (Top grows up, Bottom down). nullopt when a corner of any copy would leave the 32-bit range.
std::optional<std::vector<Shape>> shape_clones(const Shape& s, int n, int xs, int ys, int xe, int ye);
