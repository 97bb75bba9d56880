#include "elements/obj_paint.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <tuple>
#include <utility>

#include "document/view.h"
#include "elements/draw.h"

namespace {

// The toolbar palette as it is before the user changes it.
constexpr Colour kPalette[32] = {
    0x000000, 0x800000, 0xff0000, 0x008000, 0x0000ff, 0x000080, 0xff0080, 0xff00ff,
    0x808000, 0x008080, 0x808080, 0xc0c0c0, 0x00ff00, 0xffff00, 0x00ffff, 0xffffff,
    0x3f3f3f, 0xa00050, 0x805f00, 0x3f3f00, 0x4040ff, 0x0000a0, 0xff7f00, 0x7f00ff,
    0xff7f7f, 0x003f7f, 0x3ac2c2, 0x3f7fff, 0x00ff80, 0xffff7f, 0x7fff00, 0x7fffff,
};

Colour builtin_palette(int i) { return kPalette[(i % 32 + 32) % 32]; }
Colour (*palette_)(int) = builtin_palette;

constexpr Colour kWhite = 0xFFFFFF;
const Pen kBlackPen{1, 0, 0};

ObjEnv defaults_;

template <class F>
const F& hook(const F& own, const F& fallback) { return own ? own : fallback; }

std::shared_ptr<const Dib> icon_of(const ObjEnv& env, int n) {
    const auto& f = hook(env.icon_bitmap, defaults_.icon_bitmap);
    return f ? f(n) : nullptr;
}
std::optional<double> value_of(const ObjEnv& env, Key key) {
    const auto& f = hook(env.value, defaults_.value);
    return f ? f(key) : view_obj_value(key);
}
ObjClock now_of(const ObjEnv& env) {
    const auto& f = hook(env.now, defaults_.now);
    return f ? f() : ObjClock{};
}

int32_t param(const ObjEnv& env, int code) { return env.param ? env.param(code) : 0; }
Colour colour_of(const ObjEnv& env, int index) { return env.colour ? env.colour(index) : obj_palette_colour(index); }

unsigned align_flag(int align) { return align == 5 ? kDtLeft : kDtCenter; }

// Whole-number a x b / c rounded, as the platform's MulDiv; c = 0 gives a (no scaling).
int mul_div(int a, int b, int c) {
    if (c == 0) return a;
    return obj_round(static_cast<double>(a) * b / c);
}

// Nothing of an object reaches past its recorded rectangle by more than its text can spill
// (wrapped text below a figure, handles): skip painting when that area is not visible.
bool hidden(const Canvas& c, int l, int t, int r, int b, int line_h) {
    int m = 3 * std::abs(line_h) + std::abs(t - b) + 40;
    return !c.visible({l - m, t + m, r + m, b - m});
}

// A point of a figure: its x and y by their places in the figure's xs and ys.
constexpr uint8_t at(int x, int y) { return static_cast<uint8_t>(x << 2 | y); }

// The edge highlight: white lines along the lit edges of the rectangle xs[0], ys[b1], xs[1], ys[d1].
void add_highlight(ObjRectFigure& f, Colour edge, int b1, int d1, const std::optional<ObjLight>& light) {
    if (edge != kWhite || !light) return;
    const Pen white{1, 0, kWhite};
    int x = light->lx >= 0 ? 0 : 1;
    f.steps[f.n++] = {false, white, {at(x, b1), at(x, d1)}, 2};
    int y = light->ly > 0 ? d1 : b1;
    f.steps[f.n++] = {false, white, {at(0, y), at(1, y)}, 2};
}

void draw_steps(Canvas& c, const ObjRectFigure& f) {
    // Kept between objects: an allocation per object is a good part of a million.
    static std::vector<Pt> points;
    for (int i = 0; i < f.n; ++i) {
        const ObjFigureStep& s = f.steps[i];
        c.set_pen(s.pen);
        if (s.rect) {
            const Pt a = f.point(s, 0), b = f.point(s, 1);
            c.rectangle({a.x, a.y, b.x, b.y});
        } else if (s.n == 2) {
            c.line(f.point(s, 0), f.point(s, 1));
        } else {
            points.clear();
            for (int k = 0; k < s.n; ++k) points.push_back(f.point(s, k));
            c.polyline(points);
        }
    }
}

// Box, Bar or Square of a size other than 0.
void rect_figure(const ObjEnv& env, const ObjDrawArgs& a, ObjRectFigure& f) {
    const int h = (a.size - 5) * 3 / 2 + a.line_h, w2 = a.text_w / 2, X = a.x, Y = a.y;
    f.n = 0;
    f.f2 = 1;
    if (a.shape == kShapeBox) {
        int l = X - w2 - 15, r = l + a.text_w + 30, t = Y + h, b = Y - h;
        // The setting only counts for fixed width.
        int d = obj_box_depth(a.picture_name.size(), a.fixed, a.fixed ? param(env, 228) : 0);
        const Pen pen{3, 0, colour_of(env, a.colour)};
        f.cull = {l, t + d, r + d, b};
        f.record = {l, t, r, b};
        f.f1 = 0;
        // The outline of its depth, then the box.
        f.xs[0] = l, f.xs[1] = r, f.xs[2] = l + d, f.xs[3] = r + d, f.nx = 4;
        f.ys[0] = t, f.ys[1] = b, f.ys[2] = t + d, f.ys[3] = b + d, f.ny = 4;
        f.steps[f.n++] = {false, pen, {at(0, 0), at(2, 2), at(3, 2), at(3, 3), at(1, 1)}, 5};
        f.steps[f.n++] = {false, pen, {at(3, 2), at(1, 0)}, 2};
        f.steps[f.n++] = {true, kBlackPen, {at(0, 1), at(1, 0)}, 2};
        add_highlight(f, a.edge, 1, 0, a.light);
        return;
    }
    int l, t, r, b;
    if (a.shape == kShapeBar) {
        int s97 = param(env, 97);
        bool fixed = obj_fixed_width_applies(a.fixed, s97);
        if (fixed) {
            int w = 5 * s97;
            l = X - w / 2;
            r = l + w;
        } else {
            l = X - w2 - 15;
            r = X - w2 + a.text_w + 15;
        }
        t = Y + h;
        b = Y - h;
        f.f1 = fixed ? 1 : 0;
    } else {
        int d = 5 * a.size + 45;
        l = X - d, t = Y + d, r = X + d, b = Y - d;
        f.f1 = 1;
    }
    f.cull = f.record = {l, t, r, b};
    f.xs[0] = l, f.xs[1] = r, f.nx = 2;
    f.ys[0] = t, f.ys[1] = b, f.ny = 2;
    f.steps[f.n++] = {true, kBlackPen, {at(0, 0), at(1, 1)}, 2};
    add_highlight(f, a.edge, 0, 1, a.light);
}

void record_and_text(Canvas& c, const ObjEnv& env, const ObjDrawArgs& a, Rc rec, int f1, int f2) {
    obj_rect_record(c, env, a.key, a.marked, a.level, rec.left, rec.top, rec.right, rec.bottom, f1, f2, a.light);
}

// Ellipse and Circle: outline, edge highlight, record (marker F1 differs), wrapped text.
void round_figure(Canvas& c, const ObjEnv& env, const ObjDrawArgs& a, Rc f, int f1) {
    auto [l, t, r, b] = f;
    if (hidden(c, l, t, r, b, a.line_h)) { record_and_text(c, env, a, f, f1, 1); return; }
    c.set_pen(kBlackPen);
    c.ellipse(f);
    c.set_pen({1, 0, a.edge});
    obj_ellipse_highlight(a.edge, a.light, c, l, t, r, b, (t + b) / 2);
    record_and_text(c, env, a, f, f1, 1);
    obj_text_draw(c, 1, l, t, r, b, a.text_w, a.line_h, a.align, a.text);
}

void draw_icon_rules(Canvas& c, const ObjEnv& env, const ObjDrawArgs& a, int icon) {
    int s227 = param(env, 227);
    bool beside = obj_fixed_width_applies(a.fixed, s227);
    // Cull on the square the icon painter will use.
    int s = a.size - 5;
    int l = a.x - s - 50, t = a.y + s + 81, r = l + 2 * s + 100, b = t - (2 * s + 100);
    if (hidden(c, l, t, beside ? r + 50 + 5 * s227 : r, b, a.line_h)) {
        if (beside)
            record_and_text(c, env, a, {l, t - 10, r + 50 + 5 * s227, b}, 1, 1);
        else
            record_and_text(c, env, a, {l - 25, t + 15, r + 25, b - 65}, 1, 1);
        return;
    }
    Rc sq = obj_icon_draw(c, env, icon, a.size, a.x, a.y, a.colour, a.edge, a.light);
    if (beside) {
        int l2 = sq.right + 50, t2 = sq.top - 10, r2 = l2 + 5 * s227, b2 = sq.bottom;
        record_and_text(c, env, a, {sq.left, sq.top - 10, r2, sq.bottom}, 1, 1);
        obj_icon_live(icon, c, env, sq.left, sq.top, sq.right, sq.bottom, a.picture_name, a.key, a.colour);
        if (!a.text.empty())
            c.draw_text({l2, t2, r2, b2}, a.text, kDtLeft | kDtWordBreak | kDtNoPrefix | kDtNoClip);
    } else {
        record_and_text(c, env, a, {sq.left - 25, sq.top + 15, sq.right + 25, sq.bottom - 65}, 1, 1);
        obj_icon_live(icon, c, env, sq.left, sq.top, sq.right, sq.bottom, a.picture_name, a.key, a.colour);
        obj_text_draw(c, 1, sq.left - 25, sq.bottom, sq.right + 25, sq.bottom - 65, a.text_w, a.line_h,
                      a.align, a.text);
    }
}

bool draw_metafile_rule(Canvas& c, const ObjEnv& env, const ObjDrawArgs& a) {
    const auto& load = hook(env.metafile, defaults_.metafile);
    if (!load) return false;
    auto m = load(a.key, a.picture_name);
    if (!m) return false;
    if (m->width <= 0) {
        if (m->release) m->release();
        return false;
    }
    Pt d = c.lp_to_dp({a.x, a.y});
    double wd = static_cast<double>(env.zoom_percent) * a.size * (env.device_measure * (c.printing() ? 0.0068 : 0.00055));
    double hd = wd * m->height / m->width;
    Rc dev{obj_round(d.x - wd / 2), obj_round(d.y - hd / 2), obj_round(d.x + wd / 2), obj_round(d.y + hd / 2)};
    c.draw_metafile(m->handle, dev);
    if (m->release) m->release();
    Pt p0 = c.dp_to_lp({dev.left, dev.top}), p1 = c.dp_to_lp({dev.right, dev.bottom});
    c.set_text_colour(colour_of(env, a.colour));
    int bottom = p1.y - 2 * a.line_h - 10;
    obj_text_draw(c, 1, p0.x, p1.y, p1.x, bottom, a.text_w, a.line_h, a.align, a.text);
    record_and_text(c, env, a, {p0.x, p0.y, p1.x, bottom}, 1, 1);
    return true;
}

bool name_is_ico(std::string_view name) {
    std::string low(name);
    for (char& ch : low) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return low.find(".ico") != std::string::npos;
}

void draw_ico_rule(Canvas& c, const ObjEnv& env, const ObjDrawArgs& a) {
    int d = 10 * a.size;
    c.set_text_colour(colour_of(env, a.colour));
    int l = a.x - d / 2, r = l + d, t = a.y + d / 2, b = t - d;
    if (!hidden(c, l, t, r, b, a.line_h)) {
        const auto& load = hook(env.icon_file, defaults_.icon_file);
        const void* icon = load ? load(a.picture_name) : nullptr;
        c.draw_icon(icon, {l, t, r, b});
        obj_text_draw(c, 1, l, b, r, b - 2 * a.line_h, a.text_w, a.line_h, a.align, a.text);
    }
    record_and_text(c, env, a, {l, t, r, b - 2 * a.line_h}, 1, 1);
}

bool draw_bitmap_rule(Canvas& c, const ObjEnv& env, const ObjDrawArgs& a) {
    const auto& load = hook(env.picture, defaults_.picture);
    if (!load) return false;
    auto bmp = load(a.key, a.picture_name);
    if (!bmp || bmp->width <= 0) return false;
    c.set_text_colour(colour_of(env, a.colour));
    double f = 0.2 * (a.size - 5) + 1.5;
    int wd = obj_round(bmp->width * f), hd = obj_round(bmp->height * f);
    int l = a.x - wd / 2, r = l + wd, t = a.y + hd / 2, b = t - hd;
    if (!hidden(c, l, t, r, b, a.line_h)) {
        obj_bitmap_draw(c, env, *bmp, l, t, r, b);
        obj_text_draw(c, 1, l, b, r, b - 2 * a.line_h, a.text_w, a.line_h, a.align, a.text);
    }
    record_and_text(c, env, a, {l, t, r, b - 2 * a.line_h}, 1, 1);
    return true;
}

// A Symbol's line height: the object font's, scaled as its own font's text is wider. Without
// text there is nothing to scale the line by.
int symbol_line(const ObjDrawArgs& a, int tw) { return a.text_w > 0 ? mul_div(a.line_h, tw, a.text_w) : a.line_h; }

Rc symbol_rect(const ObjDrawArgs& a, int tw, int lh) {
    int w = tw + 20;
    int l = a.x - w / 2, r = l + w, t = a.y + lh, b = t - 2 * lh - 10;
    return {l, t, r, b};
}

void draw_symbol(Canvas& c, const ObjEnv& env, const ObjDrawArgs& a, bool fixed_rule) {
    Colour col = colour_of(env, a.colour);
    if (fixed_rule) c.set_text_colour(col);
    Font kept = c.current_font();
    obj_symbol_font(c, a.size);
    int tw = c.text_extent(a.text).cx;
    int lh = symbol_line(a, tw);
    if (!fixed_rule) {
        const auto [l, t, r, b] = symbol_rect(a, tw, lh);
        if (!hidden(c, l, t, r, b, lh)) {
            obj_symbol_shadow(a.edge, a.colour, c, l, t, r, b, a.align, a.text);
            c.set_text_colour(col);
        }
        record_and_text(c, env, a, {l, t, r, b}, 0, 1);
        if (!hidden(c, l, t, r, b, lh)) obj_text_draw(c, 0, l, t, r, b, tw, lh, a.align, a.text);
    } else {
        int w = 5 * param(env, 225);
        int h = (a.size - 5) * 3 / 2 + a.line_h;
        int l = a.x - w / 2, r = l + w, t = a.y + h, b = a.y - h;
        int n = a.size / 25 + 11;
        int k = (w > 0 ? obj_round(static_cast<double>(tw) * n / w) : 0) / 10;
        if (!hidden(c, l, t, r, b, lh)) obj_text_draw(c, 1, l, t, r, b, tw, lh, a.align, a.text);
        record_and_text(c, env, a, {l, t, r, b - 2 * lh * k}, 0, 1);
    }
    c.set_font(kept);
}

void draw_line_rule(Canvas& c, const ObjEnv& env, const ObjDrawArgs& a, int h, int w2, bool line2) {
    int l = a.x - w2 - 10, r = a.x - w2 + a.text_w + 10, t = a.y + h, b = a.y - h;
    if (hidden(c, l, t, r, b, a.line_h)) {
        record_and_text(c, env, a, {l, t, r, b}, 0, line2 ? 0 : 1);
        return;
    }
    Colour col = colour_of(env, a.colour);
    c.set_text_colour(col);
    Pen kept = c.current_pen();
    c.set_pen({line2 ? 12 : 10, 0, col});
    obj_text_draw(c, 0, l, t, r, b, a.text_w, a.line_h, a.align, a.text);
    if (line2) c.line({l, t}, {r, t});
    c.line({l, b}, {r, b});
    record_and_text(c, env, a, {l, t, r, b}, 0, line2 ? 0 : 1);
    c.set_pen(kept);
}

}  // namespace

Colour obj_palette_colour(int index) { return palette_(index); }
void obj_set_env_defaults(const ObjEnv& d) { defaults_ = d; }
void obj_set_palette(Colour (*palette)(int)) { palette_ = palette ? palette : builtin_palette; }

bool obj_fixed_width_applies(bool fixed, int setting) { return fixed && setting >= 5; }

int obj_box_depth(size_t n, bool fixed, int s228) {
    if (fixed && s228 > 0) return s228;
    if (n == 0) return 0;
    if (n < 480) return static_cast<int>(n / 16);
    if (n < 1024) return static_cast<int>(30 + (n - 480) / 64);  // up to 38 just below 1024
    return static_cast<int>(std::min<size_t>(110 + (n - 1024) / 1024, 100000));
}

ClockTime obj_clock_time(int hour, int minute, std::string_view text) {
    size_t a = text.find_first_not_of(" \t\r\n"), e = text.find_last_not_of(" \t\r\n");
    double hours = 0;
    if (a != std::string_view::npos) {
        std::string_view t = text.substr(a, e - a + 1);
        if (!t.empty() && t[0] == '+') t.remove_prefix(1);
        auto res = std::from_chars(t.data(), t.data() + t.size(), hours);
        if (res.ec != std::errc() || res.ptr != t.data() + t.size() || !std::isfinite(hours)) hours = 0;
    }
    // Whole days drop out before rounding, so any offset stays in range.
    double minutes = std::fmod(hours * 60.0, 1440.0);
    int off = obj_round(minutes);
    int t = ((60 * hour + minute + off) % 1440 + 1440) % 1440;
    return {t / 60, t % 60};
}

void obj_rect_record(Canvas& c, const ObjEnv& env, Key key, bool marked, int level, int l, int t, int r,
                     int b, int f1, int f2, const std::optional<ObjLight>& light) {
    ObjRectEntry e{key, level, l, t, r, b, f1, f2, {}, 1};
    if (level > env.view_level) {
        Pt p = c.lp_to_dp({l, t}), q = c.lp_to_dp({r, b});
        e.device = {p.x, p.y, q.x, q.y};
        e.kind = 0;
    }
    obj_rect_append(e);
    // The cross of light bands goes through a spot on the object; a spot elsewhere would paint
    // bands across the diagram.
    const bool spot_on = light && std::min(l, r) <= light->lx && light->lx <= std::max(l, r) &&
                         std::min(t, b) <= light->ly && light->ly <= std::max(t, b);
    if (light && light->lx != 0 && light->ly != 0 && spot_on) {
        c.set_pen({0, 5, 0});
        c.set_brush({2, light->colour});
        c.ellipse({l, light->ly - 14, r, light->ly + 14});
        c.ellipse({light->lx - 10, t, light->lx + 10, b});
    }
    if (marked) draw_mark_corners(c, l, t, r, b);
}

void obj_text_draw(Canvas& c, int mode, int l, int t, int r, int b, int text_w, int line_h, int align,
                   std::string_view text) {
    if (text.empty()) return;
    unsigned al = align_flag(align);
    if (mode == 0 || text_w < r - l) {
        c.draw_text({l, t, r, b}, text, kDtSingleLine | al | kDtVCenter | kDtWordBreak | kDtNoPrefix);
        return;
    }
    int room = r - l - 10;
    int n = room > 0 ? text_w / room : 0;
    TextMetrics m = c.text_metrics();
    int f = m.ascent + m.descent + m.internal_leading + m.external_leading;
    int top = std::min(t, (t + b) / 2 + line_h - 4 + n * (f / 2));
    c.draw_text({l, top, r, b}, text, al | kDtWordBreak | kDtNoPrefix | kDtNoClip);
}

Font obj_symbol_font_of(const Font& object_font, int size) {
    Font f = object_font;
    int nh = std::min(-38, -std::abs(f.height) - 4 * (size - 15));
    f.height = -nh;
    return f;
}

int obj_symbol_font(Canvas& c, int size) {
    const Font f = c.current_font();
    c.set_font(obj_symbol_font_of(f, size));
    return -std::abs(f.height);
}

bool obj_symbol_record(const ObjEnv& env, const ObjDrawArgs& a, int symbol_text_w, Rc& record) {
    if (obj_fixed_width_applies(a.fixed, param(env, 225))) return false;
    record = symbol_rect(a, symbol_text_w, symbol_line(a, symbol_text_w));
    return true;
}

void obj_symbol_shadow(Colour edge, int colour, Canvas& c, int l, int t, int r, int b, int align,
                       std::string_view text) {
    if (edge == 0) return;
    c.set_text_colour(colour >= 0 && colour <= 3 ? kWhite : 0);
    int d = (t - b) / 15;
    obj_text_draw(c, 0, l + d, t - d, r + d, b - d, 0, 0, align, text);
}

void obj_rect_highlight(Canvas& c, Colour edge, int a, int b1, int cc, int d1, const std::optional<ObjLight>& light) {
    ObjRectFigure f;
    f.xs[0] = a, f.xs[1] = cc, f.nx = 2;
    f.ys[0] = b1, f.ys[1] = d1, f.ny = 2;
    add_highlight(f, edge, 0, 1, light);
    draw_steps(c, f);
}

bool obj_rect_figure(const ObjEnv& env, const ObjDrawArgs& a, ObjRectFigure& f) {
    if (a.size == 0 || (a.shape != kShapeBox && a.shape != kShapeBar && a.shape != kShapeSquare)) return false;
    rect_figure(env, a, f);
    return true;
}

namespace {
// The lit edge of an ellipse runs from the first point to the second, counter-clockwise.
std::pair<Pt, Pt> ellipse_highlight_ends(const std::optional<ObjLight>& light, int l, int r, int ym) {
    if (light && light->ly > 0) return {{l, ym}, {r, ym}};
    return {{r, ym}, {l, ym}};
}

std::pair<Pt, Pt> diamond_highlight_edge(const std::optional<ObjLight>& light, Pt top, Pt right, Pt bottom, Pt left) {
    ObjLight l = light.value_or(ObjLight{});
    bool a = l.lx >= 0, b = l.ly >= 0;
    if (a && b) return {bottom, left};
    if (a) return {top, left};
    if (b) return {right, bottom};
    return {top, right};
}

Rc ellipse_rect(const ObjDrawArgs& a) {
    if (a.shape == kShapeEllipse) {
        int d = 5 * a.size + 105, hh = d / 2;
        return {a.x - d, a.y + hh, a.x + d, a.y - hh};
    }
    int d = 5 * a.size + 50;
    return {a.x - d, a.y + d, a.x + d, a.y - d};
}

struct Diamond {
    int d, hh;
    Pt top, right, bottom, left;
};
Diamond diamond_of(const ObjDrawArgs& a) {
    int d = 5 * a.size + 125, hh = d / 2;
    return {d, hh, {a.x, a.y + hh}, {a.x + d, a.y}, {a.x, a.y - hh}, {a.x - d, a.y}};
}
}  // namespace

bool obj_round_figure(const ObjDrawArgs& a, ObjRoundFigure& f) {
    if (a.size == 0) return false;
    f.highlight = ObjRoundFigure::kNone;
    f.highlight_pen = {1, 0, kWhite};
    if (a.shape == kShapeEllipse || a.shape == kShapeCircle) {
        const Rc r = ellipse_rect(a);
        f.ellipse = true;
        f.pts[0] = {r.left, r.top};
        f.pts[1] = {r.right, r.bottom};
        f.n = 2;
        f.record = r;
        f.f1 = a.shape == kShapeCircle ? 1 : 0;
        f.f2 = 1;
        if (a.edge == kWhite) {
            f.highlight = ObjRoundFigure::kArc;
            std::tie(f.h0, f.h1) = ellipse_highlight_ends(a.light, r.left, r.right, (r.top + r.bottom) / 2);
        }
        return true;
    }
    if (a.shape == kShapeDiamond) {
        const Diamond dm = diamond_of(a);
        f.ellipse = false;
        f.pts[0] = dm.top;
        f.pts[1] = dm.right;
        f.pts[2] = dm.bottom;
        f.pts[3] = dm.left;
        f.n = 4;
        f.record = {a.x - dm.d, a.y + dm.hh, a.x + dm.d, a.y - dm.hh};
        f.f1 = f.f2 = 0;
        if (a.edge != 0) {
            f.highlight = ObjRoundFigure::kLine;
            std::tie(f.h0, f.h1) = diamond_highlight_edge(a.light, dm.top, dm.right, dm.bottom, dm.left);
        }
        return true;
    }
    return false;
}

void obj_ellipse_highlight(Colour edge, const std::optional<ObjLight>& light, Canvas& c, int l, int t, int r,
                           int b, int ym) {
    if (edge != kWhite) return;
    const auto [from, to] = ellipse_highlight_ends(light, l, r, ym);
    c.arc({l, t, r, b}, from, to);
}

void obj_diamond_highlight(Colour edge, const std::optional<ObjLight>& light, Canvas& c, Pt top, Pt right,
                           Pt bottom, Pt left) {
    if (edge == 0) return;
    c.set_pen({1, 0, kWhite});
    const auto [from, to] = diamond_highlight_edge(light, top, right, bottom, left);
    c.line(from, to);
}

std::vector<Pt> obj_polygon_points(int n, int d, int x, int y) {
    std::vector<Pt> pts;
    if (n <= 0) return pts;
    double step = 6.28319 / n;
    for (int i = 0; i < n; ++i)
        pts.push_back({obj_round(x - d * std::sin(i * step)), obj_round(y + d * std::cos(i * step))});
    return pts;
}

Sz obj_polygon_extent(int shape, int d) {
    switch (shape) {
        case 183: return {obj_round(d * 0.866), d / 2};
        case 185: return {obj_round(d * 0.951), obj_round(d * 0.809)};
        case 186: return {obj_round(d * 0.866), d};
        default: return {d, d};
    }
}

void obj_bitmap_draw(Canvas& c, const ObjEnv& env, const Dib& bitmap, int l, int t, int r, int b) {
    uint32_t rop = kRopSrcCopy;
    if (c.current_brush().pattern != 2) {
        if (const IconStyleRow* row = obj_icon_style_at(param(env, 365))) rop = row->rop;
    }
    c.draw_dib(bitmap, {l, t, r, b}, rop);
}

Rc obj_icon_draw(Canvas& c, const ObjEnv& env, int icon, int size, int x, int y, int colour, Colour edge,
                 const std::optional<ObjLight>& light) {
    int s = size - 5, side = 2 * s + 100;
    int l = x - s - 50, t = y + s + 81, r = l + side, b = t - side;
    if (auto bmp = icon_of(env, icon)) obj_bitmap_draw(c, env, *bmp, l, t, r, b);
    obj_rect_highlight(c, edge, l, t, r, b, light);
    c.set_text_colour(colour_of(env, colour));
    return {l, t, r, b};
}

void obj_icon_live(int icon, Canvas& c, const ObjEnv& env, int l, int t, int r, int b, std::string_view ext,
                   Key key, int colour) {
    switch (icon) {
        case 205: {
            ObjClock now = now_of(env);
            c.set_text_colour(0);
            c.draw_text({l, t, r, b}, std::to_string(now.day), kDtSingleLine | kDtCenter | kDtVCenter | kDtNoPrefix);
            c.set_text_colour(colour_of(env, colour));
            break;
        }
        case 203: {
            ObjClock now = now_of(env);
            ClockTime tm = obj_clock_time(now.hour, now.minute, ext);
            c.set_pen(kBlackPen);
            Pt ctr{(l + r) / 2, (t + b) / 2};
            auto hand = [&](int len, double angle) {
                c.line(ctr, {obj_round(ctr.x + len * std::sin(angle)), obj_round(ctr.y + len * std::cos(angle))});
            };
            hand((r - l) / 3, tm.minute * 0.1047197);
            hand((r - l) / 4, (tm.hour + tm.minute * 0.0166667) * 0.5235987);
            break;
        }
        case 224: {
            auto v = value_of(env, key);
            if (!v || std::isnan(*v)) break;
            // A formula may give anything; the needle stays on the dial.
            double val = std::clamp(*v, 0.0, 1.0);
            c.set_pen({1, 0, 0x0000FF});
            int d = (r - l) / 9;
            int x = obj_round(l + d + val * (r - l - 2 * d));
            c.line({x, t - 2 * d}, {x, b + 2 * d});
            break;
        }
        case 929: {
            auto v = value_of(env, key);
            if (!v) break;
            Colour lamp = 0x00FFFF;
            int pos = 0;
            if (*v == 0) { lamp = 0x0000FF; pos = 1; }
            else if (*v == 1) { lamp = 0x00FF00; pos = -1; }
            c.set_pen({1, 0, kWhite});
            c.set_brush({2, lamp});
            int rad = (r - l + 1) / 8;
            int cx = (l + r) / 2, cy = (t + b) / 2 + 2 * rad * pos;
            c.ellipse({cx - rad, cy + rad, cx + rad, cy - rad});
            break;
        }
        default: break;
    }
}

void obj_draw(Canvas& c, const ObjEnv& env, const ObjDrawArgs& a) {
    const int h = (a.size - 5) * 3 / 2 + a.line_h;
    const int w2 = a.text_w / 2;
    const int X = a.x, Y = a.y;

    if (a.size == 0) {
        int l = X - 15, t = Y + 15, r = X + 15, b = Y - 15;
        record_and_text(c, env, a, {l, t, r, b}, 0, 0);
        obj_text_draw(c, 1, l, b, r, b - 2 * a.line_h, a.text_w, a.line_h, a.align, a.text);
        return;
    }
    switch (a.shape) {
        case kShapeBox:
        case kShapeBar:
        case kShapeSquare: {
            ObjRectFigure f;
            rect_figure(env, a, f);
            const auto [l, t, r, b] = f.record;
            const bool shown = !hidden(c, f.cull.left, f.cull.top, f.cull.right, f.cull.bottom, a.line_h);
            if (shown) draw_steps(c, f);
            if (a.shape == kShapeSquare) {
                if (shown) obj_text_draw(c, 1, l, t, r, b, a.text_w, a.line_h, a.align, a.text);
                record_and_text(c, env, a, f.record, f.f1, f.f2);
            } else if (a.shape == kShapeBox) {
                record_and_text(c, env, a, f.record, f.f1, f.f2);
                obj_text_draw(c, 0, l, t, r, b, a.text_w, a.line_h, a.align, a.text);
            } else {
                record_and_text(c, env, a, f.record, f.f1, f.f2);
                // Fixed width wraps the text in the bar.
                if (shown) obj_text_draw(c, f.f1, l, t, r, b, f.f1 ? r - l : a.text_w, a.line_h, a.align, a.text);
            }
            return;
        }
        case kShapeEllipse:
        case kShapeCircle:
            return round_figure(c, env, a, ellipse_rect(a), a.shape == kShapeCircle ? 1 : 0);
        case kShapePicture:
        case kShapePictureFile: {
            if (draw_metafile_rule(c, env, a)) return;
            if (a.shape == kShapePictureFile && name_is_ico(a.picture_name)) {
                draw_ico_rule(c, env, a);
                return;
            }
            if (draw_bitmap_rule(c, env, a)) return;
            if (a.shape == kShapePictureFile) draw_icon_rules(c, env, a, 208);
            return;
        }
        case kShapeDiamond: {
            const auto [d, hh, top, right, bottom, left] = diamond_of(a);
            if (!hidden(c, X - d, Y + hh, X + d, Y - hh, a.line_h)) {
                c.set_pen(kBlackPen);
                c.polygon({top, right, bottom, left});
                obj_diamond_highlight(a.edge, a.light, c, top, right, bottom, left);
                obj_text_draw(c, 1, X - d, Y + hh, X + d, Y - hh, a.text_w, a.line_h, a.align, a.text);
            }
            record_and_text(c, env, a, {X - d, Y + hh, X + d, Y - hh}, 0, 0);
            return;
        }
        case kShapeSymbol:
            draw_symbol(c, env, a, obj_fixed_width_applies(a.fixed, param(env, 225)));
            return;
        case kShapeLine2:
            draw_line_rule(c, env, a, h, w2, true);
            return;
        case kShapeLine1:
            draw_line_rule(c, env, a, h, w2, false);
            return;
        default: break;
    }
    if (a.shape > 200) {
        draw_icon_rules(c, env, a, a.shape);
        return;
    }
    if (a.shape >= kShapePolygon3 && a.shape <= kShapePolygon8) {
        int n = a.shape - 180, d = 5 * a.size + 45;
        Sz ext = obj_polygon_extent(a.shape, d);
        int l = X - ext.cx, t = Y + d, r = X + ext.cx, b = Y - ext.cy;
        if (!hidden(c, l, t, r, b, a.line_h)) {
            std::vector<Pt> pts = obj_polygon_points(n, d, X, Y);
            c.set_pen(kBlackPen);
            c.polygon(pts);
            c.set_pen({1, 0, a.edge});
            c.line(pts[0], pts[1]);
            obj_text_draw(c, 1, l, t, r, b, a.text_w, a.line_h, a.align, a.text);
        }
        record_and_text(c, env, a, {l, t, r, b}, 1, 1);
    }
}
