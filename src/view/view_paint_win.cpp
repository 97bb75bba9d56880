// The paint pass of the diagram window: background, then for each shown level (lower levels
// first, smaller) shapes, objects, links and points in the document's order, into a memory
// bitmap that is copied to the window. Only what meets the update region is drawn; every object
// and link still records where it lies, so hit tests and link ends see the whole level.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

#include "bars/sbar.h"
#include "bars/tbar.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "document/globals.h"
#include "document/spatial.h"
#include "document/view.h"
#include "elements/bg.h"
#include "elements/bg_win.h"
#include "elements/canvas_win.h"
#include "elements/draw.h"
#include "elements/draw_win.h"
#include "elements/font.h"
#include "elements/link.h"
#include "elements/link_label.h"
#include "elements/link_paint.h"
#include "elements/link_route.h"
#include "elements/obj.h"
#include "elements/obj_paint.h"
#include "elements/obj_win.h"
#include "elements/point.h"
#include "elements/shape.h"
#include "resources/ids.h"
#include "view/view_cmd.h"
#include "view/view_win.h"

namespace {
std::vector<ObjBox> g_objs;
std::vector<uint32_t> g_places;  // the document place of each objrect_ entry
std::vector<LinkPath> g_links;
ViewOverlay g_overlay;

// One back buffer for the window, kept between paints and re-made only when the size changes.
// A 32-bit DIB section, so that the canvas can set the pixels of small figures itself. A paint
// that never ended (the system abandoned it half-way, or an exception left it) may have left a
// clip, a mapping or objects in the DC: the next paint then takes a fresh DC.
struct BackBuffer {
    HDC dc = nullptr;
    HBITMAP bmp = nullptr, old = nullptr;
    uint32_t* bits = nullptr;
    int w = 0, h = 0;
    bool painting = false;  // between begin and end
    HDC begin(HDC screen, int cw, int ch) {
        if (painting || cw > w || ch > h) release_dc();
        if (!bmp || cw > w || ch > h) {
            drop_bitmap();
            w = std::max(1, cw);
            h = std::max(1, ch);
            BITMAPINFO bi{};
            bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
            void* p = nullptr;
            bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
            bits = static_cast<uint32_t*>(p);
            if (!bmp) bmp = CreateCompatibleBitmap(screen, w, h);
        }
        if (!dc) {
            dc = CreateCompatibleDC(screen);
            old = static_cast<HBITMAP>(SelectObject(dc, bmp));
        }
        painting = true;
        return dc;
    }
    // The DC is as the paint found it again.
    void end() { painting = false; }
    void release_dc() {
        if (!dc) return;
        SelectObject(dc, old);
        DeleteDC(dc);
        dc = nullptr;
        old = nullptr;
    }
    void drop_bitmap() {
        if (bmp) DeleteObject(bmp);
        bmp = nullptr;
        bits = nullptr;
        w = h = 0;
    }
    ~BackBuffer() {
        release_dc();
        drop_bitmap();
    }
};
BackBuffer g_buffer;

// A mapping's to_device with its origin and scale worked out once: painters ask for thousands
// of points a paint.
class QuickMapping {
public:
    explicit QuickMapping(const ViewMapping& m) { set(m); }
    void set(const ViewMapping& m) {
        map_ = m;
        origin_ = m.origin();
        scale_ = m.scale();
    }
    const ViewMapping& mapping() const { return map_; }
    Pt to_device(Pt p) const {
        if (map_.page) return map_.to_device(p);
        return {origin_.x + round_half(p.x * scale_), origin_.y - round_half(p.y * scale_)};
    }
    // Whether the rectangle's pixels, grown by `slack`, meet `area`; without rounding, which
    // costs more than the rest of the test here.
    bool meets(const Rc& r, const Rc& area, int slack) const {
        if (map_.page) {
            Pt a = to_device({r.left, r.top}), b = to_device({r.right, r.bottom});
            return std::max(a.x, b.x) + slack >= area.left && std::min(a.x, b.x) - slack < area.right &&
                   std::max(a.y, b.y) + slack >= area.top && std::min(a.y, b.y) - slack < area.bottom;
        }
        const double x1 = origin_.x + r.left * scale_, x2 = origin_.x + r.right * scale_;
        const double y1 = origin_.y - r.top * scale_, y2 = origin_.y - r.bottom * scale_;
        return std::max(x1, x2) + slack >= area.left && std::min(x1, x2) - slack < area.right &&
               std::max(y1, y2) + slack >= area.top && std::min(y1, y2) - slack < area.bottom;
    }

private:
    // Nearest, halves away from zero, as the mapping rounds. lrint (halves to even) takes one
    // instruction where floor and ceil switch the processor's rounding mode twice each.
    static int round_half(double v) {
        long r = std::lrint(v);
        const double d = v - static_cast<double>(r);
        if (d == 0.5 && v > 0) ++r;
        else if (d == -0.5 && v < 0) --r;
        return static_cast<int>(r);
    }
    ViewMapping map_;
    Pt origin_;
    double scale_ = 1;
};

// Keeps what painters record (conversions, text measures) but draws nothing: items outside the
// update region go through it so their geometry is known without the cost of drawing them.
class GeometryCanvas : public NullCanvas {
public:
    GeometryCanvas(Canvas& real, const ViewMapping& m) : real_(real), map_(m) {}
    void set_mapping(const ViewMapping& m) { map_.set(m); }
    void set_pen(const Pen& p) override { pen_ = p; }
    void set_brush(const Brush& b) override { brush_ = b; }
    void set_font(const Font& f) override { real_.set_font(f); }
    Sz text_extent(std::string_view s) override { return real_.text_extent(s); }
    TextMetrics text_metrics() override { return real_.text_metrics(); }
    Font current_font() const override { return real_.current_font(); }
    Brush current_brush() const override { return brush_; }
    Pen current_pen() const override { return pen_; }
    bool visible(const Rc&) const override { return false; }
    Pt lp_to_dp(Pt p) const override { return map_.to_device(p); }
    Pt dp_to_lp(Pt p) const override { return map_.mapping().to_logical(p); }
    double units_per_pixel() const override { return real_.units_per_pixel(); }
    bool printing() const override { return real_.printing(); }

private:
    Canvas& real_;
    QuickMapping map_;
    Pen pen_;
    Brush brush_;
};

// Forwards everything to the real canvas but leaves out text whose area (grown by what wrapped
// or unclipped text can spill) lies outside the update region: laying out text is the dearest
// call of a paint, and most items of a large level are outside it.
class CullingCanvas : public Canvas {
public:
    // Text smaller than min_text_units (a few pixels) is not drawn at all: unreadable, and dear.
    CullingCanvas(Canvas& real, int min_text_units) : real_(real), min_text_(min_text_units) {}
    void set_pen(const Pen& p) override { real_.set_pen(p); }
    void set_brush(const Brush& b) override { real_.set_brush(b); }
    void set_font(const Font& f) override { real_.set_font(f); }
    void set_text_colour(Colour c) override { real_.set_text_colour(c); }
    void set_text_bk(bool o, Colour c) override { real_.set_text_bk(o, c); }
    void set_mix(int m) override { real_.set_mix(m); }
    void line(Pt a, Pt b) override { real_.line(a, b); }
    void polyline(const std::vector<Pt>& p) override { real_.polyline(p); }
    void polygon(const std::vector<Pt>& p) override { real_.polygon(p); }
    void rectangle(const Rc& r) override { real_.rectangle(r); }
    void round_rect(const Rc& r, int w, int h) override { real_.round_rect(r, w, h); }
    void ellipse(const Rc& r) override { real_.ellipse(r); }
    void arc(const Rc& r, Pt a, Pt b) override { real_.arc(r, a, b); }
    void pie(const Rc& r, Pt a, Pt b) override { real_.pie(r, a, b); }
    void fill_rect(const Rc& r, Colour c) override { real_.fill_rect(r, c); }
    bool draws_text(const Font& f) const { return std::abs(f.height) >= min_text_; }
    void text(Pt at, std::string_view s) override {
        if (!draws_text(real_.current_font())) return;
        int reach = 4 * std::abs(real_.current_font().height) * static_cast<int>(std::min<size_t>(s.size(), 200) + 1);
        if (real_.visible({at.x - reach, at.y + reach, at.x + reach, at.y - reach})) real_.text(at, s);
    }
    Sz text_extent(std::string_view s) override { return real_.text_extent(s); }
    void draw_text(const Rc& r, std::string_view s, unsigned flags) override {
        if (!draws_text(real_.current_font())) return;
        Rc n = normalised(r);
        int spill = std::max(n.right - n.left, n.top - n.bottom) + 4 * std::abs(real_.current_font().height) + 40;
        if (real_.visible(grown(n, spill))) real_.draw_text(r, s, flags);
    }
    TextMetrics text_metrics() override { return real_.text_metrics(); }
    Font current_font() const override { return real_.current_font(); }
    Brush current_brush() const override { return real_.current_brush(); }
    Pen current_pen() const override { return real_.current_pen(); }
    bool visible(const Rc& r) const override {
        if (!screen_) return real_.visible(r);
        // Pixels more on each side than the mapping rounds to: never false where GDI would draw.
        return quick_.meets(r, update_, 2);
    }
    Pt lp_to_dp(Pt p) const override { return points_ ? quick_.to_device(p) : real_.lp_to_dp(p); }
    Pt dp_to_lp(Pt p) const override { return points_ ? screen_->to_logical(p) : real_.dp_to_lp(p); }
    // On screen the window's mapping (and update rectangle, in pixels) answer what is visible
    // without asking GDI, a call per object. With `points` the conversions go through the
    // mapping too, as the geometry canvas's do; for hit-test places, not for pixels.
    void set_screen(const ViewMapping* m, const Rc& update) {
        screen_ = m;
        if (m) quick_.set(*m);
        update_ = update;
        points_ = false;
    }
    void map_points(bool on) { points_ = on && screen_; }
    void draw_dib(const Dib& d, const Rc& dst, uint32_t rop) override { real_.draw_dib(d, dst, rop); }
    void draw_metafile(const void* emf, const Rc& dst) override { real_.draw_metafile(emf, dst); }
    void draw_icon(const void* icon, const Rc& dst) override { real_.draw_icon(icon, dst); }
    double units_per_pixel() const override { return real_.units_per_pixel(); }
    bool printing() const override { return real_.printing(); }

private:
    Canvas& real_;
    int min_text_;
    const ViewMapping* screen_ = nullptr;
    QuickMapping quick_{ViewMapping{}};
    Rc update_;
    bool points_ = false;
};

Colour palette(int index) { return tbar_color_or(index, 0); }

// Setting 363, the shadow light source: 0 Auto and 2 Left-Top light the left and top edges,
// 1 None lights none, 3 Right-Top, 4 Right-Bottom and 5 Left-Bottom the edges they name.
std::optional<ObjLight> view_light(int32_t setting) {
    switch (setting) {
    case 1: return std::nullopt;
    case 3: return ObjLight{-1, 0, 0xFFFFFF};
    case 4: return ObjLight{-1, 1, 0xFFFFFF};
    case 5: return ObjLight{0, 1, 0xFFFFFF};
    default: return ObjLight{};
    }
}

struct TextWidths;

struct PaintCtx {
    const Document& doc;
    Canvas& real;
    GeometryCanvas geom;
    ObjEnv env;
    Rc clip;  // diagram units of the level being painted
    Rc clip_box;  // the same with its top above its bottom
    int current_level;
    bool lower;  // a level below the current one
    bool marks = true;  // handles of what is marked; never on paper
    std::vector<bool> marked;  // by place in the document's objects
    std::unordered_set<uint32_t> marked_links;  // from << 16 | to
    Font obj_font, alt_font, label_font;
    LinkPaintOptions link_options;
    // Where each object of the level being painted lies in objrect_ (its first entry) + 1, by key.
    std::vector<uint32_t> painted = std::vector<uint32_t>(65536);
    bool geometry_only = false;  // record where objects go without drawing them
    bool printing = false;
    const std::unordered_map<Key, int>* seq_numbers = nullptr;
    std::optional<ObjLight> light = ObjLight{};
    CullingCanvas* culling = nullptr;
    GdiCanvas* gdi = nullptr;  // the canvas under `culling`
    ObjRectFigure figure;      // kept between objects
    ObjRoundFigure round;
    std::string width_zoom;    // what text widths depend on besides the font
    std::vector<std::pair<Font, TextWidths*>> symbol_widths;  // of the Symbol fonts met
    TextWidths* widths = nullptr;  // one per object font
    int line_h[2] = {};             // of the object font and the alternative one
    int widest = 0;                 // the widest fixed width a setting asks for
    LevelIndex* index = nullptr;
    PaintCtx(const Document& d, Canvas& c, const ViewMapping& m) : doc(d), real(c), geom(c, m) {}
    // Settings do not change during a paint, and painters ask for several per object.
    int32_t param(int code) const {
        if (code < 0 || code >= static_cast<int>(params.size())) return doc.param(code);
        int64_t& v = params[static_cast<size_t>(code)];
        if (v == kUnread) v = doc.param(code);
        return static_cast<int32_t>(v);
    }
    static constexpr int64_t kUnread = INT64_MIN;
    mutable std::vector<int64_t> params = std::vector<int64_t>(1024, kUnread);
    Canvas& for_area(const Rc& r) { return intersects(r, clip) ? real : static_cast<Canvas&>(geom); }
};

// Shapes paint from their records; the marked ones show their handles on the current level.
void paint_shape(PaintCtx& p, const Shape& s) {
    if (!intersects(normalised(shape_extent(s)), p.clip)) return;
    Canvas& c = p.real;
    shape_paint(c, s, p.doc.param(204));
    if (p.marks && !p.lower && std::find(marked_shape_.begin(), marked_shape_.end(), s.key) != marked_shape_.end()) {
        Rc n = normalised({s.left, s.top, s.right, s.bottom});
        draw_mark_corners(c, n.left, n.top, n.right, n.bottom);
    }
}

// Widths of object texts, kept between paints while the fonts and the zoom stay the same:
// measuring every text of a large level again is a good part of a repaint.
struct TextWidths {
    std::string signature;
    std::unordered_map<std::string, int> widths;
    // Text too small to draw still sizes its figure: there the sum of each character's width
    // serves, which spares measuring (and keeping) each of a million texts at Zoom Fit.
    std::vector<int64_t> chars;  // the width of 16 of each
    void clear() {
        widths.clear();
        chars.clear();
    }
    int get(Canvas& c, const Font& f, std::string_view text, bool unreadable) {
        if (unreadable) {
            if (chars.empty()) {
                c.set_font(f);
                chars.resize(256);
                // A run of each character, so that what the mapping rounds is one unit in 16.
                for (int i = 0; i < 256; ++i) chars[i] = c.text_extent(std::string(16, static_cast<char>(i))).cx;
            }
            int64_t sum = 0;
            for (unsigned char ch : text) sum += chars[ch];
            // Sixteenths to whole units, halves to even.
            int64_t units = sum >> 4;
            const int64_t rest = sum & 15;
            if (rest > 8 || (rest == 8 && (units & 1))) ++units;
            return static_cast<int>(units);
        }
        auto it = widths.find(std::string(text));
        if (it != widths.end()) return it->second;
        c.set_font(f);
        int w = c.text_extent(text).cx;
        if (widths.size() > 200000) widths.clear();
        widths.emplace(std::string(text), w);
        return w;
    }
};
// The window's, and a picture's own so that making one does not empty the window's.
TextWidths g_widths[2], g_picture_widths[2];
// Symbols' texts in their own fonts, by font and zoom.
std::unordered_map<std::string, TextWidths> g_symbol_widths;

std::string width_signature(const Font& f, const std::string& zoom) {
    return f.face + "/" + std::to_string(f.height) + "/" + std::to_string(f.weight) + "/" + std::to_string(f.italic) + "/" + zoom;
}

TextWidths& symbol_widths(PaintCtx& p, const Font& f) {
    for (auto& [font, w] : p.symbol_widths)
        if (font == f) return *w;
    const std::string sig = width_signature(f, p.width_zoom);
    if (g_symbol_widths.size() > 64 && !g_symbol_widths.count(sig)) {
        g_symbol_widths.clear();
        p.symbol_widths.clear();
    }
    TextWidths& w = g_symbol_widths[sig];
    w.signature = sig;
    p.symbol_widths.emplace_back(f, &w);
    return w;
}

// Whether the record is painted as it stands, without the copy drawable() makes.
bool drawable_as_is(const Obj& o) {
    auto in = [](int32_t v, int32_t max) { return v >= -max && v <= max; };
    return in(o.x, kPaintedCoordMax) && in(o.y, kPaintedCoordMax) && in(o.size, kPaintedSizeMax) && o.id.size() <= kPaintedTextMax;
}

// The object as it is painted: far-out places clamped, sizes out of range at the default, the
// text cut to what can show. The record keeps its values; `tmp` holds the copy when one is needed.
const Obj& drawable(const Obj& o, Obj& tmp) {
    auto out = [](int32_t v, int32_t max) { return v < -max || v > max; };
    if (drawable_as_is(o)) return o;
    tmp.key = o.key;
    tmp.id.assign(o.id, 0, std::min(o.id.size(), kPaintedTextMax));
    tmp.level = o.level;
    tmp.x = std::clamp(o.x, -kPaintedCoordMax, kPaintedCoordMax);
    tmp.y = std::clamp(o.y, -kPaintedCoordMax, kPaintedCoordMax);
    tmp.colour = o.colour;
    tmp.action = o.action;
    tmp.shape = o.shape;
    tmp.size = out(o.size, kPaintedSizeMax) ? kPaintedSizeDefault : o.size;
    tmp.flags = o.flags;
    tmp.geom = o.geom;
    tmp.extra = o.extra;
    tmp.ext = o.ext;
    return tmp;
}

// An object whose text is too small to show, as most of a crowded level far out of zoom: the
// pixels of a Box, Bar, Square, Ellipse, Circle or Diamond are set in the back buffer as drawing
// it would set them, without the calls; a Symbol, all text, only records where it lies. `off`
// (outside the update area, or only its place wanted): nothing is drawn, its place is recorded.
// False when it must be drawn. Not asked whether it is visible: the raster keeps to the update
// area, as GDI's clipping does.
bool paint_small(PaintCtx& p, const ObjDrawArgs& a, const Brush& brush, const Font& font, bool off) {
    if (!off && !p.gdi) return false;
    Rc r;
    int f1 = 0, f2 = 1;
    if (obj_rect_figure(p.env, a, p.figure)) {
        if (!off && !p.gdi->raster_figure(p.figure, brush)) return false;
        r = p.figure.record, f1 = p.figure.f1, f2 = p.figure.f2;
    } else if (obj_round_figure(a, p.round)) {
        if (!off && !p.gdi->raster_round(p.round, brush)) return false;
        r = p.round.record, f1 = p.round.f1, f2 = p.round.f2;
    } else if (a.shape == kShapeSymbol && !a.text.empty()) {
        const Font sf = obj_symbol_font_of(font, a.size);
        if (p.culling->draws_text(sf)) return false;
        const int tw = symbol_widths(p, sf).get(p.real, sf, a.text, true);
        if (!obj_symbol_record(p.env, a, tw, r)) return false;
    } else {
        return false;
    }
    obj_rect_record(off ? static_cast<Canvas&>(p.geom) : p.real, p.env, a.key, a.marked, a.level, r.left, r.top, r.right,
                    r.bottom, f1, f2, a.light);
    return true;
}

void paint_object(PaintCtx& p, const Obj& record) {
    std::optional<Obj> clamped;
    const Obj& o = drawable_as_is(record) ? record : drawable(record, clamped.emplace());
    if (p.printing && (o.flags & kFlagNoPrint)) return;
    bool alt = o.flags & kFlagAltFont;
    std::optional<Font> underlined;
    if (o.flags & kFlagUnderline) {
        underlined = alt ? p.alt_font : p.obj_font;
        underlined->underline = true;
    }
    const Font& f = underlined ? *underlined : alt ? p.alt_font : p.obj_font;
    std::string_view text = (o.flags & kFlagNoId) ? std::string_view{} : std::string_view{o.id};
    std::string with_value;
    if (!text.empty() && !p.doc.values.empty()) with_value = view_obj_value_text(p.doc, o);
    if (!with_value.empty()) text = with_value;
    // While sequence numbers are shown, each numbered object's text starts with its number.
    std::string numbered;
    if (p.seq_numbers && !text.empty()) {
        auto it = p.seq_numbers->find(o.key);
        if (it != p.seq_numbers->end()) {
            numbered = std::to_string(it->second) + ". " + std::string(text);
            text = numbered;
        }
    }
    int text_w = text.empty() ? 0
                 : (o.flags & kFlagUnderline)
                     ? (p.real.set_font(f), p.real.text_extent(text).cx)
                     : p.widths[alt].get(p.real, f, text, p.culling && !p.culling->draws_text(f));
    const int line_h = p.line_h[alt];
    // A bound no figure, text or handle of the object passes; outside the update region the
    // object is only recorded.
    int hw = text_w / 2 + 5 * std::abs(o.size) + 5 * p.widest + 300;
    int hh = 5 * std::abs(o.size) + 5 * std::abs(line_h) + 300;
    const Rc& n = p.clip_box;
    bool off = p.geometry_only || o.x - hw > n.right || o.x + hw < n.left || o.y - hh > n.top || o.y + hh < n.bottom;
    ObjDrawArgs a;
    a.shape = o.shape;
    a.key = o.key;
    // The record is the document's own: its place tells a marked object from others of its key.
    const size_t place = static_cast<size_t>(&record - p.doc.objs.data());
    a.marked = !p.lower && place < p.marked.size() && p.marked[place];
    a.text = text;
    a.level = o.level;
    a.x = o.x;
    a.y = o.y;
    a.line_h = line_h;
    a.fixed = o.flags & kFlagFixedWidth;
    a.text_w = text_w;
    a.align = (o.flags & kFlagNoCentre) ? 5 : 2;
    a.size = o.size;
    a.colour = o.colour;
    a.edge = (o.flags & kFlagNoProtrude) ? 0 : (p.param(68) == 0 ? 0xFFFFFF : 0);
    std::string picture;
    if (o.shape == kShapePictureFile)
        for (const Attachment& b : p.doc.bins)
            if (b.key == o.key && b.kind == 2) {
                picture = b.name;
                break;
            }
    a.picture_name = o.shape == kShapePictureFile ? std::string_view{picture} : std::string_view{o.ext};
    a.light = p.light;
    const Brush brush = (o.flags & kFlagTransparent) ? Brush{1, 0xFFFFFF} : Brush{2, palette(o.colour)};
    if (p.culling && !p.culling->draws_text(f) && paint_small(p, a, brush, f, off)) return;
    Canvas& c = off ? static_cast<Canvas&>(p.geom) : p.real;
    c.set_font(f);
    if (!off) {
        c.set_pen({1, 0, 0});
        c.set_brush(brush);
        c.set_text_colour(p.param(76) ? 0 : tbar_text_color(0, o.colour));
        c.set_text_bk(false, 0);
    }
    obj_draw(c, p.env, a);
}

void paint_link(PaintCtx& p, const Link& l, const Obj& from, const Obj& to) {
    LinkLook look = link_unpack(l);
    Pt r1{from.x, from.y}, r2{to.x, to.y};
    auto end = [&](int position, const Obj& o, Pt a, Pt b) {
        // "Auto" meets the object's outline, so that an arrowhead is never hidden under it.
        if (position == 0) position = 52;
        const uint32_t at = p.painted[o.key];
        const ObjRectEntry* e = at ? &objrect_[at - 1] : nullptr;
        int cluster = position == 51 ? p.doc.cluster(o.key) : 0;
        return obj_link_end_point_in(position, o.shape, cluster, e, a, b);
    };
    Pt e1 = end(look.from_end, from, r1, r2);
    Pt e2 = end(look.to_end, to, r2, r1);
    double d = std::hypot(double(e2.x - e1.x), double(e2.y - e1.y));
    // Curves bulge up to half their length off the chord; arrowheads and labels stick out a bit.
    Rc box = grown(rect_of(e1, e2), static_cast<int>(d / 2) + 320);
    Canvas& c = p.for_area(box);
    c.set_font(p.label_font);
    link_paint(c, l, e1, e2, p.link_options);
    if (p.lower) return;
    if (p.marks && p.marked_links.count(uint32_t{l.from} << 16 | l.to)) {
        c.set_pen({0, 0, 0});
        c.set_brush({2, 0xFFFFFF});
        draw_mark_square(c, e1.x, e1.y);
        draw_mark_square(c, e2.x, e2.y);
        draw_mark_square(c, (e1.x + e2.x) / 2, (e1.y + e2.y) / 2);
    }
    g_links.push_back({l.from, l.to, link_route_path(look.route, e1, e2)});
}

void paint_point(PaintCtx& p, const PlotPoint& q, int unit, bool with_xy) {
    if (!contains(p.clip, {q.x, q.y}, (with_xy ? 300 : 12) * unit)) return;
    point_paint(p.real, q, unit);
    if (!with_xy) return;
    // Show/Hide (X,Y): the coordinates beside the point, in the link label font.
    Canvas& c = p.real;
    c.set_font(p.label_font);
    c.set_text_colour(static_cast<Colour>(q.colour) & 0xFFFFFF);
    c.set_text_bk(false, 0);
    c.text({q.x + 6 * unit, q.y + 3 * unit + std::abs(p.label_font.height)}, point_xy_text(q));
}

LevelIndex g_index, g_picture_index;

struct VisibleItems {
    // Positions in the document's vectors, in stored order. The objects are the index's own
    // answer (a million at Zoom Fit), good until it is asked again.
    const std::vector<uint32_t>* objs = nullptr;
    std::vector<uint32_t> links;
    std::vector<uint32_t> ends;  // the objects the links end on
};

// The objects and links of `level` that may paint into the window (or page) of mapping m.
VisibleItems visible_items(PaintCtx& p, int level, const ViewMapping& m) {
    const Document& d = p.doc;
    Rc area = normalised(m.to_logical_rect({0, 0, m.client_w, m.client_h}));
    area = united(area, normalised(p.clip));
    // The bounds paint_object reckons with, for any text: widest character, figure, handles.
    int64_t char_units = 2 * std::max(std::abs(p.obj_font.height), std::abs(p.alt_font.height));
    int widest = std::max({d.param(97), d.param(225), d.param(227), 0});
    int line_h = std::max(std::abs(object_line_height(d.param(52))), std::abs(object_line_height(d.param(62))));
    int64_t pad = 5 * int64_t{widest} + 5 * int64_t{line_h} + 300;
    VisibleItems v;
    v.links = p.index->links(d, level, area.left, area.top, area.right, area.bottom, char_units, pad);
    // Only links need to know where objects go before they are painted.
    for (uint32_t k : v.links) {
        for (Key key : {d.links[k].from, d.links[k].to}) {
            int i = d.obj_index(key);
            if (i >= 0) v.ends.push_back(static_cast<uint32_t>(i));
        }
    }
    std::sort(v.ends.begin(), v.ends.end());
    v.ends.erase(std::unique(v.ends.begin(), v.ends.end()), v.ends.end());
    v.objs = &p.index->objects(d, level, area.left, area.top, area.right, area.bottom, char_units, pad);
    return v;
}

void paint_level(PaintCtx& p, int level, const ViewMapping& m) {
    if (view_level_hidden(level)) return;
    const Document& d = p.doc;
    p.clip_box = normalised(p.clip);
    auto shapes = [&] {
        for (const auto& s : d.shapes)
            if (s.level == level) paint_shape(p, s);
    };
    if (d.shown_param(59) != 0) shapes();
    // Links lie beneath the objects, so that a link never runs across an object's text; their
    // ends are still found on the objects as painted, so a first pass records where each goes.
    // Only what may show in the window is worked out (the spatial index finds it); hit tests
    // and link ends see every object in the window, whatever the update region.
    VisibleItems vis = visible_items(p, level, m);
    if (p.culling) p.culling->map_points(true);
    size_t first = objrect_.size();
    p.geometry_only = true;
    for (uint32_t i : vis.ends) paint_object(p, d.objs[i]);
    p.geometry_only = false;
    std::fill(p.painted.begin(), p.painted.end(), 0);
    for (size_t i = first; i < objrect_.size(); ++i) {
        uint32_t& at = p.painted[objrect_[i].key];
        if (objrect_[i].level == level && !at) at = static_cast<uint32_t>(i + 1);
    }
    for (uint32_t k : vis.links) {
        const Link& l = d.links[k];
        const Obj* a = d.obj(l.from);
        const Obj* b = d.obj(l.to);
        if (!a || !b || a->level != level || b->level != level) continue;
        if ((a->flags & kFlagHideLinks) || (b->flags & kFlagHideLinks)) continue;
        Obj ta, tb;
        paint_link(p, l, drawable(*a, ta), drawable(*b, tb));
    }
    objrect_.resize(first);
    g_places.resize(first, UINT32_MAX);
    for (uint32_t i : *vis.objs) {
        paint_object(p, d.objs[i]);
        g_places.resize(objrect_.size(), i);
    }
    if (p.culling) p.culling->map_points(false);
    if (d.shown_param(59) == 0) shapes();
    if (!menu_checked(CMD_SHOW_POINTS)) {
        int unit = m.units(1);
        const bool with_xy = d.param(222) != 0;
        for (const auto& q : d.points)
            if (q.level == level) paint_point(p, q, unit, with_xy);
    }
}

void paint_overlay(Canvas& c) {
    if (g_overlay.kind == ViewOverlay::None) return;
    c.set_pen({1, 2, 0});
    c.set_brush({1, 0xFFFFFF});
    switch (g_overlay.kind) {
    case ViewOverlay::Band: c.rectangle(rect_of(g_overlay.a, g_overlay.b)); break;
    case ViewOverlay::Line: c.line(g_overlay.a, g_overlay.b); break;
    case ViewOverlay::Frame: c.set_pen({1, 0, 0}); c.rectangle(rect_of(g_overlay.a, g_overlay.b)); break;
    default: break;
    }
}

constexpr int kPrintDialog = 10380;

// The view's mapping with the viewport extent the print-preview frame is measured against.
void apply_preview_extents(HDC dc, const ViewMapping& m) {
    ViewMapping::Gdi g = m.gdi_client_extent();
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SetWindowExtEx(dc, g.window_ext_x, g.window_ext_y, nullptr);
    SetViewportExtEx(dc, g.viewport_ext_x, g.viewport_ext_y, nullptr);
    SetViewportOrgEx(dc, g.viewport_org_x, g.viewport_org_y, nullptr);
}

// A printer page's size in its pixels; a memory DC standing in for a page gives its bitmap's.
bool page_size(HDC dc, int& w, int& h) {
    w = h = 0;
    if (GetDeviceCaps(dc, TECHNOLOGY) != DT_RASPRINTER && GetObjectType(dc) == OBJ_MEMDC) {
        BITMAP bm{};
        HGDIOBJ b = GetCurrentObject(dc, OBJ_BITMAP);
        if (b && GetObjectA(b, sizeof bm, &bm)) {
            w = bm.bmWidth;
            h = bm.bmHeight;
        }
    } else {
        w = GetDeviceCaps(dc, HORZRES);
        h = GetDeviceCaps(dc, VERTRES);
    }
    return w > 0 && h > 0;
}

// The frame the Print dialog shows; without the dialog (or a printer), the frame a "1x1"
// page of this size would have.
PageFrame print_frame(const ViewMapping& screen, int page_w, int page_h) {
    if (dlg_find_modeless(kPrintDialog)) {
        HDC scratch = CreateCompatibleDC(nullptr);
        if (scratch) {
            apply_preview_extents(scratch, screen);
            PreviewMapping pm = draw_preview_mapping(scratch, 1);
            DeleteDC(scratch);
            if (pm.frame.left != pm.frame.right && pm.frame.top != pm.frame.bottom)
                return {pm.frame, pm.parts_x, pm.parts_y};
        }
    }
    return view_preview_frame(screen, page_w, page_h, 0);
}

}  // namespace

bool view_draw(int mode, HDC dc, int factor, double x, double y) {
    if (mode != -1 || !dc) return false;
    int w = 0, h = 0;
    if (!page_size(dc, w, h)) return false;
    ViewMapping screen = view_mapping();
    PageFrame frame = print_frame(screen, w, h);
    if (frame.frame.left == frame.frame.right || frame.frame.top == frame.frame.bottom) return false;
    ViewMapping m = view_page_mapping(screen, frame, factor, x, y, w, h);
    int saved = SaveDC(dc);
    view_apply_mapping(dc, m);
    view_paint_dc(dc, m, RECT{0, 0, w, h}, true);
    RestoreDC(dc, saved);
    // What the page recorded for hit tests is not the screen's: the window paints again.
    view_invalidate();
    return true;
}

std::optional<Rc> view_print_frame() {
    int w = 0, h = 0;
    if (!draw_printer_page(w, h)) return std::nullopt;
    PageFrame f = print_frame(view_mapping(), w, h);
    if (f.frame.left == f.frame.right || f.frame.top == f.frame.bottom) return std::nullopt;
    return f.frame;
}

namespace {

enum class Target { Window, Page, Picture };

// A picture has no window to clip to: all of its part is drawn.
constexpr int kEverywhere = 1 << 28;

void paint(const Document& d, HDC dc, const ViewMapping& m, const RECT& clip, Target target) {
    const bool printer = target == Target::Page, picture = target == Target::Picture;
    struct PaintingFlag {
        PaintingFlag() { view_set_painting(true); }
        ~PaintingFlag() { view_set_painting(false); }
    } painting;
    obj_rect_cache_clear();
    link_label_cache_clear();
    g_objs.clear();
    g_places.clear();
    g_links.clear();

    GdiCanvas gdi(dc, printer);
    gdi.set_batching(!printer);
    if (target == Target::Window && dc == g_buffer.dc && g_buffer.bits) gdi.set_raster(g_buffer.bits, g_buffer.w, g_buffer.h, clip);
    CullingCanvas canvas(gdi, gdi.printing() ? 0 : m.units(4));
    PaintCtx p(d, canvas, m);
    p.culling = &canvas;
    p.gdi = &gdi;
    p.printing = gdi.printing();
    p.widths = picture ? g_picture_widths : g_widths;
    p.index = picture ? &g_picture_index : &g_index;
    p.env.colour = palette;
    p.env.param = [&p](int code) { return p.param(code); };
    if (picture) {
        // The part's objects may be gone from the document (Cut): their pictures come from the part.
        p.env.picture = [&d](Key k, std::string_view name) { return obj_picture_bitmap(d, k, name); };
        p.env.metafile = [&d](Key k, std::string_view name) { return obj_picture_metafile(d, k, name); };
    }
    p.env.view_level = m.pos.level;
    p.env.zoom_percent = m.pos.zoom;
    // Pictures are sized by the window's height on screen and by the printer's resolution on a page.
    p.env.device_measure = printer ? GetDeviceCaps(dc, LOGPIXELSY) : m.client_h;
    p.current_level = m.pos.level;
    p.obj_font = font_to_canvas(text_font(kFontObject, 4));
    p.alt_font = font_to_canvas(text_font(kFontObjectAlt, 4));
    p.label_font = font_to_canvas(text_font(kFontLinkLabel, 4));
    p.link_options = link_paint_options();
    p.light = view_light(d.shown_param(363));
    p.line_h[0] = object_line_height(p.param(52));
    p.line_h[1] = object_line_height(p.param(62));
    p.widest = std::max({p.param(97), p.param(225), p.param(227), 0});
    p.width_zoom = std::to_string(m.pos.zoom) + "/" + std::to_string(m.screen_w) +
                   (m.page ? "/page" + std::to_string(m.page->sx) : std::string());
    for (int i = 0; i < 2; ++i) {
        const Font& f = i ? p.alt_font : p.obj_font;
        std::string sig = width_signature(f, p.width_zoom);
        if (p.widths[i].signature != sig) {
            p.widths[i].signature = sig;
            p.widths[i].clear();
        }
    }
    p.marks = target == Target::Window;
    if (p.marks) {
        if (!marked_obj_.empty()) {
            p.marked.assign(d.objs.size(), false);
            for (uint32_t at : view_marked_places()) p.marked[at] = true;
        }
        for (const MarkedLink& l : marked_link_) p.marked_links.insert(uint32_t{l.from} << 16 | l.to);
    }
    std::unordered_map<Key, int> seq_numbers;
    if (menu_checked(CMD_SEQ_SHOW)) {
        for (const auto& e : d.seq) seq_numbers.emplace(e.key, e.number);
        p.seq_numbers = &seq_numbers;
    }

    Rc device_clip{clip.left, clip.top, clip.right, clip.bottom};
    if (!picture) bg_paint_doc(canvas, d, printer ? device_clip : Rc{0, 0, m.client_w, m.client_h});

    // Lower levels first, each step smaller, so the current level lies on top.
    int span = picture ? 0 : std::clamp(sbar_level_span(), 0, 500);
    for (int depth = span; depth >= 1; --depth) {
        // The user hid this level from the views of those above it.
        if (d.shown_param(kLevelSettings + m.pos.level + depth) == kBgInvisible) continue;
        ViewMapping lm = m;
        lm.extra_scale = level_scale(d.shown_param(23), depth);
        gdi.flush();
        view_apply_mapping(dc, lm);
        gdi.mapping_changed();
        if (!printer) canvas.set_screen(&lm, device_clip);
        p.geom.set_mapping(lm);
        p.clip = lm.to_logical_rect(device_clip);
        p.lower = true;
        bg_paint_level(canvas, d, m.pos.level + depth);
        paint_level(p, m.pos.level + depth, lm);
        canvas.set_screen(nullptr, device_clip);
    }
    gdi.flush();
    if (span > 0) view_apply_mapping(dc, m);
    gdi.mapping_changed();
    if (!printer) canvas.set_screen(&m, device_clip);
    p.geom.set_mapping(m);
    p.clip = picture ? Rc{-kEverywhere, kEverywhere, kEverywhere, -kEverywhere} : m.to_logical_rect(device_clip);
    p.lower = false;
    if (!picture) bg_paint_level(canvas, d, m.pos.level);
    paint_level(p, m.pos.level, m);
    if (p.marks) paint_overlay(canvas);

    const std::vector<ObjRectEntry>& rects = obj_rect_each();
    g_objs.reserve(rects.size());
    g_places.resize(rects.size(), UINT32_MAX);
    for (size_t i = 0; i < rects.size(); ++i)
        if (const ObjRectEntry& e = rects[i]; e.level == m.pos.level)
            g_objs.push_back({e.key, e.level, {std::min(e.l, e.r), std::max(e.t, e.b), std::max(e.l, e.r), std::min(e.t, e.b)},
                              g_places[i]});
}

}  // namespace

void view_paint_dc(HDC dc, const ViewMapping& m, const RECT& clip, bool printer) {
    // Settings 50 and 51 follow the levels in use (the status bar's "L of 50 to 51"); kept
    // like the counts, without marking the document changed.
    // A pass over every object: kept while the document is unchanged.
    static struct {
        uint64_t revision = 0;
        size_t objs = 0, shapes = 0;
        std::pair<int, int> range;
    } levels;
    const Document& d = view_doc();
    if (levels.revision != d.revision || levels.objs != d.objs.size() || levels.shapes != d.shapes.size())
        levels = {d.revision, d.objs.size(), d.shapes.size(), level_range(d)};
    auto [low, high] = levels.range;
    view_doc().set_param(50, low);
    view_doc().set_param(51, high);
    paint(view_doc(), dc, m, clip, printer ? Target::Page : Target::Window);
}

void view_paint_part(HDC dc, const ViewMapping& m, const Document& part) {
    // Hit tests go by what the window's last paint recorded until it paints again.
    const std::vector<ObjBox> objs = g_objs;
    const std::vector<LinkPath> links = g_links;
    const std::vector<ObjRectEntry> rects = objrect_;
    const RECT everywhere{-kEverywhere, -kEverywhere, kEverywhere, kEverywhere};
    paint(part, dc, m, everywhere, Target::Picture);
    g_objs = objs;
    g_links = links;
    objrect_ = rects;
}

HDC view_paint_begin(HDC screen, int w, int h) { return g_buffer.begin(screen, w, h); }

void view_on_paint(HWND win) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(win, &ps);
    RECT client;
    GetClientRect(win, &client);
    RECT clip;
    if (IntersectRect(&clip, &ps.rcPaint, &client)) {
        HDC mem = view_paint_begin(dc, client.right, client.bottom);
        int saved = SaveDC(mem);
        IntersectClipRect(mem, clip.left, clip.top, clip.right, clip.bottom);
        ViewMapping m = view_mapping();
        view_apply_mapping(mem, m);
        view_paint_dc(mem, m, clip);
        // While the Print dialog is open, the page frame over the diagram.
        if (dlg_find_modeless(kPrintDialog)) {
            apply_preview_extents(mem, m);
            draw_preview_mapping(mem, 1);
        }
        RestoreDC(mem, saved);
        g_buffer.end();
        BitBlt(dc, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top, mem, clip.left, clip.top,
               SRCCOPY);
    }
    EndPaint(win, &ps);
}

const std::vector<ObjBox>& view_painted_objects() { return g_objs; }
const std::vector<LinkPath>& view_painted_links() { return g_links; }

void view_set_overlay(const ViewOverlay& o) {
    auto area = [](const ViewOverlay& v) { return rect_of(v.a, v.b); };
    if (g_overlay.kind != ViewOverlay::None) view_invalidate_rect(4, area(g_overlay));
    g_overlay = o;
    if (o.kind != ViewOverlay::None) view_invalidate_rect(4, area(o));
}
