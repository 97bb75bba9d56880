#include "elements/canvas_win.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <type_traits>
#include <unordered_map>

#include "elements/obj_paint.h"

namespace {

enum Kind { kLines, kPolygon, kRect, kEllipse, kRoundRect, kArc, kPie };

// Past this many objects of one kind the unselected ones are deleted; painters that sweep
// through colours then cannot exhaust the handle table.
constexpr size_t kCacheLimit = 48;

long live_ = 0;

template <class H>
H made(H h) {
    if (h) ++live_;
    return h;
}
void drop(HGDIOBJ h) {
    if (h && DeleteObject(h)) --live_;
}

template <class K, class H>
H find(const std::vector<std::pair<K, H>>& v, const K& k) {
    for (const auto& e : v)
        if (e.first == k) return e.second;
    return nullptr;
}

template <class K, class H>
void trim_cache(std::vector<std::pair<K, H>>& v, HDC dc, UINT kind) {
    if (v.size() <= kCacheLimit) return;
    HGDIOBJ current = GetCurrentObject(dc, kind);
    std::erase_if(v, [&](const auto& e) {
        if (e.second == current) return false;
        drop(e.second);
        return true;
    });
}

}  // namespace

GdiCanvas::GdiCanvas(HDC dc, bool printer) : dc_(dc), printer_(printer) {
    saved_ = SaveDC(dc_);
    SetTextAlign(dc_, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    SetBkMode(dc_, TRANSPARENT);
    bk_mode_ = want_bk_mode_ = TRANSPARENT;
    bk_colour_ = want_bk_colour_ = GetBkColor(dc_) & 0xFFFFFF;
    mix_ = want_mix_ = GetROP2(dc_) - 1;
    read_selection();
    POINT p[2] = {{0, 0}, {0, 1000}};
    LPtoDP(dc_, p, 2);
    y_up_ = p[1].y < p[0].y;
}

void GdiCanvas::read_selection() {
    LOGPEN lp{};
    if (GetObjectA(GetCurrentObject(dc_, OBJ_PEN), sizeof lp, &lp) == sizeof lp)
        pen_ = {static_cast<int>(lp.lopnWidth.x), static_cast<int>(lp.lopnStyle & PS_STYLE_MASK), lp.lopnColor};
    LOGBRUSH lb{};
    if (GetObjectA(GetCurrentObject(dc_, OBJ_BRUSH), sizeof lb, &lb) == sizeof lb) {
        int pattern = lb.lbStyle == BS_NULL ? 1 : lb.lbStyle == BS_HATCHED ? 3 + static_cast<int>(lb.lbHatch) : 2;
        brush_ = {pattern, lb.lbColor};
    }
    LOGFONTA lf{};
    if (GetObjectA(GetCurrentObject(dc_, OBJ_FONT), sizeof lf, &lf) == sizeof lf) {
        font_.face = lf.lfFaceName;
        font_.height = std::abs(lf.lfHeight);
        font_.weight = lf.lfWeight;
        font_.italic = lf.lfItalic;
        font_.underline = lf.lfUnderline;
        font_.strikeout = lf.lfStrikeOut;
        font_.escapement = lf.lfEscapement;
        font_.charset = lf.lfCharSet;
    }
}

GdiCanvas::~GdiCanvas() {
    flush();
    // RestoreDC selects the objects the DC held before, so ours are free to delete.
    if (saved_) RestoreDC(dc_, saved_);
    for (auto& e : pens_) drop(e.second);
    for (auto& e : brushes_) drop(e.second);
    for (auto& e : fonts_) drop(e.second);
}

long GdiCanvas::live_objects() { return live_; }

void GdiCanvas::trim() {
    if (fonts_.size() > kCacheLimit) {
        extents_.clear();
        extents_font_ = nullptr;
    }
    trim_cache(pens_, dc_, OBJ_PEN);
    trim_cache(brushes_, dc_, OBJ_BRUSH);
    trim_cache(fonts_, dc_, OBJ_FONT);
}

void GdiCanvas::set_pen(const Pen& p) {
    pen_ = p;
    pen_set_ = true;
}

void GdiCanvas::apply_pen(const Pen& p) {
    if (sel_pen_ && p == sel_pen_value_) return;
    // A solid pen a pixel wide or less draws as the DC's own pen does; changing that pen's
    // colour is far cheaper than selecting a pen per colour.
    if (batch_ && p.style == 0) {
        if (pixels_per_unit_ < 0) read_mapping();
        if (std::abs(p.width) * pixels_per_unit_ <= 1) {
            HGDIOBJ dc_pen = GetStockObject(DC_PEN);
            if (sel_pen_ != dc_pen) {
                SelectObject(dc_, dc_pen);
                dc_pen_colour_ = GetDCPenColor(dc_);
            }
            if ((p.colour & 0xFFFFFF) != dc_pen_colour_) SetDCPenColor(dc_, p.colour & 0xFFFFFF);
            dc_pen_colour_ = p.colour & 0xFFFFFF;
            sel_pen_ = dc_pen;
            sel_pen_value_ = p;
            return;
        }
    }
    HPEN h = find(pens_, p);
    if (!h) {
        int style = (p.style >= 0 && p.style <= 5) ? p.style : PS_SOLID;
        h = made(CreatePen(style, std::max(0, p.width), p.colour & 0xFFFFFF));
        if (!h) return;
        pens_.emplace_back(p, h);
    }
    if (sel_pen_ != h) SelectObject(dc_, h);
    sel_pen_ = h;
    sel_pen_value_ = p;
    trim();
}

void GdiCanvas::set_brush(const Brush& b) {
    brush_ = b;
    brush_set_ = true;
}

void GdiCanvas::apply_brush(const Brush& b) {
    if (sel_brush_ && b == sel_brush_value_) return;
    if (b.pattern == 1) {
        HGDIOBJ hollow = GetStockObject(HOLLOW_BRUSH);
        if (sel_brush_ != hollow) SelectObject(dc_, hollow);
        sel_brush_ = hollow;
        sel_brush_value_ = b;
        return;
    }
    if (batch_ && b.pattern == 2) {
        HGDIOBJ dc_brush = GetStockObject(DC_BRUSH);
        if (sel_brush_ != dc_brush) {
            SelectObject(dc_, dc_brush);
            dc_brush_colour_ = GetDCBrushColor(dc_);
        }
        if ((b.colour & 0xFFFFFF) != dc_brush_colour_) SetDCBrushColor(dc_, b.colour & 0xFFFFFF);
        dc_brush_colour_ = b.colour & 0xFFFFFF;
        sel_brush_ = dc_brush;
        sel_brush_value_ = b;
        return;
    }
    HBRUSH h = find(brushes_, b);
    if (!h) {
        COLORREF c = b.colour & 0xFFFFFF;
        if (b.pattern >= 3 && b.pattern <= 8)
            h = made(CreateHatchBrush(b.pattern - 3, c));
        else
            h = made(CreateSolidBrush(c));
        if (!h) return;
        brushes_.emplace_back(b, h);
    }
    if (sel_brush_ != h) SelectObject(dc_, h);
    sel_brush_ = h;
    sel_brush_value_ = b;
    trim();
}

HBRUSH GdiCanvas::solid_brush(Colour c) {
    Brush b{2, c};
    HBRUSH h = find(brushes_, b);
    if (!h) {
        h = made(CreateSolidBrush(c & 0xFFFFFF));
        if (h) brushes_.emplace_back(b, h);
    }
    return h;
}

void GdiCanvas::set_font(const Font& f) {
    if (sel_font_ && f == font_) return;
    font_ = f;
    HFONT h = find(fonts_, f);
    if (!h) {
        LOGFONTA lf{};
        lf.lfHeight = -std::abs(f.height);
        lf.lfWeight = f.weight;
        lf.lfItalic = f.italic;
        lf.lfUnderline = f.underline;
        lf.lfStrikeOut = f.strikeout;
        lf.lfEscapement = lf.lfOrientation = f.escapement;
        lf.lfCharSet = static_cast<BYTE>(f.charset);
        lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
        lf.lfClipPrecision = CLIP_DEFAULT_PRECIS | (f.escapement ? CLIP_LH_ANGLES : 0);
        lf.lfQuality = DEFAULT_QUALITY;
        lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
        strncpy(lf.lfFaceName, f.face.c_str(), LF_FACESIZE - 1);
        h = made(CreateFontIndirectA(&lf));
        if (!h) return;
        fonts_.emplace_back(f, h);
    }
    if (sel_font_ != h) SelectObject(dc_, h);
    sel_font_ = h;
    trim();
}

void GdiCanvas::set_text_colour(Colour c) { want_text_colour_ = c & 0xFFFFFF; }

void GdiCanvas::set_text_bk(bool opaque, Colour c) {
    want_bk_mode_ = opaque ? OPAQUE : TRANSPARENT;
    want_bk_colour_ = c & 0xFFFFFF;
}

void GdiCanvas::set_mix(int mix) { want_mix_ = mix; }

void GdiCanvas::apply_state(const Pen* pen, const Brush* brush, int mix, int bk_mode, Colour bk_colour) {
    if (pen) apply_pen(*pen);
    if (brush) apply_brush(*brush);
    if (mix != mix_) SetROP2(dc_, mix + 1);
    mix_ = mix;
    if (bk_mode != bk_mode_) SetBkMode(dc_, bk_mode);
    bk_mode_ = bk_mode;
    if (bk_colour != bk_colour_) SetBkColor(dc_, bk_colour);
    bk_colour_ = bk_colour;
}

void GdiCanvas::sync_all() {
    flush();
    apply_state(pen_set_ ? &pen_ : nullptr, brush_set_ ? &brush_ : nullptr, want_mix_, want_bk_mode_, want_bk_colour_);
    if (want_text_colour_ != 0xFFFFFFFF && want_text_colour_ != text_colour_) {
        text_colour_ = want_text_colour_;
        SetTextColor(dc_, text_colour_);
    }
}

void GdiCanvas::set_batching(bool on) {
    flush();
    batch_ = on;
    pixels_per_unit_ = -1;
}

void GdiCanvas::mapping_changed() {
    flush();
    pixels_per_unit_ = -1;
}

// Lines go out when something else is drawn or the pen, mix or background they are drawn with
// changes; anything else is drawn at once.
void GdiCanvas::queue(int kind, const int (&v)[8], const Pt* pts, size_t n) {
    if (raster_ && batch_ && (kind == kRect || kind == kLines) && pen_set_ && pen_.style == 0 &&
        want_mix_ == kMixCopyPen) {
        if (pixels_per_unit_ < 0) read_mapping();
        if (std::abs(pen_.width) * pixels_per_unit_ <= 1 && (kind == kRect ? raster_rect(v) : raster_lines(pts, n)))
            return;
    }
    // A rectangle whose corners fall on one pixel row or column draws nothing (a thin-pen handle
    // at Zoom Fit mostly does): those cost no call.
    if (kind == kRect && batch_ && pen_set_) {
        if (pixels_per_unit_ < 0) read_mapping();
        const bool thin = std::abs(pen_.width) * pixels_per_unit_ <= 1;
        if (thin && std::min(std::abs(v[2] - v[0]), std::abs(v[3] - v[1])) * pixels_per_unit_ < 2) {
            if (dev_x(v[0]) == dev_x(v[2]) || dev_y(v[1]) == dev_y(v[3])) return;
        }
    }
    if (kind == kLines && batch_ && pen_set_) {
        if (!counts_.empty() && !(pending_pen_ == pen_ && pending_mix_ == want_mix_ && pending_bk_mode_ == want_bk_mode_ &&
                                  pending_bk_colour_ == want_bk_colour_))
            flush();
        // A thin pen draws nothing from a point to itself (a line's end pixel is never drawn),
        // so repeated points are left out; a wide pen's ends could show there.
        if (pixels_per_unit_ < 0) read_mapping();
        const bool thin = std::abs(pen_.width) * pixels_per_unit_ <= 1;
        const size_t kept = lines_.size();
        for (size_t i = 0; i < n; ++i)
            if (!thin || lines_.size() == kept || lines_.back().x != pts[i].x || lines_.back().y != pts[i].y)
                lines_.push_back({pts[i].x, pts[i].y});
        if (lines_.size() - kept < 2) {
            lines_.resize(kept);
            return;
        }
        counts_.push_back(static_cast<DWORD>(lines_.size() - kept));
        pending_pen_ = pen_;
        pending_mix_ = want_mix_;
        pending_bk_mode_ = want_bk_mode_;
        pending_bk_colour_ = want_bk_colour_;
        if (lines_.size() > 8192) flush();
        return;
    }
    sync_all();
    draw_one(kind, v, pts, n);
}

void GdiCanvas::draw_one(int kind, const int (&v)[8], const Pt* pts, size_t n) {
    switch (kind) {
    case kLines:
    case kPolygon: {
        std::vector<POINT> p(n);
        for (size_t i = 0; i < n; ++i) p[i] = {pts[i].x, pts[i].y};
        if (kind == kLines)
            Polyline(dc_, p.data(), static_cast<int>(n));
        else
            Polygon(dc_, p.data(), static_cast<int>(n));
        break;
    }
    case kRect: Rectangle(dc_, v[0], v[1], v[2], v[3]); break;
    case kEllipse: Ellipse(dc_, v[0], v[1], v[2], v[3]); break;
    case kRoundRect: RoundRect(dc_, v[0], v[1], v[2], v[3], v[4], v[5]); break;
    case kArc: Arc(dc_, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]); break;
    case kPie: Pie(dc_, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]); break;
    default: break;
    }
}

// In double precision step by step, as GDI works it out. The paint pass's files are built for
// SSE2, which truncates without switching the rounding mode; the x87's longer registers would
// round differently, so there every step is stored.
int GdiCanvas::to_device(int v, double scale, double offset) {
#if defined(__i386__) && !defined(__SSE2_MATH__)
    volatile double a = v * scale;
    volatile double b = a + offset;
    volatile double c = b + 0.5;
    return static_cast<int>(std::floor(c));
#else
    const double c = v * scale + offset + 0.5;
    const int i = static_cast<int>(c);
    return i > c ? i - 1 : i;
#endif
}

void GdiCanvas::set_raster(uint32_t* bits, int w, int h, const RECT& clip) {
    flush();
    raster_ = bits;
    raster_w_ = w;
    raster_clip_ = {std::max(0L, clip.left), std::max(0L, clip.top), std::min<LONG>(w, clip.right), std::min<LONG>(h, clip.bottom)};
}

// What GDI drew so far is in the bits before the canvas writes there itself.
void GdiCanvas::soft_begin() {
    if (soft_ && counts_.empty()) return;
    flush();
    GdiFlush();
    soft_ = true;
}

template <bool Clip>
inline void GdiCanvas::soft_fill(int l, int t, int r, int b, uint32_t px) {
    if (Clip) {
        l = std::max<int>(l, raster_clip_.left);
        t = std::max<int>(t, raster_clip_.top);
        r = std::min<int>(r, raster_clip_.right);
        b = std::min<int>(b, raster_clip_.bottom);
    }
    if (l >= r) return;
    for (int y = t; y < b; ++y) std::fill(raster_ + static_cast<size_t>(y) * raster_w_ + l, raster_ + static_cast<size_t>(y) * raster_w_ + r, px);
}

namespace {
uint32_t dib_pixel(Colour c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

// A thin pen's lines along an axis through n points (pt(k) in units, dev(k) in pixels) into d,
// a point repeated left out; how many are kept, or -1 when a line runs aslant.
template <class Logical, class Device>
int map_lines(size_t n, Logical pt, Device dev, POINT* d) {
    int m = 0;
    for (size_t i = 0; i < n; ++i) {
        if (i && pt(i) == pt(i - 1)) continue;
        d[m] = dev(i);
        if (m && d[m].x != d[m - 1].x && d[m].y != d[m - 1].y) return -1;
        ++m;
    }
    return m;
}

}  // namespace

// Each line without its end pixel, as GDI draws them.
template <bool Clip>
void GdiCanvas::soft_lines(const POINT* d, size_t m, uint32_t px) {
    if (m < 2) return;
    soft_begin();
    for (size_t i = 1; i < m; ++i) {
        const POINT a = d[i - 1], b = d[i];
        if (a.y == b.y && a.x < b.x) soft_fill<Clip>(a.x, a.y, b.x, a.y + 1, px);
        else if (a.y == b.y && a.x > b.x) soft_fill<Clip>(b.x + 1, a.y, a.x + 1, a.y + 1, px);
        else if (a.y < b.y) soft_fill<Clip>(a.x, a.y, a.x + 1, b.y, px);
        else if (a.y > b.y) soft_fill<Clip>(a.x, b.y + 1, a.x + 1, a.y + 1, px);
    }
}

// False (and nothing drawn) when a line runs aslant.
bool GdiCanvas::raster_lines(const Pt* pts, size_t n) {
    POINT small[8];
    std::vector<POINT> big;
    POINT* d = small;
    if (n > 8) {
        big.resize(n);
        d = big.data();
    }
    const int m = map_lines(n, [&](size_t k) { return pts[k]; }, [&](size_t k) { return POINT{dev_x(pts[k].x), dev_y(pts[k].y)}; }, d);
    if (m < 0) return false;
    soft_lines(d, static_cast<size_t>(m), dib_pixel(pen_.colour));
    return true;
}

// A rectangle with a thin pen and a solid or hollow brush, corners in pixels: the pen on its
// edge pixels, the brush within; one or two pixels across are all pen; a single pixel, or none
// across, is not drawn.
template <bool Clip>
void GdiCanvas::soft_rect(int l, int t, int r, int b, Colour pen_colour, const Brush& brush) {
    if (l > r) std::swap(l, r);
    if (t > b) std::swap(t, b);
    const int w = r - l, h = b - t;
    if (w == 0 || h == 0 || (w == 1 && h == 1)) return;
    soft_begin();
    const uint32_t pen = dib_pixel(pen_colour);
    if (w <= 2 || h <= 2) {
        soft_fill<Clip>(l, t, r, b, pen);
        return;
    }
    soft_fill<Clip>(l, t, r, t + 1, pen);
    soft_fill<Clip>(l, b - 1, r, b, pen);
    soft_fill<Clip>(l, t + 1, l + 1, b - 1, pen);
    soft_fill<Clip>(r - 1, t + 1, r, b - 1, pen);
    if (brush.pattern == 2) soft_fill<Clip>(l + 1, t + 1, r - 1, b - 1, dib_pixel(brush.colour));
}

bool GdiCanvas::raster_rect(const int (&v)[8]) {
    if (!brush_set_ || (brush_.pattern != 1 && brush_.pattern != 2)) return false;
    soft_rect(dev_x(v[0]), dev_y(v[1]), dev_x(v[2]), dev_y(v[3]), pen_.colour, brush_);
    return true;
}

bool GdiCanvas::raster_figure(const ObjRectFigure& f, const Brush& brush) {
    constexpr int kSteps = static_cast<int>(std::size(ObjRectFigure{}.steps));
    if (!raster_ || !batch_ || want_mix_ != kMixCopyPen || (brush.pattern != 1 && brush.pattern != 2) || f.n > kSteps)
        return false;
    if (pixels_per_unit_ < 0) read_mapping();
    int xs[4], ys[4];
    const int nx = std::clamp(f.nx, 1, 4), ny = std::clamp(f.ny, 1, 4);
    for (int i = 0; i < nx; ++i) xs[i] = dev_x(f.xs[i]);
    for (int i = 0; i < ny; ++i) ys[i] = dev_y(f.ys[i]);
    // Every pixel of the figure lies within the box of its points (a line's end pixel is not drawn).
    const auto [x0, x1] = std::minmax_element(xs, xs + nx);
    const auto [y0, y1] = std::minmax_element(ys, ys + ny);
    for (int i = 0; i < f.n; ++i)
        if (f.steps[i].pen.style != 0 || std::abs(f.steps[i].pen.width) > thin_width_) return false;
    // All in one pixel, as most of a crowded level far out of zoom: every rectangle is empty
    // and every line ends where it starts, so GDI sets nothing.
    if (*x0 == *x1 && *y0 == *y1) return true;
    const bool inside = *x0 >= raster_clip_.left && *x1 < raster_clip_.right && *y0 >= raster_clip_.top && *y1 < raster_clip_.bottom;
    POINT d[kSteps][5];
    int kept[kSteps];
    // Every step is mapped before the first is drawn: a step GDI must draw leaves all to it.
    for (int i = 0; i < f.n; ++i) {
        const ObjFigureStep& s = f.steps[i];
        if (s.rect) {
            d[i][0] = {xs[s.at[0] >> 2], ys[s.at[0] & 3]};
            d[i][1] = {xs[s.at[1] >> 2], ys[s.at[1] & 3]};
            continue;
        }
        // A point on the pixel of the one before draws nothing more, whatever its units.
        int m = 0;
        for (int k = 0, n = std::min(s.n, 5); k < n; ++k) {
            const unsigned at = s.at[k];
            const POINT q{xs[at >> 2], ys[at & 3]};
            if (m && q.x == d[i][m - 1].x && q.y == d[i][m - 1].y) continue;
            if (m && q.x != d[i][m - 1].x && q.y != d[i][m - 1].y) return false;  // aslant
            d[i][m++] = q;
        }
        kept[i] = m;
    }
    auto write = [&](auto clip) {
        constexpr bool kClip = decltype(clip)::value;
        for (int i = 0; i < f.n; ++i) {
            const ObjFigureStep& s = f.steps[i];
            if (s.rect) soft_rect<kClip>(d[i][0].x, d[i][0].y, d[i][1].x, d[i][1].y, s.pen.colour, brush);
            else soft_lines<kClip>(d[i], static_cast<size_t>(kept[i]), dib_pixel(s.pen.colour));
        }
    };
    if (inside) write(std::false_type{});
    else write(std::true_type{});
    return true;
}

namespace {

// The pixels GDI sets for one small figure: runs of a row, each of one of the figure's colours.
struct Stamp {
    struct Run {
        int8_t y, x;
        uint8_t n, what;  // what: 0 the outline pen, 1 the brush, 2 the highlight pen
    };
    std::vector<Run> runs;
};

// What GDI's picture of a small figure depends on, in pixels: its kind, the turn of the axes,
// the brush, its points from the corner of its box, an ellipse's axes, the highlight's points.
struct StampKey {
    uint8_t b[24] = {};
    int n = 0;
    void put(int v) { b[n++] = static_cast<uint8_t>(v); }
    bool operator==(const StampKey& o) const { return n == o.n && std::equal(b, b + n, o.b); }
};
struct StampHash {
    size_t operator()(const StampKey& k) const {
        uint64_t h = 1469598103934665603ull;
        for (int i = 0; i < k.n; ++i) h = (h ^ k.b[i]) * 1099511628211ull;
        return static_cast<size_t>(h);
    }
};
std::unordered_map<StampKey, Stamp, StampHash>& stamps() {
    static std::unordered_map<StampKey, Stamp, StampHash> s;
    return s;
}
constexpr int kStampMax = 48;  // pixels across, at most

// A figure in pixels, as a stamp is learnt from it.
struct StampFigure {
    bool ellipse = true;
    POINT pts[4] = {};
    int n = 2;
    int axis_x = 0, axis_y = 0;  // an ellipse's axes, as GDI maps its size on its own
    int highlight = 0;           // 1 an arc, 2 a line
    POINT h0{}, h1{};
    bool hollow = false;
};

// Draws the figure with GDI into a scratch bitmap in colours of its own and reads back which
// pixels each part set, as a stamp. The mapping turns the axes as the painter's does, since
// which way an arc runs and which edges a figure leaves out follow their direction.
Stamp learn_stamp(const StampFigure& f, int w, int h, bool flip_x, bool flip_y) {
    Stamp st;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return st;
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bmp) {
        DeleteDC(dc);
        return st;
    }
    HGDIOBJ old_bmp = SelectObject(dc, bmp);
    auto* px = static_cast<uint32_t*>(bits);
    std::fill(px, px + static_cast<size_t>(w) * h, 0u);
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, 1, 1, nullptr);
    SetViewportExtEx(dc, flip_x ? -1 : 1, flip_y ? -1 : 1, nullptr);
    auto logical = [&](POINT p) { return POINT{flip_x ? -p.x : p.x, flip_y ? -p.y : p.y}; };
    POINT pts[4];
    for (int i = 0; i < f.n; ++i) pts[i] = logical(f.pts[i]);
    const POINT h0 = logical(f.h0), h1 = logical(f.h1);
    constexpr COLORREF kPen = RGB(255, 0, 0), kBrush = RGB(0, 255, 0), kLight = RGB(0, 0, 255);
    HGDIOBJ old_pen = SelectObject(dc, GetStockObject(DC_PEN));
    HGDIOBJ old_brush = SelectObject(dc, GetStockObject(f.hollow ? HOLLOW_BRUSH : DC_BRUSH));
    SetDCPenColor(dc, kPen);
    SetDCBrushColor(dc, kBrush);
    // GDI draws an ellipse as a rectangle with round corners the size of its axes.
    if (f.ellipse) RoundRect(dc, pts[0].x, pts[0].y, pts[1].x, pts[1].y, f.axis_x, f.axis_y);
    else Polygon(dc, pts, f.n);
    SetDCPenColor(dc, kLight);
    if (f.highlight == 1) Arc(dc, pts[0].x, pts[0].y, pts[1].x, pts[1].y, h0.x, h0.y, h1.x, h1.y);
    if (f.highlight == 2) {
        MoveToEx(dc, h0.x, h0.y, nullptr);
        LineTo(dc, h1.x, h1.y);
    }
    GdiFlush();
    auto what = [](uint32_t v) {
        switch (v & 0xFFFFFF) {
        case 0xFF0000: return 0;  // the DIB holds red in the high byte
        case 0x00FF00: return 1;
        case 0x0000FF: return 2;
        default: return -1;
        }
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w;) {
            const int k = what(px[static_cast<size_t>(y) * w + x]);
            int e = x + 1;
            while (e < w && what(px[static_cast<size_t>(y) * w + e]) == k) ++e;
            if (k >= 0) st.runs.push_back({static_cast<int8_t>(y), static_cast<int8_t>(x), static_cast<uint8_t>(e - x), static_cast<uint8_t>(k)});
            x = e;
        }
    SelectObject(dc, old_pen);
    SelectObject(dc, old_brush);
    SelectObject(dc, old_bmp);
    DeleteObject(bmp);
    DeleteDC(dc);
    return st;
}

}  // namespace

bool GdiCanvas::raster_round(const ObjRoundFigure& f, const Brush& brush) {
    if (!raster_ || !batch_ || want_mix_ != kMixCopyPen || (brush.pattern != 1 && brush.pattern != 2)) return false;
    if (pixels_per_unit_ < 0) read_mapping();
    // The outline's pen is a thin black one; so must the highlight's be.
    if (thin_width_ < 1 || (f.highlight != ObjRoundFigure::kNone && (f.highlight_pen.style != 0 || std::abs(f.highlight_pen.width) > thin_width_)))
        return false;
    StampFigure s;
    s.ellipse = f.ellipse;
    s.n = std::clamp(f.n, 2, 4);
    s.hollow = brush.pattern == 1;
    for (int i = 0; i < s.n; ++i) s.pts[i] = {dev_x(f.pts[i].x), dev_y(f.pts[i].y)};
    s.highlight = f.highlight == ObjRoundFigure::kArc ? 1 : f.highlight == ObjRoundFigure::kLine ? 2 : 0;
    s.h0 = {dev_x(f.h0.x), dev_y(f.h0.y)};
    s.h1 = {dev_x(f.h1.x), dev_y(f.h1.y)};
    if (s.ellipse) {
        s.axis_x = std::abs(dev_x(f.pts[1].x - f.pts[0].x) - dev_x(0));
        s.axis_y = std::abs(dev_y(f.pts[1].y - f.pts[0].y) - dev_y(0));
    }
    int x0 = s.pts[0].x, x1 = x0, y0 = s.pts[0].y, y1 = y0;
    for (int i = 1; i < s.n; ++i) {
        x0 = std::min<int>(x0, s.pts[i].x), x1 = std::max<int>(x1, s.pts[i].x);
        y0 = std::min<int>(y0, s.pts[i].y), y1 = std::max<int>(y1, s.pts[i].y);
    }
    // A pixel of room on each side of the points: nothing of the figure reaches further.
    --x0, --y0;
    const int w = x1 - x0 + 2, h = y1 - y0 + 2;
    if (w > kStampMax || h > kStampMax || s.axis_x > kStampMax || s.axis_y > kStampMax) return false;
    auto local = [&](POINT& p) { p = {p.x - x0, p.y - y0}; };
    for (int i = 0; i < s.n; ++i) local(s.pts[i]);
    local(s.h0);
    local(s.h1);
    StampKey key;
    key.put(s.ellipse | s.highlight << 1 | s.hollow << 3 | (map_[0] < 0) << 4 | (map_[1] < 0) << 5);
    for (int i = 0; i < s.n; ++i) {
        key.put(s.pts[i].x);
        key.put(s.pts[i].y);
    }
    key.put(s.axis_x);
    key.put(s.axis_y);
    if (s.highlight) {
        // An arc's ends lie anywhere on their rays; a line's are two of the points.
        for (const POINT& p : {s.h0, s.h1}) {
            if (p.x < -100 || p.x > 150 || p.y < -100 || p.y > 150) return false;
            key.put(p.x + 100);
            key.put(p.y + 100);
        }
    }
    // The figures of a crowded level come in few shapes: the last few found are tried first.
    static std::pair<StampKey, const Stamp*> recent[8];
    static int next_recent = 0;
    const Stamp* stamp = nullptr;
    for (const auto& [k, st] : recent)
        if (st && k == key) {
            stamp = st;
            break;
        }
    if (!stamp) {
        auto& cache = stamps();
        auto it = cache.find(key);
        if (it == cache.end()) {
            if (cache.size() > 4096) {
                cache.clear();
                for (auto& r : recent) r.second = nullptr;
            }
            it = cache.emplace(key, learn_stamp(s, w, h, map_[0] < 0, map_[1] < 0)).first;
        }
        stamp = &it->second;  // elements of the map stay where they are while it grows
        recent[next_recent] = {key, stamp};
        next_recent = (next_recent + 1) % 8;
    }
    soft_begin();
    const uint32_t colours[3] = {dib_pixel(0), dib_pixel(brush.colour), dib_pixel(f.highlight_pen.colour)};
    const bool inside = x0 >= raster_clip_.left && x0 + w <= raster_clip_.right && y0 >= raster_clip_.top && y0 + h <= raster_clip_.bottom;
    for (const Stamp::Run& r : stamp->runs) {
        const int y = y0 + r.y, x = x0 + r.x;
        if (inside) soft_fill<false>(x, y, x + r.n, y + 1, colours[r.what]);
        else soft_fill<true>(x, y, x + r.n, y + 1, colours[r.what]);
    }
    return true;
}

void GdiCanvas::flush() {
    soft_ = false;
    if (counts_.empty()) return;
    apply_state(&pending_pen_, nullptr, pending_mix_, pending_bk_mode_, pending_bk_colour_);
    // Each line is drawn as it would be alone: PolyPolyline draws its parts one by one.
    if (counts_.size() == 1)
        Polyline(dc_, lines_.data(), static_cast<int>(lines_.size()));
    else
        PolyPolyline(dc_, lines_.data(), counts_.data(), static_cast<DWORD>(counts_.size()));
    lines_.clear();
    counts_.clear();
}

void GdiCanvas::line(Pt a, Pt b) {
    const Pt p[2] = {a, b};
    queue(kLines, {}, p, 2);
}

void GdiCanvas::polyline(const std::vector<Pt>& pts) {
    if (pts.size() < 2) return;
    queue(kLines, {}, pts.data(), pts.size());
}

void GdiCanvas::polygon(const std::vector<Pt>& pts) {
    if (pts.size() < 2) return;
    queue(kPolygon, {}, pts.data(), pts.size());
}

void GdiCanvas::rectangle(const Rc& r) { queue(kRect, {r.left, r.top, r.right, r.bottom}, nullptr, 0); }

void GdiCanvas::round_rect(const Rc& r, int cw, int ch) {
    queue(kRoundRect, {r.left, r.top, r.right, r.bottom, cw, ch}, nullptr, 0);
}

void GdiCanvas::ellipse(const Rc& r) { queue(kEllipse, {r.left, r.top, r.right, r.bottom}, nullptr, 0); }

void GdiCanvas::arc(const Rc& r, Pt s, Pt e) {
    queue(kArc, {r.left, r.top, r.right, r.bottom, s.x, s.y, e.x, e.y}, nullptr, 0);
}

void GdiCanvas::pie(const Rc& r, Pt s, Pt e) {
    queue(kPie, {r.left, r.top, r.right, r.bottom, s.x, s.y, e.x, e.y}, nullptr, 0);
}

void GdiCanvas::fill_rect(const Rc& r, Colour c) {
    flush();
    HBRUSH b = solid_brush(c);
    if (!b) return;
    RECT rc{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
            std::max(r.top, r.bottom)};
    FillRect(dc_, &rc, b);
    trim();
}

void GdiCanvas::text(Pt at, std::string_view s) {
    sync_all();
    TextOutA(dc_, at.x, at.y, s.data(), static_cast<int>(s.size()));
}

Sz GdiCanvas::text_extent(std::string_view s) {
    HFONT f = static_cast<HFONT>(GetCurrentObject(dc_, OBJ_FONT));
    if (f != extents_font_ || extents_.size() > 4096) {
        extents_.clear();
        extents_font_ = f;
    }
    std::string key(s);
    auto it = extents_.find(key);
    if (it != extents_.end()) return it->second;
    SIZE sz{};
    GetTextExtentPoint32A(dc_, s.data(), static_cast<int>(s.size()), &sz);
    Sz r{sz.cx, sz.cy};
    extents_.emplace(std::move(key), r);
    return r;
}

bool GdiCanvas::visible(const Rc& r) const {
    RECT rc{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
            std::max(r.top, r.bottom)};
    return RectVisible(dc_, &rc) != FALSE;
}

void GdiCanvas::draw_text(const Rc& r, std::string_view s, unsigned flags) {
    // One vertically centred line is most object texts: place it from the cached extent, which
    // is far cheaper than laying it out again.
    constexpr unsigned kFast = kDtSingleLine | kDtVCenter;
    constexpr unsigned kKnown = kFast | kDtCenter | kDtWordBreak | kDtNoPrefix | kDtNoClip;
    sync_all();
    if ((flags & kFast) == kFast && (flags & ~kKnown) == 0 && (flags & kDtNoPrefix) && font_.escapement == 0) {
        Sz e = text_extent(s);
        int x = (flags & kDtCenter) ? (r.left + r.right) / 2 - e.cx / 2 : r.left;
        int mid = (r.top + r.bottom) / 2;
        int y = y_up_ ? mid + e.cy / 2 : mid - e.cy / 2;
        RECT clip{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
                  std::max(r.top, r.bottom)};
        UINT opts = (flags & kDtNoClip) ? 0 : ETO_CLIPPED;
        ExtTextOutA(dc_, x, y, opts, opts ? &clip : nullptr, s.data(), static_cast<UINT>(s.size()), nullptr);
        return;
    }
    RECT rc{r.left, r.top, r.right, r.bottom};
    DrawTextA(dc_, s.data(), static_cast<int>(s.size()), &rc, flags);
}

TextMetrics GdiCanvas::text_metrics() {
    TEXTMETRICA tm{};
    GetTextMetricsA(dc_, &tm);
    return {static_cast<int>(tm.tmAscent), static_cast<int>(tm.tmDescent),
            static_cast<int>(tm.tmInternalLeading), static_cast<int>(tm.tmExternalLeading)};
}

Pt GdiCanvas::lp_to_dp(Pt p) const {
    POINT q{p.x, p.y};
    LPtoDP(dc_, &q, 1);
    return {q.x, q.y};
}

Pt GdiCanvas::dp_to_lp(Pt p) const {
    POINT q{p.x, p.y};
    DPtoLP(dc_, &q, 1);
    return {q.x, q.y};
}

// The DC's mapping as GDI applies it to a point: scale and offset per axis, from the window and
// viewport extents and origins, rounded halves up.
void GdiCanvas::read_mapping() {
    pixels_per_unit_ = 1.0 / measured_units_per_pixel();
    thin_width_ = static_cast<int>(std::min(1.0 / pixels_per_unit_, 1e6));
    while ((thin_width_ + 1) * pixels_per_unit_ <= 1) ++thin_width_;
    while (thin_width_ > 0 && thin_width_ * pixels_per_unit_ > 1) --thin_width_;
    SIZE we{1, 1}, ve{1, 1};
    POINT wo{}, vo{};
    GetWindowExtEx(dc_, &we);
    GetViewportExtEx(dc_, &ve);
    GetWindowOrgEx(dc_, &wo);
    GetViewportOrgEx(dc_, &vo);
    const double sx = we.cx ? static_cast<double>(ve.cx) / we.cx : 1, sy = we.cy ? static_cast<double>(ve.cy) / we.cy : 1;
    // GDI keeps the transform in single precision.
    map_[0] = static_cast<float>(sx);
    map_[1] = static_cast<float>(sy);
    map_[2] = static_cast<float>(vo.x - sx * wo.x);
    map_[3] = static_cast<float>(vo.y - sy * wo.y);
}

double GdiCanvas::units_per_pixel() const {
    // While batching the mapping is read once (painters ask for it per object).
    if (batch_) {
        if (pixels_per_unit_ < 0) const_cast<GdiCanvas*>(this)->read_mapping();
        return 1.0 / pixels_per_unit_;
    }
    return measured_units_per_pixel();
}

double GdiCanvas::measured_units_per_pixel() const {
    POINT p[2] = {{0, 0}, {1000, 0}};
    DPtoLP(dc_, p, 2);
    double d = std::abs(static_cast<double>(p[1].x - p[0].x)) / 1000.0;
    return d > 0 ? d : 1.0;
}

namespace {
// Device rectangle of a logical one, normalised so left < right and top < bottom.
RECT device_rect(HDC dc, const Rc& r) {
    POINT p[2] = {{r.left, r.top}, {r.right, r.bottom}};
    LPtoDP(dc, p, 2);
    return {std::min(p[0].x, p[1].x), std::min(p[0].y, p[1].y), std::max(p[0].x, p[1].x),
            std::max(p[0].y, p[1].y)};
}

// Runs f with the DC mapped one-to-one onto device pixels, then puts the mapping back.
template <class F>
void in_device_units(HDC dc, F f) {
    int s = SaveDC(dc);
    SetMapMode(dc, MM_TEXT);
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SetViewportOrgEx(dc, 0, 0, nullptr);
    f();
    RestoreDC(dc, s);
}

// A picture for paper: only the part on the page (`r` in device pixels, clipped to it), at no
// more pixels than the page gives that part. A large photo spooled at its own size would make
// a job of hundreds of megabytes. 0 when nothing of the picture is on the page, -1 when the
// reduced copy cannot be made.
struct PagePicture {
    RECT dst{};
    BITMAPINFO bi{};
    void* bits = nullptr;
    HBITMAP section = nullptr;
    ~PagePicture() {
        if (section) DeleteObject(section);
    }
};

int page_picture(HDC dc, const Dib& d, const BITMAPINFO* bi, const void* bits, const RECT& r, PagePicture& out) {
    const RECT page{0, 0, GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)};
    RECT vis;
    if (!IntersectRect(&vis, &r, &page)) return 0;
    const double kx = double(d.width) / std::max(1L, r.right - r.left);
    const double ky = double(d.height) / std::max(1L, r.bottom - r.top);
    // The source part that lands on the page, rows counted from the top.
    const int sx = std::clamp(int(std::floor((vis.left - r.left) * kx)), 0, d.width - 1);
    const int sy = std::clamp(int(std::floor((vis.top - r.top) * ky)), 0, d.height - 1);
    const int sw = std::clamp(int(std::ceil((vis.right - r.left) * kx)) - sx, 1, d.width - sx);
    const int sh = std::clamp(int(std::ceil((vis.bottom - r.top) * ky)) - sy, 1, d.height - sy);
    const int tw = std::min(sw, int(vis.right - vis.left)), th = std::min(sh, int(vis.bottom - vis.top));
    out.bi.bmiHeader = {sizeof(BITMAPINFOHEADER), tw, -th, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    HDC mem = CreateCompatibleDC(nullptr);
    out.section = mem ? CreateDIBSection(mem, &out.bi, DIB_RGB_COLORS, &out.bits, nullptr, 0) : nullptr;
    if (!out.section) {
        if (mem) DeleteDC(mem);
        return -1;
    }
    HGDIOBJ old = SelectObject(mem, out.section);
    SetStretchBltMode(mem, HALFTONE);
    SetBrushOrgEx(mem, 0, 0, nullptr);
    // StretchDIBits counts source rows from the bottom of a bottom-up bitmap.
    const bool top_down = bi->bmiHeader.biHeight < 0;
    StretchDIBits(mem, 0, 0, tw, th, sx, top_down ? sy : d.height - sy - sh, sw, sh, bits, bi, DIB_RGB_COLORS, SRCCOPY);
    GdiFlush();
    SelectObject(mem, old);
    DeleteDC(mem);
    out.dst = vis;
    return 1;
}
}  // namespace

void GdiCanvas::draw_dib(const Dib& d, const Rc& dst, uint32_t rop) {
    if (d.empty() || d.packed.size() < sizeof(BITMAPINFOHEADER)) return;
    sync_all();
    const auto* bi = reinterpret_cast<const BITMAPINFO*>(d.packed.data());
    const BITMAPINFOHEADER& h = bi->bmiHeader;
    size_t colours = h.biClrUsed ? h.biClrUsed : (h.biBitCount <= 8 ? (1u << h.biBitCount) : 0);
    size_t off = h.biSize + colours * sizeof(RGBQUAD);
    if (h.biCompression == BI_BITFIELDS && h.biSize == 40) off += 3 * sizeof(DWORD);
    if (off >= d.packed.size()) return;
    RECT r = device_rect(dc_, dst);
    HPALETTE old_pal = nullptr;
    if (printer_) {
        old_pal = SelectPalette(dc_, static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
        RealizePalette(dc_);
    }
    in_device_units(dc_, [&] {
        SetStretchBltMode(dc_, COLORONCOLOR);
        PagePicture pp;
        const int on_page = printer_ && GetDeviceCaps(dc_, TECHNOLOGY) == DT_RASPRINTER
                                ? page_picture(dc_, d, bi, d.packed.data() + off, r, pp)
                                : -1;
        if (on_page == 0) return;
        if (on_page == 1) {
            StretchDIBits(dc_, pp.dst.left, pp.dst.top, pp.dst.right - pp.dst.left, pp.dst.bottom - pp.dst.top, 0, 0,
                          pp.bi.bmiHeader.biWidth, -pp.bi.bmiHeader.biHeight, pp.bits, &pp.bi, DIB_RGB_COLORS, rop);
            return;
        }
        StretchDIBits(dc_, r.left, r.top, r.right - r.left, r.bottom - r.top, 0, 0, d.width, d.height,
                      d.packed.data() + off, bi, DIB_RGB_COLORS, rop);
    });
    if (printer_ && old_pal) SelectPalette(dc_, old_pal, FALSE);
}

void GdiCanvas::draw_metafile(const void* emf, const Rc& r) {
    if (!emf) return;
    sync_all();
    RECT rc{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
            std::max(r.top, r.bottom)};
    in_device_units(dc_, [&] { PlayEnhMetaFile(dc_, static_cast<HENHMETAFILE>(const_cast<void*>(emf)), &rc); });
}

void GdiCanvas::draw_icon(const void* icon, const Rc& dst) {
    if (!icon) return;
    sync_all();
    RECT r = device_rect(dc_, dst);
    in_device_units(dc_, [&] {
        DrawIconEx(dc_, r.left, r.top, static_cast<HICON>(const_cast<void*>(icon)), r.right - r.left,
                   r.bottom - r.top, 0, nullptr, DI_NORMAL);
    });
}
