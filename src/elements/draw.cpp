#include "elements/draw.h"

#include <cmath>
#include <cstdint>

#include "elements/obj.h"

void draw_link_line(Canvas& c, int mode, Pt p1, Pt p2, Pt p3) {
    if (mode == 0) {
        c.polyline({p1, p2, p3});
        return;
    }
    Pt a{(3 * p2.x + p1.x) / 4, (3 * p2.y + p1.y) / 4};
    Pt b{(3 * p2.x + p3.x) / 4, (3 * p2.y + p3.y) / 4};
    c.line(p1, a);
    c.line(b, p3);
    Rc box{(p1.x + p2.x) / 2, (p1.y + p2.y) / 2, (p2.x + p3.x) / 2, (p2.y + p3.y) / 2};
    // 64-bit: the product overflows 32 bits for coordinates far out on the diagram.
    int64_t turn = static_cast<int64_t>(p1.y - p3.y) * (p1.x - p3.x);
    if (turn > 0)
        c.arc(box, a, b);
    else
        c.arc(box, b, a);
}

LinkArc draw_link_arc_geometry(int bulge, Pt p1, Pt p2) {
    LinkArc g;
    double a = 6.0 - 0.1 * bulge;
    double mx = (p1.x + p2.x) * 0.5, my = (p1.y + p2.y) * 0.5;
    double qx = mx + (p2.y - my), qy = my - (p2.x - mx);
    g.cx = (a + 1) * qx - a * mx;
    g.cy = (a + 1) * qy - a * my;
    g.radius = std::sqrt((p1.x - g.cx) * (p1.x - g.cx) + (p1.y - g.cy) * (p1.y - g.cy));
    g.t2 = {obj_round(p2.x + g.cy - p2.y), obj_round(p2.x + p2.y - g.cx)};
    g.t1 = {obj_round(p1.x + p1.y - g.cy), obj_round(p1.y + g.cx - p1.x)};
    g.box = {obj_round(g.cx - g.radius), obj_round(g.cy + g.radius), obj_round(g.cx + g.radius),
             obj_round(g.cy - g.radius)};
    return g;
}

LinkArc draw_link_arc(Canvas& c, int bulge, Pt p1, Pt p2) {
    LinkArc g = draw_link_arc_geometry(bulge, p1, p2);
    c.arc(g.box, p2, p1);
    return g;
}

void draw_mark_square(Canvas& c, int x, int y) { c.rectangle({x - 12, y - 12, x + 12, y + 12}); }

void draw_mark_corners(Canvas& c, int l, int t, int r, int b) {
    c.set_pen({0, 0, 0});
    c.set_brush({2, 0xFFFFFF});
    // A square under a pixel across sets no pixel (a million marked objects at Zoom Fit).
    if (c.units_per_pixel() > 24) return;
    int mx = (l + r) / 2, my = (t + b) / 2;
    const Pt at[8] = {{l, t}, {r, t}, {r, b}, {l, b}, {mx, t}, {mx, b}, {l, my}, {r, my}};
    for (const Pt& p : at) draw_mark_square(c, p.x, p.y);
}

void draw_cross(Canvas& c, int x, int y, int d) {
    c.line({x - d, y}, {x + d, y});
    c.line({x, y + d}, {x, y - d});
}

std::vector<Rc> draw_open_effect_frames(Pt p, const Rc& r, int direction) {
    double w = r.right - r.left, h = r.bottom - r.top;
    double cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    double dx = (cx - p.x) / 10, dy = (cy - p.y) / 10, sx = w / 20, sy = h / 20;
    std::vector<Rc> out;
    for (int i = 2; i <= 9; ++i) {
        int k = direction == 1 ? i : 11 - i;
        int fx = p.x + obj_round(k * dx), fy = p.y + obj_round(k * dy);
        int hx = obj_round(k * sx), hy = obj_round(k * sy);
        out.push_back({fx - hx, fy - hy, fx + hx, fy + hy});
    }
    return out;
}

PreviewFrame draw_preview_frame(int px, int py, int s) {
    PreviewFrame f;
    if (px <= 0 || py <= 0) return f;
    double k = 0.0675 * std::sqrt((3369.0 / px) * (2323.0 / py));
    double hx = px * k, hy = py * k;
    if (s == 1) { hx *= 2; f.parts_x = 2; }
    if (s == 2) { hy *= 2; f.parts_y = 2; }
    Rc r{obj_round(-hx), obj_round(hy), obj_round(hx), obj_round(-hy)};
    f.frame = r;
    auto vline = [&](int x) { f.dividers.push_back({{x, r.top}, {x, r.bottom}}); };
    auto hline = [&](int y) { f.dividers.push_back({{r.left, y}, {r.right, y}}); };
    if (s == 1 || s == 3) vline((r.left + r.right) / 2);
    if (s == 2 || s == 3) hline((r.top + r.bottom) / 2);
    if (s == 4) {
        vline((2 * r.left + r.right) / 3);
        vline((r.left + 2 * r.right) / 3);
        hline((2 * r.top + r.bottom) / 3);
        hline((r.top + 2 * r.bottom) / 3);
    }
    return f;
}
