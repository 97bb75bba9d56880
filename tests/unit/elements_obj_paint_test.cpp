// The object painter through the recording canvas: figures, recorded rectangles, text placement,
// highlights, icons, pictures and live icons, with the worked numbers of the painting rules.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "elements/obj_paint.h"

namespace {

using Call = RecordingCanvas::Call;

struct Fixture {
    RecordingCanvas c;
    ObjEnv env;
    std::map<int, int32_t> params;
    std::vector<int> icons_asked;
    std::optional<double> value;
    ObjClock clock{17, 23, 10};
    Fixture() {
        c.font.height = 12;
        env.param = [this](int code) { auto it = params.find(code); return it == params.end() ? 0 : it->second; };
        env.icon_bitmap = [this](int n) {
            icons_asked.push_back(n);
            auto d = std::make_shared<Dib>();
            d->width = d->height = 28;
            d->packed.assign(40, 0);
            return std::shared_ptr<const Dib>(d);
        };
        env.value = [this](Key) { return value; };
        env.now = [this] { return clock; };
        env.picture = [](Key, std::string_view) { return std::shared_ptr<const Dib>(); };
        env.metafile = [](Key, std::string_view) { return std::optional<ObjMetafile>(); };
        env.icon_file = [](std::string_view) -> const void* { return nullptr; };
    }
    void draw(const ObjDrawArgs& a) {
        obj_rect_cache_clear();
        c.calls.clear();
        obj_draw(c, env, a);
    }
    std::vector<Call> of(const char* op) const { return c.of(op); }
};

ObjDrawArgs args(int shape, int size = 15, std::string_view text = "Idea", int text_w = 100) {
    ObjDrawArgs a;
    a.shape = shape;
    a.key = 5;
    a.size = size;
    a.text = text;
    a.text_w = text_w;
    a.line_h = 28;
    return a;
}

std::vector<int> first4(const Call& c) { return {c.args.begin(), c.args.begin() + 4}; }

std::vector<int> rect_of(const ObjRectEntry& e) { return {e.l, e.t, e.r, e.b, e.f1, e.f2}; }

size_t index_of(const std::vector<Call>& calls, const std::string& op) {
    for (size_t i = 0; i < calls.size(); ++i)
        if (calls[i].op == op) return i;
    return calls.size();
}

TEST(ObjPaint, BoxSizeFifteenMatchesTheWorkedExample) {
    Fixture f;
    f.draw(args(161));
    ASSERT_EQ(objrect_.size(), 1u);
    EXPECT_EQ(rect_of(objrect_[0]), (std::vector<int>{-65, 43, 65, -43, 0, 1}));  // 130 x 86
    auto poly = f.of("polyline");
    ASSERT_EQ(poly.size(), 1u);
    // Depth 0: the back face collapses onto the front face.
    EXPECT_EQ(poly[0].args, (std::vector<int>{-65, 43, -65, 43, 65, 43, 65, -43, 65, -43}));
    EXPECT_EQ(f.of("rectangle")[0].args, (std::vector<int>{-65, -43, 65, 43}));
    EXPECT_EQ(f.of("pen")[0].args, (std::vector<int>{3, 0, 0}));
    auto txt = f.of("drawtext");
    ASSERT_EQ(txt.size(), 1u);
    EXPECT_EQ(txt[0].args[4] & kDtSingleLine, static_cast<int>(kDtSingleLine));
}

TEST(ObjPaint, BoxDepthFollowsExtensionLength) {
    struct { size_t n; bool fixed; int s228; int depth; } cases[] = {
        {0, false, 0, 0}, {15, false, 0, 0}, {16, false, 0, 1}, {479, false, 0, 29}, {480, false, 0, 30},
        {991, false, 0, 37}, {1023, false, 0, 38}, {1024, false, 0, 110}, {2048, false, 0, 111},
        {100, true, 12, 12}, {100, true, 0, 6}, {100, false, 12, 6},
    };
    for (auto c : cases) EXPECT_EQ(obj_box_depth(c.n, c.fixed, c.s228), c.depth) << c.n;
}

TEST(ObjPaint, SizeZeroPaintsNoFigureForAnyShape) {
    for (int shape : {160, 161, 162, 163, 164, 166, 167, 170, 172, 183, 188, 201, 930}) {
        Fixture f;
        f.draw(args(shape, 0));
        ASSERT_EQ(objrect_.size(), 1u) << shape;
        EXPECT_EQ(rect_of(objrect_[0]), (std::vector<int>{-15, 15, 15, -15, 0, 0})) << shape;
        for (const char* op : {"rectangle", "ellipse", "polygon", "polyline", "line", "dib"})
            EXPECT_TRUE(f.of(op).empty()) << shape << " " << op;
        auto txt = f.of("drawtext");
        ASSERT_EQ(txt.size(), 1u);
        EXPECT_EQ(txt[0].args[1], -15);       // below the empty square
        EXPECT_EQ(txt[0].args[3], -15 - 56);
    }
}

TEST(ObjPaint, CodesWithoutRulePaintAndRecordNothing) {
    for (int shape : {165, 168, 171, 174, 182, 189, 195, 200}) {
        Fixture f;
        f.draw(args(shape));
        EXPECT_TRUE(objrect_.empty()) << shape;
        EXPECT_TRUE(f.c.calls.empty()) << shape;
    }
}

TEST(ObjPaint, FiguresAndMarkers) {
    struct { int shape; std::vector<int> rec; const char* figure; } cases[] = {
        {162, {-180, 90, 180, -90, 0, 1}, "ellipse"},
        {164, {-125, 125, 125, -125, 1, 1}, "ellipse"},
        {166, {-120, 120, 120, -120, 1, 1}, "rectangle"},
        {163, {-200, 100, 200, -100, 0, 0}, "polygon"},
        {160, {-65, 43, 65, -43, 0, 1}, "rectangle"},
        {184, {-120, 120, 120, -120, 1, 1}, "polygon"},
        {183, {-104, 120, 104, -60, 1, 1}, "polygon"},
    };
    for (const auto& c : cases) {
        Fixture f;
        f.draw(args(c.shape));
        ASSERT_EQ(objrect_.size(), 1u) << c.shape;
        EXPECT_EQ(rect_of(objrect_[0]), c.rec) << c.shape;
        EXPECT_FALSE(f.of(c.figure).empty()) << c.shape;
    }
}

TEST(ObjPaint, WidthSettingsOneToFourPaintVariable) {
    const std::vector<int> variable{-65, 43, 65, -43, 0, 1};
    for (auto [s97, rec] : {std::pair{0, variable}, {1, variable}, {2, variable}, {4, variable},
                            {20, std::vector<int>{-50, 43, 50, -43, 1, 1}}}) {
        Fixture f;
        f.params[97] = s97;
        ObjDrawArgs a = args(160);
        a.fixed = true;
        f.draw(a);
        EXPECT_EQ(rect_of(objrect_[0]), rec) << s97;
    }
}

TEST(ObjPaint, MarkedObjectGetsEightHandlesAfterTheFigure) {
    Fixture f;
    ObjDrawArgs a = args(166);
    a.marked = true;
    f.draw(a);
    auto rects = f.of("rectangle");
    ASSERT_EQ(rects.size(), 9u);
    EXPECT_EQ(rects[1].args, (std::vector<int>{-132, 108, -108, 132}));  // first handle at (L, T)
    EXPECT_EQ(rects[8].args, (std::vector<int>{108, -12, 132, 12}));     // last at (R, mid)
}

TEST(ObjPaint, LightBandsNeedBothCoordinates) {
    struct { ObjLight light; size_t bands; } cases[] = {
        {{0, 0, 0}, 0}, {{100, 0, 0x00FF00}, 0}, {{0, 100, 0x00FF00}, 0}, {{100, 50, 0x00FF00}, 2},
    };
    for (auto c : cases) {
        Fixture f;
        ObjDrawArgs a = args(166);
        a.light = c.light;
        f.draw(a);
        EXPECT_EQ(f.of("ellipse").size(), c.bands);
        if (c.bands) {
            EXPECT_EQ(f.of("ellipse")[0].args, (std::vector<int>{-120, 36, 120, 64}));
            EXPECT_EQ(f.of("ellipse")[1].args, (std::vector<int>{90, 120, 110, -120}));
        }
    }
}

TEST(ObjPaint, DeviceRectangleOnlyAboveTheViewLevel) {
    Fixture f;
    f.env.view_level = 1;
    ObjDrawArgs a = args(166);
    a.level = 2;
    f.draw(a);
    EXPECT_EQ(objrect_[0].kind, 0);
    EXPECT_EQ(objrect_[0].device, (Rc{-120, 120, 120, -120}));
    a.level = 1;
    f.draw(a);
    EXPECT_EQ(objrect_[0].kind, 1);
    EXPECT_EQ(objrect_[0].device, (Rc{}));
}

TEST(ObjPaint, IconSquareAndRecords) {
    Fixture f;
    f.draw(args(230));
    ASSERT_EQ(f.of("dib").size(), 1u);
    EXPECT_EQ(first4(f.of("dib")[0]), (std::vector<int>{-60, 91, 60, -29}));
    EXPECT_EQ(rect_of(objrect_[0]), (std::vector<int>{-85, 106, 85, -94, 1, 1}));

    Fixture g;
    g.params[227] = 20;
    ObjDrawArgs a = args(230);
    a.fixed = true;
    g.draw(a);
    EXPECT_EQ(rect_of(objrect_[0]), (std::vector<int>{-60, 81, 210, -29, 1, 1}));
    auto txt = g.of("drawtext");
    ASSERT_EQ(txt.size(), 1u);
    EXPECT_EQ(txt[0].args, (std::vector<int>{110, 81, 210, -29, kDtLeft | kDtWordBreak | kDtNoPrefix | kDtNoClip}));
}

TEST(ObjPaint, BitmapRasterOperationFollowsTheBrush) {
    struct { int pattern; int s365; uint32_t rop; } cases[] = {
        {2, 5, kRopSrcCopy}, {1, 5, 0x660046}, {1, 0, 0xBB0226}, {1, 99, kRopSrcCopy},
    };
    for (auto c : cases) {
        Fixture f;
        f.params[365] = c.s365;
        f.c.brush.pattern = c.pattern;
        f.draw(args(230));
        EXPECT_EQ(static_cast<uint32_t>(f.of("dib")[0].args[4]), c.rop) << c.pattern << "/" << c.s365;
    }
}

TEST(ObjPaint, PictureRulesFallThrough) {
    // A picture file name that loads nothing paints icon 208.
    Fixture f;
    ObjDrawArgs a = args(169);
    a.picture_name = "missing.bmp";
    f.draw(a);
    EXPECT_EQ(f.icons_asked, (std::vector<int>{208}));
    EXPECT_EQ(objrect_.size(), 1u);
    // An embedded picture that cannot be loaded paints and records nothing.
    Fixture g;
    g.draw(args(173));
    EXPECT_TRUE(objrect_.empty());
    EXPECT_TRUE(g.icons_asked.empty());
}

TEST(ObjPaint, IconFileNameInAnyCaseTakesTheIconRule) {
    Fixture f;
    ObjDrawArgs a = args(169);
    a.picture_name = "C:\\Pics\\Face.IcO";
    f.draw(a);
    ASSERT_EQ(f.of("icon").size(), 1u);
    EXPECT_EQ(f.of("icon")[0].args, (std::vector<int>{-75, 75, 75, -75}));
    EXPECT_EQ(rect_of(objrect_[0]), (std::vector<int>{-75, 75, 75, -131, 1, 1}));
}

TEST(ObjPaint, BitmapPictureScalesWithSize) {
    Fixture f;
    f.env.picture = [](Key, std::string_view) {
        auto d = std::make_shared<Dib>();
        d->width = 10;
        d->height = 20;
        d->packed.assign(40, 0);
        return std::shared_ptr<const Dib>(d);
    };
    ObjDrawArgs a = args(169);
    a.picture_name = "pic.bmp";
    f.draw(a);
    // f = 3.5 at size 15: 35 x 70.
    EXPECT_EQ(first4(f.of("dib")[0]), (std::vector<int>{-17, 35, 18, -35}));
    EXPECT_EQ(rect_of(objrect_[0]), (std::vector<int>{-17, 35, 18, -35 - 56, 1, 1}));
}

TEST(ObjPaint, MetafileSizedFromZoomAndDevice) {
    Fixture f;
    bool released = false;
    f.env.metafile = [&](Key, std::string_view) {
        ObjMetafile m;
        m.handle = &m;
        m.width = 200;
        m.height = 100;
        m.release = [&] { released = true; };
        return std::optional<ObjMetafile>(m);
    };
    f.env.zoom_percent = 100;
    f.env.device_measure = 1000;  // 0.55 per zoom percent and size step
    ObjDrawArgs a = args(173);
    a.x = 1000;
    a.y = 500;
    f.draw(a);
    ASSERT_EQ(f.of("metafile").size(), 1u);
    // 825 x 412.5 device units about (1000, 500).
    EXPECT_EQ(f.of("metafile")[0].args, (std::vector<int>{588, 294, 1413, 706}));
    EXPECT_TRUE(released);
    EXPECT_EQ(rect_of(objrect_[0]), (std::vector<int>{588, 294, 1413, 706 - 56 - 10, 1, 1}));
}

TEST(ObjPaint, LineObjectsKeepTheCallersPen) {
    for (int shape : {167, 172}) {
        Fixture f;
        f.c.pen = {2, 1, 0x123456};
        f.draw(args(shape));
        EXPECT_EQ(f.c.pen, (Pen{2, 1, 0x123456})) << shape;
        EXPECT_EQ(f.of("line").size(), shape == 167 ? 2u : 1u);
        EXPECT_EQ(f.of("pen")[0].args[0], shape == 167 ? 12 : 10);
    }
}

TEST(ObjPaint, WrappedTextRisesHalfALinePerExtraLine) {
    RecordingCanvas c;
    c.font.height = 12;  // metrics total 12
    // 300 wide in 110: three extra lines, raised 3 x 6 above mid + LineH - 4.
    obj_text_draw(c, 1, 0, 200, 110, 0, 300, 28, 2, "long text");
    EXPECT_EQ(c.of("drawtext")[0].args, (std::vector<int>{0, 142, 110, 0, kDtCenter | kDtWordBreak | kDtNoPrefix | kDtNoClip}));
    c.calls.clear();
    obj_text_draw(c, 1, 0, 80, 110, 0, 300, 28, 5, "long text");  // never above the top
    EXPECT_EQ(c.of("drawtext")[0].args[1], 80);
    EXPECT_EQ(c.of("drawtext")[0].args[4] & kDtCenter, 0);
    for (int mode : {0, 1}) {
        c.calls.clear();
        obj_text_draw(c, mode, 0, 120, 110, 0, 50, 28, 2, "short");
        EXPECT_EQ(c.of("drawtext")[0].args,
                  (std::vector<int>{0, 120, 110, 0, kDtSingleLine | kDtCenter | kDtVCenter | kDtWordBreak | kDtNoPrefix}));
    }
    c.calls.clear();
    obj_text_draw(c, 1, 0, 120, 10, 0, 50, 28, 2, "narrow");  // no room at all: no division by zero
    EXPECT_EQ(c.of("drawtext").size(), 1u);
    c.calls.clear();
    obj_text_draw(c, 1, 0, 120, 10, 0, 50, 28, 2, "");
    EXPECT_TRUE(c.calls.empty());
}

TEST(ObjPaint, SymbolFontShadowAndEmptyText) {
    RecordingCanvas c;
    c.font.height = 12;
    EXPECT_EQ(obj_symbol_font(c, 15), -12);
    EXPECT_EQ(c.font.height, 38);
    c.font.height = 12;
    obj_symbol_font(c, 25);
    EXPECT_EQ(c.font.height, 52);

    struct { int colour; Colour shadow; } cases[] = {{2, 0xFFFFFF}, {3, 0xFFFFFF}, {4, 0}, {0, 0xFFFFFF}};
    for (auto k : cases) {
        RecordingCanvas s;
        obj_symbol_shadow(0xFFFFFF, k.colour, s, 0, 150, 100, 0, 2, "S");
        EXPECT_EQ(s.text_colour, k.shadow);
        EXPECT_EQ(s.of("drawtext")[0].args[0], 10);
        EXPECT_EQ(s.of("drawtext")[0].args[1], 140);
    }
    RecordingCanvas none;
    obj_symbol_shadow(0, 4, none, 0, 150, 100, 0, 2, "S");
    EXPECT_TRUE(none.calls.empty());

    Fixture f;
    ObjDrawArgs a = args(170, 15, "", 0);  // ID hidden: no scaling by a zero width
    f.draw(a);
    ASSERT_EQ(objrect_.size(), 1u);
    EXPECT_EQ(objrect_[0].t - objrect_[0].b, 2 * 28 + 10);
    EXPECT_EQ(f.c.font.height, 12);  // the font is put back
}

TEST(ObjPaint, HighlightsFollowTheLight) {
    // Rectangle: default light lights left and top; the Box passes its face upside down.
    RecordingCanvas c;
    obj_rect_highlight(c, 0xFFFFFF, 0, 100, 200, 0, ObjLight{});
    EXPECT_EQ(c.of("line")[0].args, (std::vector<int>{0, 100, 0, 0}));
    EXPECT_EQ(c.of("line")[1].args, (std::vector<int>{0, 100, 200, 100}));
    c.calls.clear();
    obj_rect_highlight(c, 0xFFFFFF, 0, 100, 200, 0, ObjLight{-5, 5, 0});
    EXPECT_EQ(c.of("line")[0].args, (std::vector<int>{200, 100, 200, 0}));
    EXPECT_EQ(c.of("line")[1].args, (std::vector<int>{0, 0, 200, 0}));
    c.calls.clear();
    obj_rect_highlight(c, 0, 0, 100, 200, 0, ObjLight{});
    obj_rect_highlight(c, 0xFFFFFF, 0, 100, 200, 0, std::nullopt);
    EXPECT_TRUE(c.calls.empty());

    // Diamond: which edge by the signs of the light.
    Pt top{0, 50}, right{100, 0}, bottom{0, -50}, left{-100, 0};
    struct { ObjLight light; Pt a, b; } edges[] = {
        {{0, 0, 0}, bottom, left}, {{0, -1, 0}, top, left}, {{-1, 0, 0}, right, bottom}, {{-1, -1, 0}, top, right},
    };
    for (auto e : edges) {
        RecordingCanvas d;
        obj_diamond_highlight(0xFFFFFF, e.light, d, top, right, bottom, left);
        EXPECT_EQ(d.of("line")[0].args, (std::vector<int>{e.a.x, e.a.y, e.b.x, e.b.y}));
    }

    // Ellipse: the top half by default, the bottom half with the light below.
    RecordingCanvas el;
    obj_ellipse_highlight(0xFFFFFF, ObjLight{}, el, -10, 5, 10, -5, 0);
    EXPECT_EQ(el.of("arc")[0].args, (std::vector<int>{-10, 5, 10, -5, 10, 0, -10, 0}));
    el.calls.clear();
    obj_ellipse_highlight(0xFFFFFF, ObjLight{3, 4, 0}, el, -10, 5, 10, -5, 0);
    EXPECT_EQ(el.of("arc")[0].args, (std::vector<int>{-10, 5, 10, -5, -10, 0, 10, 0}));
}

TEST(ObjPaint, PolygonCornersAndExtents) {
    EXPECT_EQ(obj_polygon_points(4, 100, 0, 0), (std::vector<Pt>{{0, 100}, {-100, 0}, {0, -100}, {100, 0}}));
    auto tri = obj_polygon_points(3, 100, 10, 10);
    EXPECT_EQ(tri[0], (Pt{10, 110}));
    EXPECT_EQ(tri[1], (Pt{-77, -40}));
    struct { int shape; Sz ext; } cases[] = {
        {183, {87, 50}}, {185, {95, 81}}, {186, {87, 100}}, {184, {100, 100}}, {187, {100, 100}}, {188, {100, 100}},
    };
    for (auto c : cases) EXPECT_EQ(obj_polygon_extent(c.shape, 100), c.ext) << c.shape;
}

TEST(ObjLive, ClockOffsetsWrapAndNeverOverflow) {
    struct { int h, m; const char* text; int wh, wm; } cases[] = {
        {23, 10, "5.5", 4, 40}, {1, 0, "-2", 23, 0}, {1, 0, "abc", 1, 0}, {1, 0, "", 1, 0},
        {1, 0, " 2 ", 3, 0}, {1, 0, "-100", 21, 0}, {12, 0, "1e12", 4, 0}, {5, 5, "nan", 5, 5},
        {5, 5, "inf", 5, 5}, {0, 0, "24", 0, 0}, {0, 0, "+1", 1, 0},
    };
    for (auto c : cases) {
        ClockTime t = obj_clock_time(c.h, c.m, c.text);
        EXPECT_EQ(t.hour, c.wh) << c.text;
        EXPECT_EQ(t.minute, c.wm) << c.text;
    }
}

TEST(ObjLive, ClockHandsPointByTheTime) {
    Fixture f;
    f.clock = {1, 3, 0};
    obj_icon_live(203, f.c, f.env, 0, 120, 120, 0, "", 1, 0);
    auto lines = f.c.of("line");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].args, (std::vector<int>{60, 60, 60, 100}));  // minute hand straight up
    EXPECT_EQ(lines[1].args, (std::vector<int>{60, 60, 90, 60}));   // hour hand at three
}

TEST(ObjLive, GaugeAndTrafficLight) {
    struct { double v; int x; } gauge[] = {{0, 13}, {1, 107}, {0.5, 60}, {7, 107}, {-3, 13}, {1e300, 107}};
    for (auto g : gauge) {
        Fixture f;
        f.value = g.v;
        obj_icon_live(224, f.c, f.env, 0, 120, 120, 0, "", 1, 0);
        ASSERT_EQ(f.c.of("line").size(), 1u) << g.v;
        EXPECT_EQ(f.c.of("line")[0].args, (std::vector<int>{g.x, 94, g.x, 26})) << g.v;
    }
    Fixture none;
    obj_icon_live(224, none.c, none.env, 0, 120, 120, 0, "", 1, 0);
    obj_icon_live(929, none.c, none.env, 0, 120, 120, 0, "", 1, 0);
    EXPECT_TRUE(none.c.calls.empty());
    none.value = std::nan("");
    obj_icon_live(224, none.c, none.env, 0, 120, 120, 0, "", 1, 0);
    EXPECT_TRUE(none.c.of("line").empty());

    struct { double v; Colour lamp; int cy; } lights[] = {{0, 0x0000FF, 90}, {1, 0x00FF00, 30}, {0.5, 0x00FFFF, 60}};
    for (auto l : lights) {
        Fixture f;
        f.value = l.v;
        obj_icon_live(929, f.c, f.env, 0, 120, 120, 0, "", 1, 0);
        EXPECT_EQ(f.c.brush, (Brush{2, l.lamp})) << l.v;
        EXPECT_EQ(f.c.of("ellipse")[0].args, (std::vector<int>{45, l.cy + 15, 75, l.cy - 15})) << l.v;
    }
}

TEST(ObjLive, DayOfMonthInBlackThenObjectColour) {
    Fixture f;
    f.clock = {9, 0, 0};
    obj_icon_live(205, f.c, f.env, 0, 120, 120, 0, "", 1, 4);
    EXPECT_EQ(f.c.of("drawtext")[0].text, "9");
    EXPECT_EQ(f.c.of("textcolour")[0].args[0], 0);
    EXPECT_EQ(f.c.text_colour, obj_palette_colour(4));
    Fixture g;
    obj_icon_live(230, g.c, g.env, 0, 120, 120, 0, "", 1, 4);
    EXPECT_TRUE(g.c.calls.empty());
}

TEST(ObjPaint, IconLiveDecorationComesAfterTheRecord) {
    Fixture f;
    f.value = 1;
    ObjDrawArgs a = args(929);
    a.marked = true;
    f.draw(a);
    auto& calls = f.c.calls;
    size_t dib = index_of(calls, "dib");
    size_t lamp = calls.size();
    for (size_t i = 0; i < calls.size(); ++i)
        if (calls[i].op == "brush" && calls[i].args[1] == 0x00FF00) lamp = i;
    size_t handle = index_of(calls, "rectangle");
    EXPECT_LT(dib, handle);
    EXPECT_LT(handle, lamp);
    EXPECT_LT(lamp, calls.size());
}

}  // namespace
