#include "view/viewgeom.h"

#include <algorithm>
#include <unordered_set>
#include <cmath>
#include <cstdlib>
#include <numeric>

#include "document/view.h"
#include "elements/draw.h"

namespace {

int round_half_away(double v) {
    return static_cast<int>(v < 0 ? std::ceil(v - 0.5) : std::floor(v + 0.5));
}

int64_t muldiv(int64_t a, int64_t b, int64_t c) {
    if (c == 0) return 0;
    int64_t n = a * b;
    // Nearest, halves away from zero, as the platform's MulDiv does.
    int64_t q = n / c, r = n % c;
    if (2 * std::llabs(r) >= std::llabs(c)) q += ((n < 0) != (c < 0)) ? -1 : 1;
    return q;
}

}  // namespace

double ViewMapping::scale() const {
    if (page) return page->sx * extra_scale;
    return pos.zoom / (100.0 * kUnitsPerPixel) * extra_scale;
}

namespace {

// Device point of diagram point (0, 0) in page mapping, unrounded.
std::pair<double, double> page_origin(const ViewMapping& m) {
    const auto& p = *m.page;
    double e = m.extra_scale;
    return {p.centre_dev.x - p.centre.x * p.sx * e, p.centre_dev.y + p.centre.y * p.sy * e};
}

}  // namespace

Pt ViewMapping::origin() const {
    if (page) {
        auto [ox, oy] = page_origin(*this);
        return {round_half_away(ox), round_half_away(oy)};
    }
    int cx = client_w / 2, cy = client_h / 2;
    int ox = cx - static_cast<int>(muldiv(pos.x0, screen_w, 640));
    int oy = cy - static_cast<int>(muldiv(pos.y0, screen_w, 640));
    if (extra_scale != 1.0) {
        ox = cx + round_half_away((ox - cx) * extra_scale);
        oy = cy + round_half_away((oy - cy) * extra_scale);
    }
    return {ox, oy};
}

Pt ViewMapping::to_device(Pt lp) const {
    if (page) {
        auto [ox, oy] = page_origin(*this);
        double e = extra_scale;
        return {round_half_away(ox + lp.x * page->sx * e), round_half_away(oy - lp.y * page->sy * e)};
    }
    Pt o = origin();
    double s = scale();
    return {o.x + round_half_away(lp.x * s), o.y - round_half_away(lp.y * s)};
}

Pt ViewMapping::to_logical(Pt dp) const {
    if (page) {
        auto [ox, oy] = page_origin(*this);
        double sx = page->sx * extra_scale, sy = page->sy * extra_scale;
        if (sx <= 0 || sy <= 0) return {0, 0};
        return {round_half_away((dp.x - ox) / sx), round_half_away((oy - dp.y) / sy)};
    }
    Pt o = origin();
    double s = scale();
    if (s <= 0) return {0, 0};
    return {round_half_away((dp.x - o.x) / s), round_half_away((o.y - dp.y) / s)};
}

Rc ViewMapping::to_device_rect(const Rc& lr) const {
    Pt a = to_device({lr.left, lr.top}), b = to_device({lr.right, lr.bottom});
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

Rc ViewMapping::to_logical_rect(const Rc& dr) const {
    Pt a = to_logical({dr.left, dr.top}), b = to_logical({dr.right, dr.bottom});
    return normalised({a.x, a.y, b.x, b.y});
}

int ViewMapping::units(int pixels) const {
    double s = scale();
    if (s <= 0) return pixels;
    return std::max(1, round_half_away(pixels / s));
}

ViewMapping::Gdi ViewMapping::gdi() const {
    if (page) {
        // Extents in 1/65536 of a unit keep the printer's scale exact to far below a pixel.
        constexpr double kW = 65536;
        auto ext = [&](double s) {
            return static_cast<int>(std::clamp<long long>(std::llround(s * extra_scale * kW), 1, 1LL << 30));
        };
        Pt o = origin();
        return {65536, 65536, ext(page->sx), -ext(page->sy), o.x, o.y};
    }
    int64_t we = 100LL * kUnitsPerPixel * 100;
    int64_t ve = std::max<int64_t>(1, std::llround(pos.zoom * 100.0 * extra_scale));
    int64_t g = std::gcd(we, ve);
    we /= g;
    ve /= g;
    Pt o = origin();
    return {static_cast<int>(we), static_cast<int>(we), static_cast<int>(ve), -static_cast<int>(ve), o.x, o.y};
}

ViewMapping::Gdi ViewMapping::gdi_client_extent() const {
    Gdi g = gdi();
    double s = scale();
    int v = std::max(1, client_w);
    if (s <= 0) return g;
    int w = static_cast<int>(std::clamp<long long>(std::llround(v / s), 1, 1LL << 30));
    return {w, w, v, -v, g.viewport_org_x, g.viewport_org_y};
}

PageFrame view_preview_frame(const ViewMapping& m, int page_w, int page_h, int parts) {
    PageFrame out;
    PreviewFrame f = draw_preview_frame(page_w, page_h, parts);
    if (f.frame.left == f.frame.right || f.frame.top == f.frame.bottom) return out;
    // The frame is drawn in 500 units across the viewport extent, about the window's middle.
    ViewMapping::Gdi g = m.gdi_client_extent();
    double cx = m.client_w / 2, cy = m.client_h / 2;
    auto logical = [&](int ux, int uy) {
        Pt dev{round_half_away(cx + ux * g.viewport_ext_x / 500.0), round_half_away(cy + uy * g.viewport_ext_y / 500.0)};
        return m.to_logical(dev);
    };
    Pt a = logical(f.frame.left, f.frame.top), b = logical(f.frame.right, f.frame.bottom);
    out.frame = {a.x, a.y, b.x, b.y};
    out.cols = f.parts_x;
    out.rows = f.parts_y;
    return out;
}

ViewMapping view_page_mapping(const ViewMapping& screen, const PageFrame& frame, int factor, double x,
                              double y, int page_w, int page_h) {
    ViewMapping m = screen;
    m.extra_scale = 1.0;
    m.client_w = std::max(1, page_w);
    m.client_h = std::max(1, page_h);
    Rc f = normalised(frame.frame);
    double fw = std::max(1, f.right - f.left), fh = std::max(1, f.top - f.bottom);
    double k = std::max(1, factor);
    ViewMapping::Page p;
    p.sx = m.client_w * std::max(1, frame.cols) * k / fw;
    p.sy = m.client_h * std::max(1, frame.rows) * k / fh;
    p.centre = {(f.left + f.right) / 2, (f.top + f.bottom) / 2};
    p.centre_dev = {round_half_away(x * m.client_w), round_half_away(y * m.client_h)};
    m.page = p;
    return m;
}

Pt origin_for_centre(const ViewMapping& m, Pt lp) {
    double s = m.pos.zoom / (100.0 * kUnitsPerPixel);
    double per_unit = m.screen_w / 640.0;
    int x0 = round_half_away(lp.x * s / per_unit);
    int y0 = -round_half_away(lp.y * s / per_unit);
    return {std::clamp(x0, -2000, 2000), std::clamp(y0, -2000, 2000)};
}

void FitFrame::add(int64_t l, int64_t t, int64_t r, int64_t b) {
    if (l > r) std::swap(l, r);
    if (b > t) std::swap(b, t);
    if (empty) {
        left = l, top = t, right = r, bottom = b;
        empty = false;
        return;
    }
    left = std::min(left, l), top = std::max(top, t), right = std::max(right, r), bottom = std::min(bottom, b);
}

int fit_zoom_percent(const FitFrame& f, int margin, int w, int h) {
    if (w <= 0 || h <= 0) return 100;
    const double bw = std::max<double>(1, double(f.right - f.left) + 2.0 * margin);
    const double bh = std::max<double>(1, double(f.top - f.bottom) + 2.0 * margin);
    double px_per_unit = std::min(w / bw, h / bh);
    int percent = static_cast<int>(std::floor(px_per_unit * 100.0 * kUnitsPerPixel));
    return std::clamp(percent, 1, 275);
}

Pt fit_centre(const FitFrame& f) {
    auto mid = [](int64_t a, int64_t b) {
        return static_cast<int>(std::clamp<int64_t>((a + b) / 2, -kCoordMax, kCoordMax));
    };
    return {mid(f.left, f.right), mid(f.top, f.bottom)};
}

int fit_zoom_percent(const Rc& r, int w, int h) {
    FitFrame f;
    f.add(r);
    return fit_zoom_percent(f, 0, w, h);
}

int level_percent(int setting23) {
    if (setting23 < 0 || setting23 > 17) setting23 = 8;
    return 20 + 10 * setting23;
}

double level_scale(int setting23, int depth) {
    return std::pow(level_percent(setting23) / 100.0, std::max(0, depth));
}

int object_line_height(int size_setting) {
    int64_t n = static_cast<int64_t>(size_setting + 10) * 285;
    return static_cast<int>(muldiv(n, 1, 100));
}

Rc normalised(const Rc& r) {
    return {std::min(r.left, r.right), std::max(r.top, r.bottom), std::max(r.left, r.right),
            std::min(r.top, r.bottom)};
}

bool contains(const Rc& r0, Pt p, int margin) {
    Rc r = normalised(r0);
    return p.x >= r.left - margin && p.x <= r.right + margin && p.y <= r.top + margin && p.y >= r.bottom - margin;
}

bool intersects(const Rc& a0, const Rc& b0) {
    Rc a = normalised(a0), b = normalised(b0);
    return a.left <= b.right && b.left <= a.right && a.bottom <= b.top && b.bottom <= a.top;
}

bool inside(const Rc& inner0, const Rc& outer0) {
    Rc i = normalised(inner0), o = normalised(outer0);
    return i.left >= o.left && i.right <= o.right && i.top <= o.top && i.bottom >= o.bottom;
}

Rc grown(const Rc& r0, int d) {
    Rc r = normalised(r0);
    return {r.left - d, r.top + d, r.right + d, r.bottom - d};
}

Rc rect_of(Pt a, Pt b) { return normalised({a.x, a.y, b.x, b.y}); }

Rc united(const Rc& a0, const Rc& b0) {
    Rc a = normalised(a0), b = normalised(b0);
    return {std::min(a.left, b.left), std::max(a.top, b.top), std::max(a.right, b.right), std::min(a.bottom, b.bottom)};
}

Rc text_box_rect(int x, int y, int size, int text_w, int line_h) {
    int h = (size - 5) * 3 / 2 + line_h;
    if (h < 1) h = 1;
    int l = x - text_w / 2 - 15;
    return {l, y + h, l + text_w + 30, y - h};
}

double segment_distance(Pt a, Pt b, Pt p) {
    double dx = b.x - a.x, dy = b.y - a.y;
    double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    double qx = a.x + t * dx - p.x, qy = a.y + t * dy - p.y;
    return std::sqrt(qx * qx + qy * qy);
}

std::vector<Pt> handle_points(const Rc& r0) {
    Rc r = normalised(r0);
    int mx = (r.left + r.right) / 2, my = (r.top + r.bottom) / 2;
    return {{r.left, r.top}, {r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom},
            {mx, r.top}, {mx, r.bottom}, {r.left, my}, {r.right, my}};
}

int handle_at(const Rc& r, Pt p, int reach) {
    int best = -1;
    int64_t best_d = 0;
    auto pts = handle_points(r);
    for (int i = 0; i < static_cast<int>(pts.size()); ++i) {
        int dx = std::abs(p.x - pts[i].x), dy = std::abs(p.y - pts[i].y);
        if (dx > reach || dy > reach) continue;
        int64_t d = static_cast<int64_t>(dx) * dx + static_cast<int64_t>(dy) * dy;
        if (best < 0 || d < best_d) { best = i; best_d = d; }
    }
    return best;
}

const ObjBox* object_box_at(const std::vector<ObjBox>& boxes, int level, Pt p, int margin) {
    for (auto it = boxes.rbegin(); it != boxes.rend(); ++it)
        if (it->level == level && contains(it->rect, p, margin)) return &*it;
    return nullptr;
}

std::optional<Key> object_at(const std::vector<ObjBox>& boxes, int level, Pt p, int margin) {
    const ObjBox* b = object_box_at(boxes, level, p, margin);
    return b ? std::optional<Key>(b->key) : std::nullopt;
}

std::vector<const ObjBox*> objects_in(const std::vector<ObjBox>& boxes, int level, const Rc& band) {
    std::vector<const ObjBox*> out;
    // A band round a crowded level holds many: each object once, by key and place.
    std::unordered_set<uint64_t> seen;
    for (const auto& b : boxes)
        if (b.level == level && inside(b.rect, band) && seen.insert(uint64_t{b.key} << 32 | b.at).second)
            out.push_back(&b);
    return out;
}

const ObjBox* box_of(const std::vector<ObjBox>& boxes, Key key, int level) {
    for (const auto& b : boxes)
        if (b.key == key && b.level == level) return &b;
    return nullptr;
}

const LinkPath* link_at(const std::vector<LinkPath>& links, Pt p, int reach) {
    for (auto it = links.rbegin(); it != links.rend(); ++it) {
        const auto& pts = it->pts;
        for (size_t i = 1; i < pts.size(); ++i)
            if (segment_distance(pts[i - 1], pts[i], p) <= reach) return &*it;
    }
    return nullptr;
}

Rc shape_rect(const Shape& s) { return normalised({s.left, s.top, s.right, s.bottom}); }

namespace {
bool shape_is_line(int kind) { return kind == 7 || kind == 14 || kind == 15; }

// An arc bulges off its chord: it is hit near the part of its circle that is drawn, which runs
// counter-clockwise from the second corner to the first.
bool arc_hit(const Shape& s, Pt p, int reach) {
    LinkArc g = draw_link_arc_geometry((s.colour_curve >> 8) & 0xFF, {s.left, s.top}, {s.right, s.bottom});
    if (std::abs(std::hypot(p.x - g.cx, p.y - g.cy) - g.radius) > reach) return false;
    const double turn = 2 * std::acos(-1.0);
    auto angle = [&](double x, double y) { return std::atan2(y - g.cy, x - g.cx); };
    auto ccw = [&](double from, double to) { return std::fmod(to - from + 2 * turn, turn); };
    double start = angle(s.right, s.bottom);
    return ccw(start, angle(p.x, p.y)) <= ccw(start, angle(s.left, s.top));
}

bool shape_hit(const Shape& s, Pt p, int reach) {
    if (shape_is_line(s.kind)) return segment_distance({s.left, s.top}, {s.right, s.bottom}, p) <= reach;
    if (s.kind == 9 || s.kind == 23) return arc_hit(s, p, reach);
    return contains(shape_rect(s), p, reach);
}
}  // namespace

std::optional<Key> shape_at(const std::vector<Shape>& shapes, int level, Pt p, int reach) {
    for (auto it = shapes.rbegin(); it != shapes.rend(); ++it)
        if (it->level == level && it->kind != 25 && shape_hit(*it, p, reach)) return it->key;
    return std::nullopt;
}

std::vector<Key> shapes_in(const std::vector<Shape>& shapes, int level, const Rc& band) {
    std::vector<Key> out;
    for (const auto& s : shapes)
        if (s.level == level && s.kind != 25 && inside(shape_rect(s), band)) out.push_back(s.key);
    return out;
}

int point_at(const std::vector<PlotPoint>& points, int level, Pt p, int reach) {
    for (size_t i = 0; i < points.size(); ++i) {
        const auto& q = points[i];
        if (q.level == level && std::abs(q.x - p.x) <= reach && std::abs(q.y - p.y) <= reach)
            return static_cast<int>(i);
    }
    return -1;
}

std::vector<Key> click_marking(const std::vector<Key>& marked, Key key, bool toggle) {
    bool is_marked = std::find(marked.begin(), marked.end(), key) != marked.end();
    if (toggle) {
        std::vector<Key> out;
        for (Key k : marked)
            if (k != key) out.push_back(k);
        if (!is_marked) out.push_back(key);
        return out;
    }
    if (is_marked) return marked;
    return {key};
}

namespace {
// How many diagram units the half extent of an object grows per size step, by axis; 0 when
// the size does not drive that axis (text-sized figures are as wide as their text).
struct SizeSlope { double x, y; };

std::optional<SizeSlope> size_slope(int shape) {
    switch (shape) {
    case 162: case 163: return SizeSlope{5, 2.5};
    case 164: case 166: case 183: case 184: case 185: case 186: case 187: case 188: return SizeSlope{5, 5};
    case 160: case 161: case 167: case 170: case 172: return SizeSlope{0, 1.5};
    default: return std::nullopt;  // icons, pictures: proportional
    }
}
}  // namespace

int resized_object_size(int shape, int size, const Rc& painted, int handle, Pt p) {
    Rc r = normalised(painted);
    double cx = (r.left + r.right) / 2.0, cy = (r.top + r.bottom) / 2.0;
    double half_x = (r.right - r.left) / 2.0, half_y = (r.top - r.bottom) / 2.0;
    bool horizontal = handle == 6 || handle == 7;
    bool vertical = handle == 4 || handle == 5;
    auto slope = size_slope(shape);
    bool use_x;
    if (horizontal) use_x = true;
    else if (vertical) use_x = false;
    else use_x = slope ? slope->x > 0 : half_x >= half_y;
    double old_half = use_x ? half_x : half_y;
    double new_half = use_x ? std::fabs(p.x - cx) : std::fabs(p.y - cy);
    double next;
    if (slope) {
        double k = use_x ? slope->x : slope->y;
        if (k <= 0) return size;
        next = size + (new_half - old_half) / k;
    } else {
        if (old_half <= 0) return size;
        next = size * new_half / old_half;
    }
    return std::clamp(round_half_away(next), 1, 500);
}

Rc resized_shape_rect(const Rc& r, int handle, Pt p) {
    Rc out = r;
    auto set_left = [&](int x) { (out.left <= out.right ? out.left : out.right) = x; };
    auto set_right = [&](int x) { (out.left <= out.right ? out.right : out.left) = x; };
    auto set_top = [&](int y) { (out.top >= out.bottom ? out.top : out.bottom) = y; };
    auto set_bottom = [&](int y) { (out.top >= out.bottom ? out.bottom : out.top) = y; };
    switch (handle) {
    case 0: set_left(p.x); set_top(p.y); break;
    case 1: set_right(p.x); set_top(p.y); break;
    case 2: set_right(p.x); set_bottom(p.y); break;
    case 3: set_left(p.x); set_bottom(p.y); break;
    case 4: set_top(p.y); break;
    case 5: set_bottom(p.y); break;
    case 6: set_left(p.x); break;
    case 7: set_right(p.x); break;
    default: break;
    }
    return out;
}

Pt autoscroll_step(Pt p, int w, int h, int band) {
    Pt s;
    if (p.x < band) s.x = -1;
    else if (p.x >= w - band) s.x = 1;
    if (p.y < band) s.y = -1;
    else if (p.y >= h - band) s.y = 1;
    return s;
}

Rc view_layout_rect(int client_w, int client_h, bool toolbar_left, bool toolbar_top, bool status_bar) {
    int left = toolbar_left ? 1 + 28 : 1;
    int top = toolbar_top ? 1 + 28 : 1;
    int bottom = client_h - 1 - (status_bar ? 17 : 0);
    return {left, top, std::max(left, client_w), std::max(top, bottom)};
}

Pt drop_position(Pt at, int n) { return {at.x + 40 * n, at.y - 80 * n}; }

std::vector<Pt> link_route_path(int route, Pt a, Pt b) {
    switch (route) {
    case 1: return {a, {a.x, b.y}, b};
    case 2: return {a, {b.x, a.y}, b};
    case 3: { int m = (a.y + b.y) / 2; return {a, {a.x, m}, {b.x, m}, b}; }
    case 4: { int m = (a.x + b.x) / 2; return {a, {m, a.y}, {m, b.y}, b}; }
    default: return {a, b};
    }
}

