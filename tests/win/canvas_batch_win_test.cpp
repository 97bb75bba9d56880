// The GDI canvas selects pens and brushes only when it draws and sends runs of lines as one
// call; the picture must be the one plain GDI calls in the same order give, pixel for pixel.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "elements/canvas_win.h"
#include "elements/obj_paint.h"
#include "win/win_test_util.h"

namespace {

struct Op {
    enum Kind { SetPen, SetBrush, Line, Poly, Rect, Mix, Bk } kind;
    int a = 0, b = 0, c = 0;
    std::vector<Pt> pts;
};

Op pen(int width, int style, Colour c) { return {Op::SetPen, width, style, static_cast<int>(c)}; }
Op brush(Colour c) { return {Op::SetBrush, static_cast<int>(c)}; }
Op line(Pt a, Pt b) { return {Op::Line, 0, 0, 0, {a, b}}; }
Op poly(std::vector<Pt> p) { return {Op::Poly, 0, 0, 0, std::move(p)}; }
Op rect(int l, int t, int r, int b) { return {Op::Rect, 0, 0, 0, {{l, t}, {r, b}}}; }
Op mix(int m) { return {Op::Mix, m}; }
Op bk(bool opaque, Colour c) { return {Op::Bk, opaque, static_cast<int>(c)}; }

enum class Mode { Plain, Batched, Raster };

void draw(Canvas& c, const Op& o) {
    switch (o.kind) {
    case Op::SetPen: c.set_pen({o.a, o.b, static_cast<Colour>(o.c)}); break;
    case Op::SetBrush: c.set_brush(o.b ? Brush{1, 0xFFFFFF} : Brush{2, static_cast<Colour>(o.a)}); break;
    case Op::Line: c.line(o.pts[0], o.pts[1]); break;
    case Op::Poly: c.polyline(o.pts); break;
    case Op::Rect: c.rectangle({o.pts[0].x, o.pts[0].y, o.pts[1].x, o.pts[1].y}); break;
    case Op::Mix: c.set_mix(o.a); break;
    case Op::Bk: c.set_text_bk(o.a != 0, static_cast<Colour>(o.b)); break;
    }
}

// Raster: lines along an axis and thin-pen rectangles go straight into the bitmap's bits.
void through_canvas(wt::MemBitmap& b, const std::vector<Op>& ops, Mode mode, RECT clip = {0, 0, 1 << 20, 1 << 20}) {
    GdiCanvas c(b.dc);
    c.set_batching(mode != Mode::Plain);
    if (mode == Mode::Raster) c.set_raster(b.bits, b.w, b.h, clip);
    for (const Op& o : ops) draw(c, o);
}

// The same with one plain GDI call per step and a new pen or brush for every change.
void plain(HDC dc, const std::vector<Op>& ops) {
    int saved = SaveDC(dc);
    SetBkMode(dc, TRANSPARENT);
    std::vector<HGDIOBJ> made;
    for (const Op& o : ops) {
        switch (o.kind) {
        case Op::SetPen: made.push_back(CreatePen(o.b, o.a, static_cast<COLORREF>(o.c))); SelectObject(dc, made.back()); break;
        case Op::SetBrush:
            if (o.b) {
                SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
                break;
            }
            made.push_back(CreateSolidBrush(static_cast<COLORREF>(o.a)));
            SelectObject(dc, made.back());
            break;
        case Op::Line:
            MoveToEx(dc, o.pts[0].x, o.pts[0].y, nullptr);
            LineTo(dc, o.pts[1].x, o.pts[1].y);
            break;
        case Op::Poly: {
            std::vector<POINT> p;
            for (Pt q : o.pts) p.push_back({q.x, q.y});
            Polyline(dc, p.data(), static_cast<int>(p.size()));
            break;
        }
        case Op::Rect: Rectangle(dc, o.pts[0].x, o.pts[0].y, o.pts[1].x, o.pts[1].y); break;
        case Op::Mix: SetROP2(dc, o.a + 1); break;
        case Op::Bk:
            SetBkMode(dc, o.a ? OPAQUE : TRANSPARENT);
            SetBkColor(dc, static_cast<COLORREF>(o.b));
            break;
        }
    }
    RestoreDC(dc, saved);
    for (HGDIOBJ h : made) DeleteObject(h);
}

int differing_pixels(const wt::MemBitmap& a, const wt::MemBitmap& b) {
    GdiFlush();
    int n = 0;
    for (int y = 0; y < a.h; ++y)
        for (int x = 0; x < a.w; ++x) n += a.px(x, y) != b.px(x, y);
    return n;
}

}  // namespace

TEST(CanvasBatching, PictureIsThatOfPlainCallsInOrder) {
    const Colour red = 0x0000FF, green = 0x00FF00, blue = 0xFF0000;
    struct Case {
        const char* what;
        std::vector<Op> ops;
    };
    const std::vector<Case> cases = {
        {"crossing lines of two pens: the later pen lies on top",
         {pen(3, 0, red), line({-40, 0}, {40, 0}), poly({{-40, -20}, {0, 20}, {40, -20}}), pen(3, 0, blue),
          line({0, -40}, {0, 40}), pen(3, 0, red), line({-40, 10}, {40, 10})}},
        {"a pen set and set back before drawing changes nothing",
         {pen(1, 0, red), pen(1, 0, green), pen(1, 0, red), line({-30, -30}, {30, 30})}},
        {"lines under and over a filled rectangle",
         {pen(1, 0, red), brush(green), line({-50, 0}, {50, 0}), rect(-20, 20, 20, -20), line({0, -50}, {0, 50}),
          brush(blue), rect(10, 30, 30, 10), line({-50, 20}, {50, 20})}},
        {"the same line twice in XOR mix cancels, lines after it stay",
         {pen(1, 0, red), mix(kMixXorPen), line({-40, 5}, {40, 5}), line({-40, 5}, {40, 5}), mix(kMixCopyPen),
          line({-40, -5}, {40, -5})}},
        {"repeated points and lines of no length, thin and wide pens",
         {pen(1, 0, red), poly({{-30, 0}, {-30, 0}, {30, 0}, {30, 30}, {30, 30}}), line({10, 10}, {10, 10}),
          line({-30, -20}, {-30, -20}), pen(7, 0, blue), poly({{-40, -40}, {-40, -40}, {0, -40}, {0, -40}}),
          line({20, -30}, {20, -30}), pen(1, 2, green), line({-35, 35}, {-35, 35}), poly({{-35, 35}, {35, 35}, {35, 35}})}},
        {"rectangles of every small size, hollow and filled, under and over lines",
         {pen(1, 0, red), brush(green), rect(-40, 40, -40, 30), rect(-38, 40, -37, 30), rect(-35, 40, -33, 30),
          rect(-30, 40, -27, 30), rect(-25, 40, -24, 39), rect(-22, 40, -20, 38), rect(-18, 40, -15, 37),
          rect(-12, 40, -2, 39), rect(0, 40, 10, 38), line({-45, 35}, {45, 35}), poly({{-45, 20}, {45, 20}, {45, -20}}),
          rect(40, 25, 20, 15), {Op::SetBrush, 0, 1}, rect(-40, 10, -20, -10), rect(-5, 5, 5, -5), pen(1, 0, blue),
          line({-45, -30}, {-45, -30}), line({30, -40}, {10, -40}), line({-10, -45}, {-10, -25}), rect(-30, -35, 0, -25)}},
        {"a dotted line's gaps follow the background mode it was drawn under",
         {pen(1, 2, blue), line({-45, 0}, {45, 0}), bk(true, green), line({-45, 8}, {45, 8}), bk(false, 0),
          line({-45, 16}, {45, 16}), bk(true, red), line({-45, 24}, {45, 24})}},
    };
    // At one unit a pixel and at four, where the wide pens are thinner than a pixel.
    for (int units : {1, 4}) {
        for (const auto& k : cases) {
            for (Mode mode : {Mode::Plain, Mode::Batched, Mode::Raster}) {
                wt::MemBitmap got(120, 120, 60, 60, 1, units), want(120, 120, 60, 60, 1, units);
                through_canvas(got, k.ops, mode);
                plain(want.dc, k.ops);
                EXPECT_EQ(differing_pixels(got, want), 0) << k.what << " (mode " << static_cast<int>(mode) << ") at " << units;
                EXPECT_NE(got.ink_count(), 0) << k.what;
            }
        }
    }
}

TEST(CanvasBatching, DcHandedOutHasThePenAskedForAndTheLinesDrawn) {
    wt::MemBitmap b(60, 60, 30, 30);
    {
        GdiCanvas c(b.dc);
        c.set_batching(true);
        c.set_pen({1, 0, 0x0000FF});
        c.line({-20, -10}, {20, -10});
        HDC dc = c.dc();
        // Drawn before the caller goes on with GDI: a white line over it must win.
        HPEN white = CreatePen(PS_SOLID, 1, 0xFFFFFF);
        HGDIOBJ old = SelectObject(dc, white);
        MoveToEx(dc, -20, -10, nullptr);
        LineTo(dc, 20, -10);
        SelectObject(dc, old);
        DeleteObject(white);
        c.set_pen({1, 0, 0x00FF00});
        HDC again = c.dc();
        MoveToEx(again, -20, 10, nullptr);
        LineTo(again, 20, 10);
    }
    EXPECT_EQ(b.at(30, 40), 0xFFFFFFu) << "the batched line was drawn after the caller's own";
    EXPECT_EQ(b.at(30, 20), 0x00FF00u) << "the pen set last was not selected for the caller";
}

// Handles of objects far out of zoom are rectangles smaller than a pixel, most of which cover
// none: those are left out, the others drawn as before, under any scale and window origin.
TEST(CanvasBatching, RectanglesSmallerThanAPixelAsPlainCalls) {
    std::vector<Op> ops{pen(0, 0, 0), brush(0xFFFFFF)};
    unsigned seed = 7;
    auto next = [&] { return static_cast<int>((seed = seed * 1103515245u + 12345u) >> 16); };
    for (int k = 0; k < 600; ++k) {
        if (k % 50 == 0) ops.push_back(pen(k % 100 ? 0 : 1, 0, k % 100 ? 0x0000FF : 0));
        const int x = next() % 6000 - 3000, y = next() % 6000 - 3000, s = 6 + next() % 40;
        ops.push_back(rect(x - s, y - s, x + s, y + s));
    }
    for (int units : {3, 7, 24, 60}) {
        for (POINT org : {POINT{0, 0}, POINT{13, -7}}) {
            for (Mode mode : {Mode::Batched, Mode::Raster}) {
                wt::MemBitmap got(120, 120, 60, 60, 1, units), want(120, 120, 60, 60, 1, units);
                for (HDC dc : {got.dc, want.dc}) SetWindowOrgEx(dc, org.x * units, org.y * units, nullptr);
                through_canvas(got, ops, mode);
                plain(want.dc, ops);
                EXPECT_EQ(differing_pixels(got, want), 0)
                    << "at " << units << " units a pixel, origin " << org.x << ", mode " << static_cast<int>(mode);
                EXPECT_NE(want.ink_count(), 0) << units;
            }
        }
    }
}

// Written into the bits, figures keep to the update area as GDI's clipping keeps its calls.
TEST(CanvasBatching, RasterKeepsToTheClipArea) {
    const std::vector<Op> ops{pen(1, 0, 0x0000FF), brush(0x00FF00), rect(-50, 50, 50, -50), line({-55, 0}, {55, 0}),
                              line({0, 55}, {0, -55})};
    const RECT clip{20, 30, 70, 90};
    wt::MemBitmap got(120, 120, 60, 60), want(120, 120, 60, 60);
    through_canvas(got, ops, Mode::Raster, clip);
    IntersectClipRect(want.dc, -40, 30, 10, -30);  // the same pixels in the logical units of the y-up mapping
    plain(want.dc, ops);
    EXPECT_EQ(differing_pixels(got, want), 0);
    EXPECT_EQ(got.count_not(0xFFFFFF, 0, 0, 120, 30), 0) << "drawn above the clip area";
    EXPECT_NE(got.ink_count(), 0);
}

// Box, Bar and Square figures written into the bits whole give what drawing their steps one by
// one with GDI gives: at any scale (where a pen is wider than a pixel GDI draws the figure),
// window origin and size down to less than a pixel, with depth, highlight, hollow or filled.
TEST(CanvasBatching, SmallFiguresWrittenWholeAsTheirStepsDrawn) {
    ObjEnv env;
    env.param = [](int code) { return code == 97 ? 30 : 0; };
    const std::string hypertext(100, 'h');  // gives a box its depth
    unsigned seed = 11;
    auto next = [&] { return static_cast<int>((seed = seed * 1103515245u + 12345u) >> 16); };
    // At 700 units a pixel most figures fall within one pixel.
    for (int units : {2, 9, 40, 150, 700}) {
        for (POINT org : {POINT{0, 0}, POINT{5, -3}}) {
            wt::MemBitmap got(120, 120, 60, 60, 1, units), want(120, 120, 60, 60, 1, units);
            for (HDC dc : {got.dc, want.dc}) SetWindowOrgEx(dc, org.x * units, org.y * units, nullptr);
            std::vector<Op> all;
            int written = 0;
            {
                GdiCanvas c(got.dc);
                c.set_batching(true);
                c.set_raster(got.bits, got.w, got.h, {0, 0, got.w, got.h});
                for (int k = 0; k < 200; ++k) {
                    ObjDrawArgs a;
                    const int shapes[] = {kShapeBox, kShapeBar, kShapeSquare};
                    a.shape = shapes[k % 3];
                    a.x = (next() % 100 - 50) * units;
                    a.y = (next() % 100 - 50) * units;
                    a.size = 1 + next() % 40;
                    a.text_w = next() % 900;
                    a.line_h = 20 + next() % 180;
                    a.fixed = k % 4 == 0;
                    a.picture_name = k % 5 == 0 ? std::string_view{hypertext} : std::string_view{};
                    a.edge = k % 2 ? 0xFFFFFF : 0;
                    a.colour = k % 32;
                    if (k % 7 == 0) a.light = ObjLight{-1, 1, 0xFFFFFF};
                    ObjRectFigure f;
                    ASSERT_TRUE(obj_rect_figure(env, a, f));
                    std::vector<Op> ops{k % 6 ? brush(obj_palette_colour(a.colour)) : Op{Op::SetBrush, 0, 1}};
                    for (int i = 0; i < f.n; ++i) {
                        const ObjFigureStep& s = f.steps[i];
                        ops.push_back(pen(s.pen.width, s.pen.style, s.pen.colour));
                        std::vector<Pt> pts;
                        for (int j = 0; j < s.n; ++j) pts.push_back(f.point(s, j));
                        ops.push_back(s.rect ? rect(pts[0].x, pts[0].y, pts[1].x, pts[1].y) : poly(pts));
                    }
                    const Brush b = k % 6 ? Brush{2, obj_palette_colour(a.colour)} : Brush{1, 0xFFFFFF};
                    if (c.raster_figure(f, b))
                        ++written;
                    else
                        for (const Op& o : ops) draw(c, o);
                    all.insert(all.end(), ops.begin(), ops.end());
                }
            }
            plain(want.dc, all);
            EXPECT_EQ(differing_pixels(got, want), 0) << "at " << units << " units a pixel, origin " << org.x;
            EXPECT_NE(want.ink_count(), 0) << units;
            if (units >= 9) {
                EXPECT_GT(written, 100) << "figures at " << units << " units a pixel went to GDI";
            }
        }
    }
}

// Thin pens and a solid or hollow brush only: anything else is left to GDI, untouched.
TEST(CanvasBatching, FiguresTheRasterCannotWriteAreLeftWhole) {
    wt::MemBitmap b(60, 60, 30, 30);
    GdiCanvas c(b.dc);
    c.set_batching(true);
    c.set_raster(b.bits, b.w, b.h, {0, 0, b.w, b.h});
    ObjRectFigure f;
    f.xs[0] = -10, f.xs[1] = 10, f.nx = 2;
    f.ys[0] = 10, f.ys[1] = -10, f.ny = 2;
    f.steps[0] = {true, {1, 0, 0}, {0, 5}, 2};  // corners (-10, 10) and (10, -10)
    f.steps[1] = {false, {1, 0, 0xFF}, {0, 5}, 2};
    f.n = 2;
    EXPECT_FALSE(c.raster_figure(f, {2, 0xFF00})) << "a slanted line";
    f.steps[1] = {false, {3, 0, 0xFF}, {0, 4}, 2};
    EXPECT_FALSE(c.raster_figure(f, {2, 0xFF00})) << "a pen three pixels wide";
    f.steps[1] = {false, {1, 2, 0xFF}, {0, 4}, 2};
    EXPECT_FALSE(c.raster_figure(f, {2, 0xFF00})) << "a dotted pen";
    f.n = 1;
    EXPECT_FALSE(c.raster_figure(f, {4, 0xFF00})) << "a hatched brush";
    c.flush();
    EXPECT_EQ(b.ink_count(), 0);
    EXPECT_TRUE(c.raster_figure(f, {2, 0xFF00}));
    EXPECT_NE(b.ink_count(), 0);
}

namespace {

void round_through_canvas(Canvas& c, const ObjRoundFigure& f, const Brush& b) {
    c.set_brush(b);
    c.set_pen({1, 0, 0});
    if (f.ellipse) c.ellipse({f.pts[0].x, f.pts[0].y, f.pts[1].x, f.pts[1].y});
    else c.polygon(std::vector<Pt>(f.pts, f.pts + f.n));
    c.set_pen(f.highlight_pen);
    if (f.highlight == ObjRoundFigure::kArc) c.arc({f.pts[0].x, f.pts[0].y, f.pts[1].x, f.pts[1].y}, f.h0, f.h1);
    if (f.highlight == ObjRoundFigure::kLine) c.line(f.h0, f.h1);
}

void round_plain(HDC dc, const ObjRoundFigure& f, const Brush& b) {
    HPEN black = CreatePen(PS_SOLID, 1, 0), light = CreatePen(PS_SOLID, 1, f.highlight_pen.colour);
    HBRUSH fill = b.pattern == 2 ? CreateSolidBrush(b.colour) : static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH));
    HGDIOBJ old_pen = SelectObject(dc, black), old_brush = SelectObject(dc, fill);
    if (f.ellipse) {
        Ellipse(dc, f.pts[0].x, f.pts[0].y, f.pts[1].x, f.pts[1].y);
    } else {
        POINT p[4];
        for (int i = 0; i < f.n; ++i) p[i] = {f.pts[i].x, f.pts[i].y};
        Polygon(dc, p, f.n);
    }
    SelectObject(dc, light);
    if (f.highlight == ObjRoundFigure::kArc)
        Arc(dc, f.pts[0].x, f.pts[0].y, f.pts[1].x, f.pts[1].y, f.h0.x, f.h0.y, f.h1.x, f.h1.y);
    if (f.highlight == ObjRoundFigure::kLine) {
        MoveToEx(dc, f.h0.x, f.h0.y, nullptr);
        LineTo(dc, f.h1.x, f.h1.y);
    }
    SelectObject(dc, old_pen);
    SelectObject(dc, old_brush);
    DeleteObject(black);
    DeleteObject(light);
    if (b.pattern == 2) DeleteObject(fill);
}

}  // namespace

// Ellipse, Circle and Diamond figures copied from what GDI drew for their size give what drawing
// each with GDI gives: at several scales (larger figures and wide pens go to GDI) and window
// origins, lit from any side or not, hollow or filled, inside and across the clip area.
TEST(CanvasBatching, RoundFiguresWrittenAsGdiDrawsThem) {
    unsigned seed = 5;
    auto next = [&] { return static_cast<int>((seed = seed * 1103515245u + 12345u) >> 16); };
    const std::optional<ObjLight> lights[] = {ObjLight{}, std::nullopt, ObjLight{-1, 1, 0xFFFFFF}, ObjLight{0, 1, 0xFFFFFF}};
    for (int units : {3, 9, 40, 150}) {
        for (POINT org : {POINT{0, 0}, POINT{7, -2}}) {
            const RECT clip{10, 20, 110, 100};
            wt::MemBitmap got(120, 120, 60, 60, 1, units), want(120, 120, 60, 60, 1, units);
            for (HDC dc : {got.dc, want.dc}) SetWindowOrgEx(dc, org.x * units, org.y * units, nullptr);
            POINT lp[2] = {{clip.left, clip.top}, {clip.right, clip.bottom}};
            DPtoLP(want.dc, lp, 2);
            IntersectClipRect(want.dc, lp[0].x, lp[0].y, lp[1].x, lp[1].y);
            std::vector<std::pair<ObjRoundFigure, Brush>> drawn;
            int written = 0;
            {
                GdiCanvas c(got.dc);
                c.set_batching(true);
                c.set_raster(got.bits, got.w, got.h, clip);
                IntersectClipRect(got.dc, lp[0].x, lp[0].y, lp[1].x, lp[1].y);
                for (int k = 0; k < 300; ++k) {
                    ObjDrawArgs a;
                    const int shapes[] = {kShapeEllipse, kShapeCircle, kShapeDiamond};
                    a.shape = shapes[k % 3];
                    a.x = (next() % 140 - 70) * units;
                    a.y = (next() % 140 - 70) * units;
                    a.size = 1 + next() % (k % 10 ? 30 : 200);
                    a.edge = k % 2 ? 0xFFFFFF : 0;
                    a.light = lights[k % 4];
                    ObjRoundFigure f;
                    ASSERT_TRUE(obj_round_figure(a, f));
                    const Brush b = k % 5 ? Brush{2, obj_palette_colour(k % 32)} : Brush{1, 0xFFFFFF};
                    if (c.raster_round(f, b)) ++written;
                    else round_through_canvas(c, f, b);
                    drawn.emplace_back(f, b);
                }
            }
            for (const auto& [f, b] : drawn) round_plain(want.dc, f, b);
            EXPECT_EQ(differing_pixels(got, want), 0) << "at " << units << " units a pixel, origin " << org.x;
            EXPECT_NE(want.ink_count(), 0) << units;
            if (units >= 40) {
                EXPECT_GT(written, 200) << "figures at " << units << " units a pixel went to GDI";
            }
        }
    }
}
