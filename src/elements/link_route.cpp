#include "elements/link_route.h"

#include <cmath>
#include <cstdlib>

#include "elements/draw.h"
#include "elements/link.h"
#include "elements/obj.h"

namespace {

int sign1(int v) { return v < 0 ? -1 : 1; }  // a sign of 0 counts as +1

Pt rp(RealPt p) { return {link_round(p.x), link_round(p.y)}; }

void straight_ends(Canvas& c, int hc, int tc, int hk, int tk, double w, Pt p1, Pt p2) {
    link_draw_end(c, 28, hc, hk, w, p1, p2);
    link_draw_end(c, 28, tc, tk, w, p2, p1);
}

void draw_curve(Canvas& c, int route, int hc, int tc, int hk, int tk, int opt, double w, Pt p1, Pt p2) {
    RealPt h = link_route_point(0, 10.0 * hc, w, p1, p2);
    RealPt t = link_route_point(0, 10.0 * tc, w, p2, p1);
    // Each pulled-back end moves sideways by as much as it was pulled back.
    RealPt dh{h.y - p2.y, p2.x - h.x};
    RealPt dt{p1.y - t.y, t.x - p1.x};
    const double s = route == kRouteCurve1 ? 1.0 : -1.0;
    Pt ch = rp({h.x + s * dh.x, h.y + s * dh.y});
    Pt ct = rp({t.x + s * dt.x, t.y + s * dt.y});
    const int bulge = link_curve_bulge(opt);
    LinkArc a;
    Pt next_h, next_t;
    if (route == kRouteCurve1) {
        a = draw_link_arc(c, bulge, ct, ch);
        next_h = a.t2;
        next_t = a.t1;
    } else {
        a = draw_link_arc(c, bulge, ch, ct);
        next_h = a.t1;
        next_t = a.t2;
    }
    const double wl = 1.0 / (a.radius + 0.01);
    link_draw_end(c, 28, hc, hk, wl, next_h, ch);
    link_draw_end(c, 28, tc, tk, wl, next_t, ct);
}

void draw_arc(Canvas& c, int hc, int tc, int hk, int tk, double w, Pt p1, Pt p2) {
    if (std::abs(p1.y - p2.y) < 15) {
        c.line(p1, p2);
        if (w <= 0.05) straight_ends(c, hc, tc, hk, tk, w, p1, p2);
        return;
    }
    // A quarter of the ellipse centred at (X2, Y1): it leaves P1 vertically, reaches P2 level.
    Rc box{p1.x, p2.y, 2 * p2.x - p1.x, 2 * p1.y - p2.y};
    if (sign1(p2.y - p1.y) * sign1(p2.x - p1.x) < 0) c.arc(box, p1, p2);
    else c.arc(box, p2, p1);
    link_draw_end_horz(c, hc, hk, p1.x, p2.x, p2.y);
    link_draw_end_vert(c, tc, tk, p2.y, p1.x, p1.y);
}

void draw_taper(Canvas& c, int hc, int tc, int hk, int tk, double w, Pt p1, Pt p2) {
    const double len = 1.0 / w;
    RealPt q = link_route_point(0, link_round(len - 25), w, p1, p2);
    RealPt v{q.y - p1.y, p1.x - q.x};
    c.polygon({p2, rp({q.x + v.x, q.y + v.y}), rp({q.x - v.x, q.y - v.y})});
    straight_ends(c, hc, tc, hk, tk, w, p1, p2);
}

void draw_double(Canvas& c, int hc, int tc, int hk, int tk, double w, Pt p1, Pt p2) {
    RealPt q = link_route_point(0, 10, w, p1, p2);
    RealPt r = link_route_point(0, 10, w, p2, p1);
    RealPt v{q.y - p2.y, p2.x - q.x};
    c.line(rp({r.x + v.x, r.y + v.y}), rp({q.x + v.x, q.y + v.y}));
    c.line(rp({r.x - v.x, r.y - v.y}), rp({q.x - v.x, q.y - v.y}));
    link_draw_end(c, 15, hc, hk, w, p1, p2);
    link_draw_end(c, 15, tc, tk, w, p2, p1);
}

}  // namespace

int link_round(double v) { return obj_round(v); }

double link_recip_length(Pt p1, Pt p2) {
    const double dx = static_cast<double>(p2.x) - p1.x, dy = static_cast<double>(p2.y) - p1.y;
    return 1.0 / (std::sqrt(dx * dx + dy * dy) + 0.01);
}

RealPt link_route_point(int kind, double n, double w, Pt p1, Pt p2) {
    switch (kind) {
    case 1: return {static_cast<double>(p1.x), static_cast<double>((p1.y + p2.y) / 2)};
    case 2: return {static_cast<double>((p1.x + p2.x) / 2), static_cast<double>(p1.y)};
    case 5: {
        const Pt m{(p1.x + p2.x) / 2, (p1.y + p2.y) / 2};
        const Pt a{m.x - p2.y + m.y, m.y + p2.x - m.x};
        return link_route_point(0, n, w, a, m);
    }
    case 6: return link_route_point(5, n, w, p2, p1);
    case 9: {
        const int s = sign1(p2.x - p1.x);
        return {static_cast<double>(p1.x + s * std::abs(p2.y - p1.y)), static_cast<double>(p2.y)};
    }
    case 10: return link_route_point(9, n, w, p2, p1);
    case 11:
        return {static_cast<double>((p1.x + p2.x) / 2), static_cast<double>((5 * p2.y + p1.y) / 6)};
    default:
        return {p2.x - (static_cast<double>(p2.x) - p1.x) * w * n,
                p2.y - (static_cast<double>(p2.y) - p1.y) * w * n};
    }
}

int link_curve_offset(int route, int option, int length) {
    static constexpr double kFactor[8] = {0.08, 0.12, 0.18, 0.3, 0.48, 0.74, 0.9, 0.99};
    if (route == kRouteCurve1 || route == kRouteCurve2) {
        const int o = option < 0 ? 0 : option > 7 ? 7 : option;
        return link_round(length * kFactor[o]);
    }
    return length / 2;
}

int link_curve_bulge(int option) {
    const int o = option < 0 ? 0 : option > 7 ? 7 : option;
    const int k = 8 - o;
    return 70 - k * k * k / 8;
}

void link_draw_segment(Canvas& c, int route, int hc, int tc, int hk, int tk, int opt, double w, Pt p1, Pt p2) {
    const Pt m{(p1.x + p2.x) / 2, (p1.y + p2.y) / 2};
    if (link_is_taper(route)) {
        draw_taper(c, hc, tc, hk, tk, w, p1, p2);
        return;
    }
    switch (route) {
    case kRouteStraight:
        c.line(p1, p2);
        // Short links carry no heads: they would hide the link.
        if (w <= 0.05) straight_ends(c, hc, tc, hk, tk, w, p1, p2);
        break;
    case kRouteVH:
        draw_link_line(c, opt, p2, {p1.x, p2.y}, p1);
        link_draw_end_horz(c, hc, hk, p1.x, p2.x, p2.y);
        link_draw_end_vert(c, tc, tk, p2.y, p1.x, p1.y);
        break;
    case kRouteHV:
        draw_link_line(c, opt, p1, {p2.x, p1.y}, p2);
        link_draw_end_vert(c, hc, hk, p1.y, p2.x, p2.y);
        link_draw_end_horz(c, tc, tk, p2.x, p1.x, p1.y);
        break;
    case kRouteVHV:
        draw_link_line(c, opt, m, {p1.x, m.y}, p1);
        draw_link_line(c, opt, m, {p2.x, m.y}, p2);
        link_draw_end_vert(c, hc, hk, p1.y, p2.x, p2.y);
        link_draw_end_vert(c, tc, tk, p2.y, p1.x, p1.y);
        break;
    case kRouteHVH:
        draw_link_line(c, opt, p1, {m.x, p1.y}, m);
        draw_link_line(c, opt, p2, {m.x, p2.y}, m);
        link_draw_end_horz(c, hc, hk, p1.x, p2.x, p2.y);
        link_draw_end_horz(c, tc, tk, p2.x, p1.x, p1.y);
        break;
    case kRouteCurve1:
    case kRouteCurve2:
        draw_curve(c, route, hc, tc, hk, tk, opt, w, p1, p2);
        break;
    case kRouteArc:
        draw_arc(c, hc, tc, hk, tk, w, p1, p2);
        break;
    case kRouteDouble:
        draw_double(c, hc, tc, hk, tk, w, p1, p2);
        break;
    case kRouteSlopeHorz: {
        const Pt k = rp(link_route_point(9, 0, w, p1, p2));
        c.polyline({p1, k, p2});
        const double ws = 1.0 / (std::abs(p2.y - p1.y) * 1.4142 + 0.01);
        link_draw_end_horz(c, hc, hk, k.x, p2.x, p2.y);
        link_draw_end(c, 28, tc, tk, ws, k, p1);
        break;
    }
    case kRouteHorzSlope: {
        const Pt k{p2.x - sign1(p2.x - p1.x) * std::abs(p2.y - p1.y), p1.y};
        c.polyline({p1, k, p2});
        const double ws = 1.0 / (std::abs(p2.y - p1.y) * 1.4142 + 0.01);
        link_draw_end(c, 28, hc, hk, ws, k, p2);
        link_draw_end_horz(c, tc, tk, k.x, p1.x, p1.y);
        break;
    }
    default:
        break;
    }
}

bool link_draw_arrowhead(Canvas& c, int kind, Pt c1, Pt c2, Pt c3) {
    const Pt c4{c1.x + c3.x - c2.x, c1.y + c3.y - c2.y};
    switch (kind) {
    case kArrowOpen: c.polyline({c1, c2, c3}); return true;
    case kArrowSolidTriangle: c.polygon({c1, c2, c3}); return true;
    case kArrowCross: c.line(c3, c1); return true;
    case kArrowSolidDiamond: c.polygon({c1, c2, c3, c4}); return true;
    case kArrowTriangle: c.polyline({c1, c2, c3, c1}); return true;
    case kArrowDiamond: c.polyline({c1, c2, c3, c4, c1}); return true;
    default: return false;
    }
}

void link_draw_end(Canvas& c, int spread, int count, int kind, double w, Pt a, Pt b) {
    if (count <= 0) return;
    const RealPt b42 = link_route_point(0, 42, w, a, b);
    const RealPt bs = link_route_point(0, spread, w, a, b);
    const RealPt v{b42.y - bs.y, bs.x - b42.x};
    const RealPt c1{b42.x + v.x, b42.y + v.y}, c3{b42.x - v.x, b42.y - v.y};
    link_draw_arrowhead(c, kind, rp(c1), b, rp(c3));
    if (count == 2) {
        const RealPt u{b42.x - b.x, b42.y - b.y};
        link_draw_arrowhead(c, kind, rp({c1.x + u.x, c1.y + u.y}), rp(b42), rp({c3.x + u.x, c3.y + u.y}));
    }
}

void link_draw_end_horz(Canvas& c, int count, int kind, int x_from, int x_tip, int y_tip) {
    if (count <= 0) return;
    const int s = sign1(x_tip - x_from);
    int base = x_tip - 35 * s;
    link_draw_arrowhead(c, kind, {base, y_tip + 14}, {x_tip, y_tip}, {base, y_tip - 14});
    if (count == 2) {
        const int tip = base;
        base -= 35 * s;
        link_draw_arrowhead(c, kind, {base, y_tip + 14}, {tip, y_tip}, {base, y_tip - 14});
    }
}

void link_draw_end_vert(Canvas& c, int count, int kind, int y_from, int x_tip, int y_tip) {
    if (count <= 0) return;
    const int s = sign1(y_tip - y_from);
    int base = y_tip - 35 * s;
    link_draw_arrowhead(c, kind, {x_tip - 14, base}, {x_tip, y_tip}, {x_tip + 14, base});
    if (count == 2) {
        const int tip = base;
        base -= 35 * s;
        link_draw_arrowhead(c, kind, {x_tip - 14, base}, {x_tip, tip}, {x_tip + 14, base});
    }
}
