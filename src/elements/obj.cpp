#include "elements/obj.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "document/globals.h"
#include "document/view.h"

std::vector<ObjRectEntry> objrect_;

namespace {
ObjDpToLp dp_to_lp_ = nullptr;
std::optional<ObjDefaults> obj_defaults_;
}  // namespace

int obj_round(double v) {
    if (std::isnan(v)) return 0;
    constexpr double hi = std::numeric_limits<int>::max(), lo = std::numeric_limits<int>::min();
    if (v >= hi) return std::numeric_limits<int>::max();
    if (v <= lo) return std::numeric_limits<int>::min();
    // Halves away from zero, as std::round, which is a library call here: painters round
    // several times for each of a level's links. v - i is exact at this size.
    const int i = static_cast<int>(v);
    const double rest = v - i;
    return rest >= 0.5 ? i + 1 : rest <= -0.5 ? i - 1 : i;
}

void obj_rect_cache_clear() { objrect_.clear(); }
void obj_rect_append(const ObjRectEntry& e) { objrect_.push_back(e); }
void obj_set_dp_to_lp(ObjDpToLp f) { dp_to_lp_ = f; }

std::optional<Rc> obj_rect_compute(Key key) {
    for (const auto& e : objrect_)
        if (e.key == key) return Rc{e.l, e.t, e.r, e.b};
    return std::nullopt;
}

std::optional<Rc> obj_rect(Key key) {
    if (dp_to_lp_) {
        for (const auto& e : objrect_) {
            if (e.key != key || e.kind != 0) continue;
            auto a = dp_to_lp_({e.device.left, e.device.top});
            auto b = dp_to_lp_({e.device.right, e.device.bottom});
            if (a && b) return Rc{a->x, a->y, b->x, b->y};
            break;
        }
    }
    return obj_rect_compute(key);
}

const std::vector<ObjRectEntry>& obj_rect_each() { return objrect_; }

const ObjRectEntry* obj_rect_find(Key key, int level) {
    for (const auto& e : objrect_)
        if (e.key == key && e.level == level) return &e;
    return nullptr;
}

int obj_outline_kind(int shape, int cluster) {
    if (shape == kShapeLine1) return 14;
    switch (cluster) {
        case 3: return 4;
        case 4: return 2;
        case 5: return 5;
        case 6: return 3;
        default: break;
    }
    switch (shape) {
        case kShapeEllipse: return 11;
        case kShapeCircle: return 12;
        case kShapeDiamond: return 13;
        case kShapeLine2: return 15;
        case 183: return 54;
        case 184: return 13;
        case 185: case 186: case 187: case 188: return 12;
        default: return 10;
    }
}

namespace {

int clamp_between(int v, int a, int b) { return std::clamp(v, std::min(a, b), std::max(a, b)); }

// Point P on the circle of radius (R-L)/2 about the centre, toward (X2, Y2).
void toward_circle(const ObjRectEntry& e, Pt p2, double& px, double& py, double& cy) {
    double cx = (e.l + e.r) / 2;
    cy = (e.t + e.b) / 2;
    double r = (e.r - e.l) / 2;
    double dx = p2.x - cx, dy = p2.y - cy;
    double d = std::sqrt(dx * dx + dy * dy);
    px = cx + dx * r / (d + 0.01);
    py = cy + dy * r / (d + 0.01);
}

}  // namespace

Pt obj_link_end_point_in(int position, int shape, int cluster, const ObjRectEntry* e, Pt p1, Pt p2) {
    if (!e) return p1;
    if (position == 51 || position == 52) {
        int k = obj_outline_kind(shape, position == 51 ? cluster : 0);
        return obj_link_end_point_in(k, 0, 0, e, p1, p2);
    }
    const int64_t L = e->l, T = e->t, R = e->r, B = e->b;
    const int mx = static_cast<int>((L + R) / 2), my = static_cast<int>((T + B) / 2);
    const int64_t x1 = p1.x, y1 = p1.y, x2 = p2.x, y2 = p2.y;
    switch (position) {
        case 1: return {mx, my};
        case 2: return {e->l, my};
        case 3: return {mx, e->t};
        case 4: return {e->r, my};
        case 5: return {mx, e->b};
        case 6: return {e->l, e->t};
        case 7: return {e->r, e->t};
        case 8: return {e->r, e->b};
        case 9: return {e->l, e->b};
        case 10: {
            if (2 * std::llabs(y2 - y1) < std::llabs(x2 - x1)) {
                int x = x1 > x2 ? e->l : e->r;
                int64_t y = my + (y2 - y1) * e->f1 / 10;
                return {x, clamp_between(static_cast<int>(std::clamp<int64_t>(y, INT32_MIN, INT32_MAX)), e->b, e->t)};
            }
            int y = y2 > y1 ? e->t : e->b;
            int64_t x = mx + (x2 - x1) * e->f1 / 10;
            return {clamp_between(static_cast<int>(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX)), e->l, e->r), y};
        }
        case 11: case 12: {
            double px, py, cy;
            toward_circle(*e, p2, px, py, cy);
            if (position == 11) py = cy + 0.5 * (py - cy);
            return {obj_round(px), obj_round(py)};
        }
        case 13:
            if (y1 < y2 - 200) return {mx, e->t};
            if (y1 > y2 + 200) return {mx, e->b};
            return x1 > x2 ? Pt{e->l, my} : Pt{e->r, my};
        case 14: return x1 > x2 ? Pt{e->l, e->b} : Pt{e->r, e->b};
        case 15: return y1 < y2 ? Pt{mx, e->t} : Pt{mx, e->b};
        case 53: return x1 > x2 ? Pt{e->l, my} : Pt{e->r, my};
        case 54: {
            if (y1 < y2 - 200) return {mx, e->t};
            int y = static_cast<int>((T + 3 * B) / 4);
            return x1 > x2 ? Pt{e->l, y} : Pt{e->r, y};
        }
        default: return p1;
    }
}

Pt obj_link_end_point(int position, int shape, Key key, int level, Pt p1, Pt p2) {
    const ObjRectEntry* e = obj_rect_find(key, level);
    int cluster = position == 51 ? view_doc().cluster(key) : 0;
    return obj_link_end_point_in(position, shape, cluster, e, p1, p2);
}

ObjDefaults obj_defaults_get() { return obj_defaults_ ? *obj_defaults_ : ObjDefaults{}; }

void obj_defaults_set(const std::string& text, int action, int size, uint32_t flags) {
    obj_defaults_ = ObjDefaults{text, action, size, static_cast<uint16_t>(flags & 0xFFFF)};
}

void obj_mark_one(Key key) {
    marked_obj_.clear();
    marked_obj_.push_back(key);
}

bool obj_id_dup_should_warn(const std::string& new_id, const std::string& old_id, bool warn_on,
                            const Document& doc) {
    if (!warn_on) return false;
    if (new_id == obj_defaults_get().text) return false;
    if (new_id == old_id) return false;
    for (const auto& o : doc.objs)
        if (o.id == new_id) return true;
    return false;
}
