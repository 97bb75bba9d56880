#include "bars/sbar.h"

#include <cstdint>

#include "bars/status.h"
#include "document/globals.h"
#include "document/view.h"

namespace {

struct Displacement { int sub, step; };
// A scroll moves the origin from Old to Old - Step.
constexpr Displacement displacement_[] = {
    {kSbLineUp, 40}, {kSbLineDown, -40}, {kSbPageUp, 200}, {kSbPageDown, -200}, {kSbUnitUp, 1}, {kSbUnitDown, -1},
};

struct ZoomRatio { int sub, mul, div; };
constexpr ZoomRatio zoom_ratio_[] = {{kSbContract, 10, 11}, {kSbExpand, 11, 10}};

const Displacement* find_displacement(int sub) {
    for (const auto& d : displacement_)
        if (d.sub == sub) return &d;
    return nullptr;
}

const ZoomRatio* find_zoom_ratio(int sub) {
    for (const auto& z : zoom_ratio_)
        if (z.sub == sub) return &z;
    return nullptr;
}

int clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

SbarHost& null_host() {
    static SbarHost h;
    return h;
}

}  // namespace

int sbar_muldiv(int a, int b, int c) {
    if (c == 0) return 0;
    int64_t n = static_cast<int64_t>(a) * b;
    int64_t q = n / c, r = n % c;
    // Round halves away from zero.
    if (2 * (r < 0 ? -r : r) >= (c < 0 ? -static_cast<int64_t>(c) : c)) q += ((n < 0) != (c < 0)) ? -1 : 1;
    if (q > INT32_MAX) return INT32_MAX;
    if (q < INT32_MIN) return INT32_MIN;
    return static_cast<int>(q);
}

ScrollStrip sbar_scroll_strip(int axis, int p, int w, int h) {
    if (axis == kSbarX0) {
        if (p >= 0) return {{0, 0, p / 2, h}, p, 0};
        return {{w + p / 2, 0, w, h}, p, 0};
    }
    if (axis == kSbarY0) {
        if (p >= 0) return {{0, 0, w, p / 2}, 0, p};
        return {{0, h + p / 2, w, h}, 0, p};
    }
    return {{0, 0, w, h}, 0, 0};
}

void SbarHost::status(int field, int value) { status_update(field, value); }

SbarHost& ViewPosition::host() const { return host_ ? *host_ : null_host(); }

ViewState ViewPosition::state() const { return {x0_, y0_, level_, zoom_ / 100, zoom_}; }

int ViewPosition::field(int code) const {
    switch (code) {
    case kSbarX0: return x0_;
    case kSbarY0: return y0_;
    case kSbarLevel: return level_;
    case kSbarZoom: return zoom_;
    }
    return 0;
}

bool ViewPosition::store(int code, int v) {
    switch (code) {
    case kSbarX0:
    case kSbarY0:
        if (v < kOriginMin || v > kOriginMax) return false;
        (code == kSbarX0 ? x0_ : y0_) = v;
        return true;
    case kSbarLevel:
        if (v < kLevelMin || v > kLevelMax) return false;
        level_ = v;
        host().status(8, v);
        return true;
    case kSbarZoom:
        if (v < kZoomMin || v > kZoomMax) return true;
        zoom_ = v;
        host().status(5, v / 100);
        return true;
    }
    return false;
}

int ViewPosition::level_span() const {
    const Document& d = view_doc();
    int shown = d.param(366);
    if (shown != 0) return shown - 1;
    int span = d.param(51) - level_;
    return span > 0 ? span : 0;
}

bool ViewPosition::full_repaint_needed() const {
    int bg = view_doc().shown_param(7);
    return bg == 1 || bg == 7 || bg == 8 || level_span() > 0 || !gosub_.empty() ||
           host().windows_force_full_repaint();
}

bool ViewPosition::scroll_to(int code, int new_value, int delta) {
    bool axis = code == kSbarX0 || code == kSbarY0;
    if (full_repaint_needed()) {
        if (!store(code, new_value)) return false;
        host().repaint_all();
        if (axis) host().set_scroll_pos(code, new_value);
        return true;
    }
    if (!store(code, new_value)) return false;
    Sz c = host().client_size();
    int p = sbar_muldiv(delta, host().screen_width(), 640);
    ScrollStrip s = sbar_scroll_strip(code, p, c.cx, c.cy);
    host().scroll_window(s.strip, s.dx, s.dy);
    if (axis) host().set_scroll_pos(code, new_value);
    return true;
}

bool ViewPosition::zoom_step(int mul, int div) {
    int z = sbar_muldiv(zoom_, mul, div);
    if (z < kZoomMin || z > kZoomMax) return false;
    // Keep the origin in range so a step near the edge still zooms with a consistent origin.
    int x = clamp(sbar_muldiv(x0_, mul, div), kOriginMin, kOriginMax);
    int y = clamp(sbar_muldiv(y0_, mul, div), kOriginMin, kOriginMax);
    host().mark_changed();
    x0_ = x;
    y0_ = y;
    host().set_scroll_pos(kSbarX0, x);
    host().set_scroll_pos(kSbarY0, y);
    store(kSbarZoom, z);
    host().repaint_all();
    return true;
}

bool ViewPosition::cmd(int code, int sub, int value) {
    // Wheel after a drag: toward the user repeats the drag, away from the user undoes one.
    if (code == kSbarWheel && value == 0 && latest_.kind == kSbarDrag) {
        SbarLatest drag = latest_;
        int f = 2 * sub - 1;
        bool ok = cmd(kSbarX0, kSbThumbPos, x0_ - drag.a * f);
        ok = cmd(kSbarY0, kSbThumbPos, y0_ - drag.b * f) && ok;
        latest_ = drag;
        return ok;
    }
    if (code == kSbarWheel) return cmd(latest_.kind, sub == 0 ? kSbLineDown : kSbLineUp, 0);
    if (code == kSbarX0 || code == kSbarY0) latest_ = {code, 0, 0};
    if (code == kSbarDrag) {
        latest_ = {kSbarDrag, sub, value};
        return true;
    }
    if (sub == 0) return true;
    if (code == kSbarZoom) {
        if (const ZoomRatio* z = find_zoom_ratio(sub)) return zoom_step(z->mul, z->div);
    }
    if (sub == kSbThumbPos || sub == kSbThumbTrack) {
        int old = field(code);
        return scroll_to(code, value, old - value);
    }
    if (code == kSbarZoom && sub == kSbSet) {
        int64_t z = static_cast<int64_t>(value) * 100;
        if (z >= kZoomMin && z <= kZoomMax) store(kSbarZoom, static_cast<int>(z));
        host().repaint_all();
        return true;
    }
    if (sub == kSbSet) {
        if (!store(code, value)) return false;
        host().repaint_all();
        if (code == kSbarX0 || code == kSbarY0) host().set_scroll_pos(code, value);
        return true;
    }
    if (const Displacement* d = find_displacement(sub)) {
        return scroll_to(code, field(code) - d->step, d->step);
    }
    return false;
}

bool ViewPosition::set_origin(int level, int x, int y) {
    if (x < kOriginMin || x > kOriginMax || y < kOriginMin || y > kOriginMax) return false;
    x0_ = x;
    y0_ = y;
    host().set_scroll_pos(kSbarX0, x);
    host().set_scroll_pos(kSbarY0, y);
    return cmd(kSbarLevel, kSbSet, level);
}

ViewPosition& sbar_pos() {
    static ViewPosition pos_;
    return pos_;
}

void sbar_set_host(SbarHost* host) { sbar_pos().set_host(host); }
ViewState sbar_view_state() { return sbar_pos().state(); }
bool sbar_cmd(int code, int sub, int value) { return sbar_pos().cmd(code, sub, value); }
bool sbar_set_origin(int level, int x, int y) { return sbar_pos().set_origin(level, x, y); }
int sbar_level_span() { return sbar_pos().level_span(); }
