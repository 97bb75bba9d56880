// The 32-colour palette that every painter reads, and the current drawing colour. The toolbar
// shows and changes them.
#pragma once

#include <optional>

#include "base/canvas.h"

// Colour of palette entry `index` (0-31); nullopt for other indexes.
std::optional<Colour> tbar_color(int index);
// The same with a fallback for indexes outside the palette (damaged documents).
Colour tbar_color_or(int index, Colour fallback = 0);

struct IndexColour {
    int index = 2;
    Colour colour = 0xff0000;
    bool operator==(const IndexColour&) const = default;
};
IndexColour tbar_current_color();
// False (and nothing changed) for an index outside 0-31.
bool tbar_set_current_color(int index);
// Contrasting text colour for a palette index: white for flag 0 and dark entries, else black.
Colour tbar_text_color(int flag, int index);

// Contrast of two colours: the ratio of their luminances (each plus 0.05), 1 for the same
// colour up to 21 for black on white.
double tbar_contrast(Colour a, Colour b);
// Below this an item is hard to tell from its background (blue on navy is 1.9).
constexpr double kTbarMinContrast = 2.0;

// The palette index a new item is drawn in on a background of palette index `background`:
// `index` itself, unless its colour stands out too little from the background's; then black or
// white, whichever stands out more, so that the item shows.
int tbar_visible_on(int index, int background);

// Replaces every palette colour by its complement; twice restores the palette.
void tbar_invert_palette();
bool tbar_palette_inverted();
// Back to the default palette (not inverted) and colour 2; for a fresh start and tests.
void tbar_palette_reset();

// Palette half shown: 1 = colours 0-15, 2 = colours 16-31.
int tbar_palette_half();
void tbar_set_palette_half(int half);

