#include "elements/shape.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

#include "base/palette.h"
#include "elements/draw.h"
#include "elements/link_route.h"

namespace {

int line_para_ = kShapeLineSolid;

// The flat side of a half ellipse lies on its first radial; the sign of the exact product says
// which way round the curve goes (a rounded quotient would call small negative products zero).
bool semi_forward(int x1, int y1, int x2, int y2) {
    return (static_cast<int64_t>(y1) - y2) * (static_cast<int64_t>(x2) - x1) >= 0;
}

int clamp_int(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX)); }

void half_ellipse(Canvas& c, bool filled, bool flat_horizontal, int x1, int y1, int x2, int y2) {
    bool fwd = semi_forward(x1, y1, x2, y2);
    Rc box;
    Pt a, b;
    if (flat_horizontal) {
        box = {x1, y1, x2, clamp_int(2 * static_cast<int64_t>(y2) - y1)};
        a = fwd ? Pt{x2, y2} : Pt{x1, y2};
        b = fwd ? Pt{x1, y2} : Pt{x2, y2};
    } else {
        box = {clamp_int(2 * static_cast<int64_t>(x1) - x2), y1, x2, y2};
        a = fwd ? Pt{x1, y2} : Pt{x1, y1};
        b = fwd ? Pt{x1, y1} : Pt{x1, y2};
    }
    if (filled) c.pie(box, a, b);
    else c.arc(box, a, b);
}

// Grows a rectangle over everything drawn; painting is not needed to know where a shape lies.
class BoundsCanvas : public NullCanvas {
public:
    Rc box{INT_MAX, INT_MIN, INT_MIN, INT_MAX};
    bool any = false;
    void add(Pt p) {
        any = true;
        box.left = std::min(box.left, p.x);
        box.right = std::max(box.right, p.x);
        box.top = std::max(box.top, p.y);
        box.bottom = std::min(box.bottom, p.y);
    }
    void add(const Rc& r) {
        add(Pt{r.left, r.top});
        add(Pt{r.right, r.bottom});
    }
    void line(Pt a, Pt b) override { add(a), add(b); }
    void polyline(const std::vector<Pt>& p) override { for (Pt q : p) add(q); }
    void polygon(const std::vector<Pt>& p) override { for (Pt q : p) add(q); }
    void rectangle(const Rc& r) override { add(r); }
    void round_rect(const Rc& r, int, int) override { add(r); }
    void ellipse(const Rc& r) override { add(r); }
    void arc(const Rc& r, Pt, Pt) override { add(r); }
    void pie(const Rc& r, Pt, Pt) override { add(r); }
};

}  // namespace

bool shape_draw(Canvas& c, int kind, int rotate, int curvature, int x1, int y1, int x2, int y2) {
    if (rotate) {
        switch (kind) {
        case 5: return shape_draw(c, 6, 0, curvature, x2, y1, x1, y2);
        case 6: return shape_draw(c, 5, 0, curvature, x1, y2, x2, y1);
        case 10: return shape_draw(c, 11, 0, curvature, x2, y1, x1, y2);
        case 11: return shape_draw(c, 10, 0, curvature, x1, y2, x2, y1);
        case 12: return shape_draw(c, 13, 0, curvature, x2, y2, x1, y1);
        case 13: return shape_draw(c, 12, 0, curvature, x1, y2, x2, y1);
        case 21: return shape_draw(c, 22, 0, curvature, x1, y1, x2, y2);
        case 22: return shape_draw(c, 21, 0, curvature, x1, y1, x2, y2);
        default: break;
        }
    }
    const int mx = static_cast<int>((static_cast<int64_t>(x1) + x2) / 2);
    const int my = static_cast<int>((static_cast<int64_t>(y1) + y2) / 2);
    switch (kind) {
    case 1: c.rectangle({x1, y2, x2, y1}); break;
    case 2: {
        int corner = clamp_int((static_cast<int64_t>(y1) - y2) / 6);
        c.round_rect({x1, y1, x2, y2}, corner, corner);
        break;
    }
    case 3: c.ellipse({x1, y1, x2, y2}); break;
    case 4: c.polygon({{mx, y1}, {x2, my}, {mx, y2}, {x1, my}}); break;
    case 5: c.polygon({{mx, y1}, {x2, y2}, {x1, y2}}); break;
    case 6: c.polygon({{x1, y1}, {x1, y2}, {x2, my}}); break;
    case 7: c.line({x1, y1}, {x2, y2}); break;
    case 8: c.polyline({{x1, y2}, {x1, y1}, {x2, y1}}); break;
    case 9: case 23: draw_link_arc(c, curvature, {x1, y1}, {x2, y2}); break;
    case 10: half_ellipse(c, true, true, x1, y1, x2, y2); break;
    case 11: half_ellipse(c, true, false, x1, y1, x2, y2); break;
    case 12: half_ellipse(c, false, true, x1, y1, x2, y2); break;
    case 13: half_ellipse(c, false, false, x1, y1, x2, y2); break;
    case 14: case 15: {
        double dx = static_cast<double>(x2) - x1, dy = static_cast<double>(y2) - y1;
        double w = 1.0 / (std::sqrt(dx * dx + dy * dy) + 0.01);
        link_draw_segment(c, 0, 1, kind == 15 ? 1 : 0, 0, 0, 0, w, {x1, y1}, {x2, y2});
        break;
    }
    case 21: c.polyline({{x2, y2}, {x1, y2}, {x1, y1}, {x2, y1}}); break;
    case 22: c.polyline({{x1, y2}, {x1, y1}, {x2, y1}, {x2, y2}}); break;
    case kShapeHandle: case kShapeRegion: {
        Pen before = c.current_pen();
        c.set_pen({0, 2, tbar_current_color().colour});
        c.rectangle({x1, y1, x2, y2});
        c.set_pen(before);
        if (kind == kShapeRegion) draw_mark_corners(c, x1, y1, x2, y2);
        break;
    }
    default: return false;
    }
    return true;
}

const std::vector<ShapeKindName>& shape_kind_names() {
    static const std::vector<ShapeKindName> t = {
        {1, "Rectangle"},     {2, "RoundRect"},     {3, "Ellipse"},      {4, "Diamond"},
        {5, "Triang1"},       {6, "Triang2"},       {7, "Line"},         {14, "Arrow1"},
        {15, "Arrow2"},       {8, "Corner"},        {21, "Bracket1"},    {22, "Bracket2"},
        {23, "Arc1"},         {9, "Arc2"},          {10, "SemiEllipse1"}, {11, "SemiEllipse2"},
        {12, "Ellip Line1"},  {13, "Ellip Line2"},
    };
    return t;
}

const std::vector<const char*>& shape_fill_names() {
    static const std::vector<const char*> t = {"Outline",    "Solid",         "=== hatch", "|||| hatch",
                                               "\\\\\\ hatch", "/// hatch", "+++ hatch", "xxx hatch"};
    return t;
}

ShapeLook shape_look(const Shape& s, int global_colour) {
    Colour own = tbar_color_or(s.colour_curve & 0xFF, 0);
    Colour line = (s.style & kShapeGlobalLine) ? tbar_color_or(global_colour, 0) : own;
    int pen_style = 2 * ((s.style & kShapeDotted) ? 1 : 0) + ((s.style & kShapeDashed) ? 1 : 0);
    ShapeLook l;
    l.pen = {(s.style & kShapeThick) ? 8 : 0, pen_style, line};
    // Fill codes past the last hatch are drawn hollow rather than as something else.
    int pattern = (s.style >> 8) + 1;
    l.brush = {pattern >= 1 && pattern <= 8 ? pattern : 1, own};
    return l;
}

bool shape_paint(Canvas& c, const Shape& s, int global_colour) {
    ShapeLook l = shape_look(s, global_colour);
    c.set_pen(l.pen);
    c.set_brush(l.brush);
    return shape_draw(c, s.kind, (s.style & kShapeRotate) ? 1 : 0, (s.colour_curve >> 8) & 0xFF, s.left, s.top,
                      s.right, s.bottom);
}

Rc shape_extent(const Shape& s) {
    BoundsCanvas b;
    shape_draw(b, s.kind, (s.style & kShapeRotate) ? 1 : 0, (s.colour_curve >> 8) & 0xFF, s.left, s.top, s.right,
               s.bottom);
    if (!b.any) return {s.left, s.top, s.right, s.bottom};
    // Arrowheads and thick pens reach a little beyond the points.
    const int m = 50;
    auto grow = [](int v, int d) { return clamp_int(static_cast<int64_t>(v) + d); };
    return {grow(b.box.left, -m), grow(b.box.top, m), grow(b.box.right, m), grow(b.box.bottom, -m)};
}

ShapeLineBits shape_line_bits(int radio_id) {
    switch (radio_id) {
    case kShapeLineDashed: return {1, 0};
    case kShapeLineDotted: return {0, 1};
    default: return {0, 0};
    }
}

ShapeLineBits shape_line_style() { return shape_line_bits(line_para_); }
int shape_line_para() { return line_para_; }
void shape_set_line_para(int radio_id) {
    line_para_ = (radio_id == kShapeLineDotted || radio_id == kShapeLineDashed) ? radio_id : kShapeLineSolid;
}
