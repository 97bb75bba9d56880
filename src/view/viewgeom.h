// Geometry of the diagram window that needs no window: the mapping between diagram units
// (y upward) and the window's pixels, hit tests, marking by area, resizing and the rules of
// mouse marking. The window code feeds it rectangles and points; everything here is testable
// natively.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "base/canvas.h"
#include "document/document.h"
#include "document/levels.h"

// Which part of the diagram the window shows: origin in origin units (screen width / 640
// pixels each), current level, zoom in percent.
struct ViewPos {
    int x0 = 0, y0 = 0, level = 1, zoom = 100;
    bool operator==(const ViewPos&) const = default;
};

// Diagram units per pixel at 100 %. Object fonts are made four times their size in pixels
// (text_font mode 4), so text shows at its own size at 100 %.
constexpr int kUnitsPerPixel = 4;

// The mapping of one window: kUnitsPerPixel diagram units per pixel at 100 %; the origin moves
// the content by whole origin units (screen width / 640 pixels) at every zoom.
struct ViewMapping {
    int client_w = 640, client_h = 480;  // pixels
    int screen_w = 1600;                 // pixels; fixes the origin unit
    ViewPos pos;
    double extra_scale = 1.0;  // lower levels are drawn smaller (see level_scale)
    // Printing: a fixed mapping in place of zoom and origin. Diagram point `centre` lies on
    // device point `centre_dev`, with sx and sy device pixels per unit along x and y; lower
    // levels shrink about centre_dev.
    struct Page {
        double sx = 1, sy = 1;
        Pt centre, centre_dev;
    };
    std::optional<Page> page;

    // Device pixels per diagram unit.
    double scale() const;
    // Device pixel of the diagram point (0, 0).
    Pt origin() const;
    Pt to_device(Pt lp) const;
    Pt to_logical(Pt dp) const;
    // Device rectangles have top < bottom; logical ones top > bottom.
    Rc to_device_rect(const Rc& lr) const;
    Rc to_logical_rect(const Rc& dr) const;
    // Diagram units covered by n pixels (at least 1).
    int units(int pixels) const;

    // The MM_ANISOTROPIC parameters that give the same mapping in GDI, with the window origin
    // at (0, 0): device = lp * viewport_ext / window_ext + viewport_org.
    struct Gdi {
        int window_ext_x, window_ext_y, viewport_ext_x, viewport_ext_y, viewport_org_x, viewport_org_y;
    };
    Gdi gdi() const;
    // The same mapping with the viewport extent set to (client width, -client width), as the
    // print-preview frame is measured against it; GDI's whole-number window extent makes it
    // agree with to_device to about a pixel.
    Gdi gdi_client_extent() const;
};

// The print-preview frame in diagram units for a printer page of page_w x page_h pixels and
// the Print dialog's Parts choice (0 "1x1" .. 4 "3x3"), over the window of mapping m: a frame
// of fixed area with the page's proportions in the window's middle (twice as wide for "2x1",
// twice as high for "1x2").
struct PageFrame {
    Rc frame;
    int cols = 1, rows = 1;
};
PageFrame view_preview_frame(const ViewMapping& m, int page_w, int page_h, int parts);

// The mapping that prints a page of `frame`: the frame's centre on device point
// (x * page_w, y * page_h), and a part frame width / cols / factor wide and frame height /
// rows / factor high filling the page_w x page_h page. `screen` gives the position and zoom.
ViewMapping view_page_mapping(const ViewMapping& screen, const PageFrame& frame, int factor, double x,
                              double y, int page_w, int page_h);

// Origin that shows diagram point (x, y) at the window centre (clamped to -2000 .. 2000).
Pt origin_for_centre(const ViewMapping& m, Pt lp);

// Zoom percent (1 .. 275) at which the diagram rectangle r fills a w x h window.
int fit_zoom_percent(const Rc& r, int w, int h);
// Zoom Fit's frame: rectangles (y up) gathered in 64 bits, so that those of objects at the
// coordinate limit, grown by a margin, neither wrap nor turn the frame inside out.
struct FitFrame {
    bool empty = true;
    int64_t left = 0, top = 0, right = 0, bottom = 0;
    void add(int64_t l, int64_t t, int64_t r, int64_t b);
    void add(const Rc& r) { add(r.left, r.top, r.right, r.bottom); }
};
// The zoom (1 .. 275) at which the frame grown by `margin` units on each side fills w x h
// pixels, and its centre, inside the coordinate range.
int fit_zoom_percent(const FitFrame& f, int margin, int w, int h);
Pt fit_centre(const FitFrame& f);

// Setting 23 is a list position 0..17 standing for 20 + 10 x position percent (8 = 100 %).
int level_percent(int setting23);
// Scale of the level `depth` steps below the current one (depth 0 = 1.0).
double level_scale(int setting23, int depth);

// Line height of object text: round((S + 10) x 2.85), S the font size setting less 10.
int object_line_height(int size_setting);

// Rectangles in diagram units, y upward: top is the larger y. These accept either orientation.
Rc normalised(const Rc& r);  // left <= right, top >= bottom
bool contains(const Rc& r, Pt p, int margin = 0);
bool intersects(const Rc& a, const Rc& b);
bool inside(const Rc& inner, const Rc& outer);
Rc grown(const Rc& r, int d);
Rc rect_of(Pt a, Pt b);  // y upward
Rc united(const Rc& a, const Rc& b);

// The rectangle a Box-like object takes: text width w centred, half height from size and
// line height. Used where no painter has recorded the object yet.
Rc text_box_rect(int x, int y, int size, int text_w, int line_h);

// Distance from p to the segment a-b.
double segment_distance(Pt a, Pt b, Pt p);

// The eight marking handles of a rectangle, in painting order: (L,T) (R,T) (R,B) (L,B) (mx,T)
// (mx,B) (L,my) (R,my).
std::vector<Pt> handle_points(const Rc& r);
// The handle of r within `reach` units of p, -1 when none.
int handle_at(const Rc& r, Pt p, int reach);

// One painted object as hit tests see it.
struct ObjBox {
    Key key = 0;
    int level = 0;
    Rc rect;  // diagram units
    uint32_t at = UINT32_MAX;  // its place in the document's objects, where known
};

// The topmost (last painted) object of `level` under p, or nullopt.
std::optional<Key> object_at(const std::vector<ObjBox>& boxes, int level, Pt p, int margin = 0);
const ObjBox* object_box_at(const std::vector<ObjBox>& boxes, int level, Pt p, int margin = 0);
// Objects of `level` lying wholly inside `band`, each once, in painting order.
std::vector<const ObjBox*> objects_in(const std::vector<ObjBox>& boxes, int level, const Rc& band);
const ObjBox* box_of(const std::vector<ObjBox>& boxes, Key key, int level);

// A link as painted: the points of its route in diagram units.
struct LinkPath {
    Key from = 0, to = 0;
    std::vector<Pt> pts;
};
// The first link whose route passes within `reach` units of p (the last painted wins).
const LinkPath* link_at(const std::vector<LinkPath>& links, Pt p, int reach);

// Shapes of `level` under p, topmost (last in stored order) first; a shape counts when p lies
// in its rectangle grown by `reach`.
std::optional<Key> shape_at(const std::vector<Shape>& shapes, int level, Pt p, int reach);
std::vector<Key> shapes_in(const std::vector<Shape>& shapes, int level, const Rc& band);
Rc shape_rect(const Shape& s);

// Index of the first point of `level` within `reach` of p, or -1.
int point_at(const std::vector<PlotPoint>& points, int level, Pt p, int reach);

// Marking by click: the marked list after clicking `key` (toggle adds or removes it; a plain
// click on an unmarked item makes it the only one, on a marked item keeps the marking so a
// drag moves them all).
std::vector<Key> click_marking(const std::vector<Key>& marked, Key key, bool toggle);

// The size an object gets when handle `handle` of its painted rectangle is dragged to p.
// Clamped to 1 .. 500.
int resized_object_size(int shape, int size, const Rc& painted, int handle, Pt p);
// A shape's rectangle after handle `handle` of it is dragged to p (edges follow the handle).
Rc resized_shape_rect(const Rc& r, int handle, Pt p);

// Autoscroll step (-1, 0 or 1 per axis, in scroll-bar sense: -1 = toward smaller origin) for a
// pointer at device point p in a w x h window with an edge band of `band` pixels.
Pt autoscroll_step(Pt p, int w, int h, int band);

// The diagram window's rectangle in the main window's client area.
Rc view_layout_rect(int client_w, int client_h, bool toolbar_left, bool toolbar_top, bool status_bar);

// Where the n-th of several dropped files is placed, from the drop point (diagram units).
Pt drop_position(Pt at, int n);

// The points a link's route passes through, for hit tests (orthogonal routes turn corners;
// the others count as straight).
std::vector<Pt> link_route_path(int route, Pt a, Pt b);

