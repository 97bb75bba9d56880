// Painting one diagram object by its shape code, with its text, edge highlight, icon or picture
// and live-icon decoration, and recording where it was painted (objrect_). Portable: everything
// it needs from the rest of the program arrives through ObjEnv, so the same code paints the
// screen, the printer and a RecordingCanvas in tests.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/canvas.h"
#include "elements/obj.h"

// Palette index 0-31 to colour. Until the toolbar's palette is installed, the built-in one.
Colour obj_palette_colour(int index);
void obj_set_palette(Colour (*palette)(int index));

// A metafile loaded for a picture object; `release` (when set) frees it after painting.
struct ObjMetafile {
    const void* handle = nullptr;
    int width = 0, height = 0;
    std::function<void()> release;
};

struct ObjClock {
    int day = 1, hour = 0, minute = 0;
};

// What the painter reads from the view, the palette, the icon catalogue and the picture store.
struct ObjEnv {
    std::function<Colour(int)> colour = obj_palette_colour;
    std::function<int32_t(int)> param;                         // document setting
    int view_level = 0;                                        // level of the view state
    int zoom_percent = 100;
    double device_measure = 0;   // view: client height in pixels; printing: page measure
    std::function<std::shared_ptr<const Dib>(int)> icon_bitmap;
    std::function<std::optional<double>(Key)> value;           // computed value of an object
    std::function<std::optional<ObjMetafile>(Key, std::string_view)> metafile;
    std::function<std::shared_ptr<const Dib>(Key, std::string_view)> picture;
    std::function<const void*(std::string_view)> icon_file;    // loaded .ico, owned by the store
    std::function<ObjClock()> now;
};

struct ObjLight {
    int lx = 0, ly = 0;
    Colour colour = 0;
};

// The request: the object's shape and placement as the view prepares them.
struct ObjDrawArgs {
    int shape = kShapeBox;
    Key key = 0;
    bool marked = false;
    std::string_view text;
    int level = 0;
    int x = 0, y = 0;
    int line_h = 71;
    bool fixed = false;
    int text_w = 0;
    int align = 2;          // 2 centred, 5 left
    int size = kDefaultObjSize;
    int colour = 0;         // palette index
    Colour edge = 0xFFFFFF; // 0 or white
    std::string_view picture_name;
    std::optional<ObjLight> light = ObjLight{};
};

// Box, Bar and Square draw thin lines and one rectangle before their text: the figure as
// obj_draw draws it, step by step, for a painter that sets the pixels of small figures itself.
// Its points use a few x and y values, each painter maps each of them once.
struct ObjFigureStep {
    bool rect = false;  // a rectangle between two corners with the current brush, else lines
    Pen pen;
    uint8_t at[5] = {};  // the points: the place of x in xs times 4, plus the place of y in ys
    int n = 0;
};
struct ObjRectFigure {
    Rc cull;    // nothing of the figure is drawn unless this (with its text's spill) is visible
    Rc record;  // the objrect_ rectangle
    int f1 = 0, f2 = 1;
    int xs[4] = {}, ys[4] = {};
    int nx = 0, ny = 0;
    ObjFigureStep steps[5];
    int n = 0;
    Pt point(const ObjFigureStep& s, int k) const { return {xs[s.at[k] >> 2], ys[s.at[k] & 3]}; }
};
// False for the other shapes and for size 0.
bool obj_rect_figure(const ObjEnv& env, const ObjDrawArgs& a, ObjRectFigure& f);

// Ellipse, Circle and Diamond draw their outline with a thin black pen, filled with the brush,
// then one highlight (an arc of the ellipse or a line between two corners) before their text.
struct ObjRoundFigure {
    bool ellipse = true;  // else the polygon of pts
    Pt pts[4];            // the ellipse's corners (two), or the polygon's points
    int n = 2;
    enum { kNone, kArc, kLine } highlight = kNone;
    Pen highlight_pen;
    Pt h0, h1;  // the arc's start and end, or the line's ends (two of pts)
    Rc record;  // the objrect_ rectangle
    int f1 = 0, f2 = 1;
};
// False for the other shapes and for size 0.
bool obj_round_figure(const ObjDrawArgs& a, ObjRoundFigure& f);
// The objrect_ rectangle of a Symbol whose text, in its own font, is `symbol_text_w` wide;
// false for a Symbol of fixed width (its text is measured as it is wrapped).
bool obj_symbol_record(const ObjEnv& env, const ObjDrawArgs& a, int symbol_text_w, Rc& record);
// The font a Symbol's text is drawn in, from the object font.
Font obj_symbol_font_of(const Font& object_font, int size);

// Hooks an ObjEnv leaves empty are taken from these (the window side installs icon bitmaps,
// pictures and the clock at start-up; the object's value defaults to view_obj_value).
void obj_set_env_defaults(const ObjEnv& d);

// Paints one object and appends its objrect_ entry (unless its shape code has no rule).
void obj_draw(Canvas& c, const ObjEnv& env, const ObjDrawArgs& a);

// The steps obj_draw composes.
void obj_rect_record(Canvas& c, const ObjEnv& env, Key key, bool marked, int level, int l, int t,
                     int r, int b, int f1, int f2, const std::optional<ObjLight>& light);
void obj_text_draw(Canvas& c, int mode, int l, int t, int r, int b, int text_w, int line_h, int align,
                   std::string_view text);
int obj_symbol_font(Canvas& c, int size);  // -> the old height field (negative)
void obj_symbol_shadow(Colour edge, int colour, Canvas& c, int l, int t, int r, int b, int align,
                       std::string_view text);
void obj_rect_highlight(Canvas& c, Colour edge, int a, int b1, int cc, int d1,
                        const std::optional<ObjLight>& light);
void obj_ellipse_highlight(Colour edge, const std::optional<ObjLight>& light, Canvas& c, int l, int t,
                           int r, int b, int ym);
void obj_diamond_highlight(Colour edge, const std::optional<ObjLight>& light, Canvas& c, Pt top,
                           Pt right, Pt bottom, Pt left);
std::vector<Pt> obj_polygon_points(int n, int d, int x, int y);
Sz obj_polygon_extent(int shape, int d);  // (hx, hy)
Rc obj_icon_draw(Canvas& c, const ObjEnv& env, int icon, int size, int x, int y, int colour,
                 Colour edge, const std::optional<ObjLight>& light);
void obj_bitmap_draw(Canvas& c, const ObjEnv& env, const Dib& bitmap, int l, int t, int r, int b);
void obj_icon_live(int icon, Canvas& c, const ObjEnv& env, int l, int t, int r, int b,
                   std::string_view ext, Key key, int colour);

// Geometry the painter uses, exposed for its callers and tests.
int obj_box_depth(size_t ext_len, bool fixed, int setting228);
// A width setting (97, 225, 227) asks for fixed width only from 5; 1-4 mean "Variable".
bool obj_fixed_width_applies(bool fixed, int setting);
// Clock hands: the time (hour, minute) shifted by an offset text in hours.
struct ClockTime { int hour = 0, minute = 0; };
ClockTime obj_clock_time(int hour, int minute, std::string_view offset_hours);
