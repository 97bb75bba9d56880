// The diagram's background: the document's fill (plain colour, blends, a repeating icon or
// picture) and each level's figure pattern, painted beneath the diagram content.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "base/canvas.h"

struct BgFillRow {
    int pos;
    int code;
    const char* name;
};
struct BgFigureRow {
    int pos;
    int code;
    const char* name;
    int brush;  // brush pattern of the figure: 1 outlines only, 2 filled
};

// The fill list (setting 7) and the figure list (settings 10000 + level), in list order.
std::span<const BgFillRow> bg_fills();
std::span<const BgFigureRow> bg_figures();
// List position to code and back; -1 for what is not in the table.
int bg_fill_code(int pos);
int bg_fill_pos(int code);
int bg_figure_code(int pos);
int bg_figure_pos(int code);
const BgFigureRow* bg_figure_by_code(int code);

enum BgFill : int { kBgPlain = 0, kBgLinear = 1, kBgCircleWide = 6, kBgIcon = 7, kBgPicture = 8 };
enum BgFigure : int { kBgNone = 0, kBgStars = 16, kBgInvisible = 17 };

// Real values rounded to the nearest integer, halves away from zero.
int bg_round(double v);
// Per channel a x ta + b x tb, each channel rounded.
Colour bg_mix(Colour a, double ta, Colour b, double tb);

// The world map figure: closed outlines in figure coordinates (y upward).
const std::vector<std::vector<Pt>>& bg_world_map();

// Start points of the tiles covering a client of cw x ch pixels with a picture of pw x ph:
// columns and rows go on while the previous start lies inside, so the last may start beyond
// the edge. Empty for a picture without size (it would never cover anything).
std::vector<Pt> bg_tile_origins(int cw, int ch, int pw, int ph);
// What is tiled in place of a small picture: the picture repeated into a block at least
// `min_side` pixels each way (whole copies only, so the tiles fall where the picture's own
// would), or as far toward that as a block of about a megapixel goes. A picture that large
// already, or that cannot be read, comes back as it is.
std::shared_ptr<const Dib> bg_tile_block(const std::shared_ptr<const Dib>& d, int min_side);

struct BgFillInput {
    int fill = kBgPlain;
    Colour back = 0;   // setting 1
    Colour blend = 0;  // setting 3
    Rc client;         // device pixels
    // The bitmap of the repeating icon or picture; null (or empty) paints the plain colour.
    std::shared_ptr<const Dib> tile;
};

// Paints the fill over the whole client. An unknown fill paints nothing.
void bg_paint(Canvas& c, const BgFillInput& in);
// One level's figure pattern in `colour`; 0 and unknown codes paint nothing. `random(n)` gives
// 0..n-1 for the stars (unset: the C library's generator).
void bg_paint_pattern(Canvas& c, int code, Colour colour, const std::function<int(int)>& random = {});
// The figure alone, with the pen and brush already chosen.
void bg_figure_paint(Canvas& c, int code, Colour colour, const std::function<int(int)>& random = {});
